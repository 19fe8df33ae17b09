#pragma once
// The composer of the HTML page (see ListExport.h): one self-contained UTF-8
// page, LF after every line, that loads nothing else. The title line is its
// heading; then, grouped as the text list groups them, the chosen folder's own
// files and each folder's run of files under the folder's heading, each group
// a section holding one table with a row per file: the name (shaped by the
// full path and extension options as in the text list) and the size and time
// columns when asked. The totals, when asked, follow the title and each
// heading in the catalogue's words; the dated footer ends the page when the
// options ask for it.
// Every text is escaped (& < > " ' as references), a control character is
// written as "?" as in the text list, and a byte that is not part of valid
// UTF-8 (or a noncharacter) as U+FFFD, so the page is always valid UTF-8 HTML.
// A small inline script sorts a table by the column whose heading is clicked;
// without scripts the page reads the same, unsorted. Its colours follow the
// system's light or dark scheme, and it prints without the colours. A table's
// rows come in groups of 500 (tbody), and the browser lays out only the
// sections and groups in view, so a list of 100,000 files opens at once.

#include "export/Pieces.h"
#include "export/TextExport.h"

namespace zentory {

void composeHtml(pieces::TextSink& out, const ExportRequest& request);

} // namespace zentory
