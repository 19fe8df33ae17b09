#pragma once
// The list in the form a person or a script asks for: the text list of the
// window, or a table for spreadsheets (CSV) or scripts (JSON) with one row per
// file in the list's order. Both tables give each file's
//   path (the full path), folder (relative to the chosen folder: "" for the
//   chosen folder itself, "img/old" below it), name, extension (what the text
//   list leaves out without extensions, without its dot; "" when it has none),
//   size (in bytes) and modified (ISO 8601 local time with its offset,
//   "2026-12-08T14:03:05+01:00"),
// size and modified empty in CSV and null in JSON for a file that leads
// nowhere. They take sizes and times from the request's stats, and ignore its
// options, labels and time stamp, which shape the text list, the page and the tree.
//   CSV (RFC 4180): the header "path,folder,name,extension,size,modified" and
//   one record per file, CR LF after each; a field holding a comma, a quote, a
//   CR or an LF is quoted, its quotes doubled; every other byte as it is held.
//   JSON: {"folder": "...", "files": [{"path": ..., ...}, ...]}, one file per
//   line; with the columns' totals also "totals": {"files": N, "bytes": B}.
//   Always valid JSON: a byte that is not part of valid UTF-8 is written as
//   U+FFFD, and a path (or the folder) holding one carries its exact bytes in
//   "path_base64" (or "folder_base64") as well.
// The HTML page (HtmlList.h) and the tree (TreeList.h) are shaped by the
// options and the catalogue's texts as the text list is.

#include "export/TextExport.h"

#include <functional>
#include <string>
#include <string_view>

namespace zentory {

enum class ListFormat { Text, Csv, Json, Html, Tree };

// The bytes of the list in `format`.
std::string composeList(const ExportRequest& request, ListFormat format);

// The same bytes handed to `write` in pieces of 64 KiB. Exceptions from
// `write` pass through.
void streamList(const std::function<void(std::string_view)>& write, const ExportRequest& request,
                ListFormat format);

// Writes the same bytes to `outputPath` as writeExport does, through
// platform::SafeFile. Throws platform::FileError.
void writeList(const std::string& outputPath, const ExportRequest& request, ListFormat format);

} // namespace zentory
