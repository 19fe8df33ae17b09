#pragma once
// The one builder of an export request, for the window and the command line
// alike: the same read, options and catalogue give the same request, and so
// the same bytes, whichever of the two asks.

#include "export/TextExport.h"

#include <string>
#include <vector>

namespace zentory {

class CTranslator;

// What one read produced: the files, the folder they were read from and,
// when the columns need them, one FileStat per file.
struct FolderRead {
    const FileList& files;
    std::string folder;
    const std::vector<FileStat>* stats = nullptr;
};

// The request that exports `read` with `options` and `columns`. `catalogue`
// gives the texts of the text list, the HTML page and the tree; null for the
// tables, which write neither those nor a date. The time stamp is taken now,
// and only when the list shows it.
ExportRequest makeExportRequest(const FolderRead& read, const ExportOptions& options,
                                const CTranslator* catalogue, ListColumns columns = {});

} // namespace zentory
