#pragma once
// The composer of the JSON list (see ListExport.h).

#include "export/Pieces.h"
#include "export/TextExport.h"

namespace zentory {

void composeJson(pieces::TextSink& out, const ExportRequest& request);

} // namespace zentory
