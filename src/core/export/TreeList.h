#pragma once
// The composer of the tree (see ListExport.h): the chosen folder on the first
// line, then its files and the folders on the way to listed files, in the
// list's order, each on a line drawn as `tree` draws it:
//   /home/me/Work
//   ├── a.txt
//   ├── img
//   │   ├── logo.png
//   │   └── old
//   │       └── logo.bak.png
//   └── z
//
//   2 folders, 4 files
// ("|-- ", "`-- " and "|   " with asciiTree), LF after every line. A folder
// that lists no file has no line, as it has no heading in the text list.
// The closing line is the catalogue's, its numbers grouped as the catalogue
// groups digits; the dated footer follows it when the options ask for it.
// With the size or time column a file's line holds "[SIZE TIME]  " before its
// name (the size right-aligned in 11 places, the time as the text list writes
// it, "-" for a file that leads nowhere). Names are shaped by the full path and
// extension options, and a control byte is written as "?", as in the text list.

#include "export/Pieces.h"
#include "export/TextExport.h"

namespace zentory {

void composeTree(pieces::TextSink& out, const ExportRequest& request);

} // namespace zentory
