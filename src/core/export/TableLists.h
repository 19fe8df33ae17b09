#pragma once
// The composers of the CSV and JSON lists (see ListExport.h).

#include "export/Pieces.h"
#include "export/TextExport.h"

namespace zentory {

void ComposeCsv(pieces::TextSink& out, const ExportRequest& request);
void ComposeJson(pieces::TextSink& out, const ExportRequest& request);

} // namespace zentory
