#pragma once
// The composer of the CSV list (see ListExport.h).

#include "export/Pieces.h"
#include "export/TextExport.h"

namespace zentory {

void composeCsv(pieces::TextSink& out, const ExportRequest& request);

} // namespace zentory
