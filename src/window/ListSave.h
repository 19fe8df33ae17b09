#pragma once
// The types of the save dialog and what each writes: the text list, a CSV or a
// JSON table, the HTML page or the tree, composed by the core exactly as zentory-cli composes them
// with the same options, so that the window and the command line give the same bytes.

#include "Shell.h"
#include "export/ExportRequestBuilder.h"
#include "export/ListExport.h"

#include <string>
#include <vector>

namespace zentory {
class CTranslator;
}

namespace zentory::window {

// What the save dialog offers, in the order of SaveFormat's types.
const std::vector<SaveType>& SaveTypes();

// The format of the save dialog's type at `type`: 0 the text list, 1 CSV,
// 2 JSON, 3 the HTML page, 4 the tree; the text list for any other position.
ListFormat SaveFormat(int type);

// Writes the list of `read` to `path` in `format`: the text list, the page and
// the tree with the catalogue's texts, the tables without. Sizes and times that the
// format or the columns need and the read did not collect (no stats, or not
// one per file) are looked up now. Throws platform::FileError.
void SaveList(const std::string& path, ListFormat format, const FolderRead& read,
              const ExportOptions& options, ListColumns columns, const CTranslator& catalogue);

} // namespace zentory::window
