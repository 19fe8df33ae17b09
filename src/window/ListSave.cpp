#include "ListSave.h"

#include "listing/StatFiles.h"

#include <vector>

namespace zentory::window {

const std::vector<SaveType>& SaveTypes() {
    static const std::vector<SaveType> types = {{"TXT files (*.txt)", "txt"},
                                                {"CSV files (*.csv)", "csv"},
                                                {"JSON files (*.json)", "json"},
                                                {"HTML page (*.html)", "html"},
                                                {"Tree (*.txt)", "txt"}};
    return types;
}

ListFormat SaveFormat(int type) {
    switch (type) {
    case 1:
        return ListFormat::Csv;
    case 2:
        return ListFormat::Json;
    case 3:
        return ListFormat::Html;
    case 4:
        return ListFormat::Tree;
    default:
        return ListFormat::Text;
    }
}

void SaveList(const std::string& path, ListFormat format, const FolderRead& read,
              const ExportOptions& options, ListColumns columns, const CTranslator& catalogue) {
    const bool table = format == ListFormat::Csv || format == ListFormat::Json;
    const bool haveStats = read.stats != nullptr && read.stats->size() == read.files.size();
    std::vector<FileStat> lookedUp;
    if ((table || columns.any()) && !haveStats) {
        lookedUp = statFiles(read.files);
    }
    const FolderRead complete{.files = read.files,
                              .folder = read.folder,
                              .stats = haveStats          ? read.stats
                                       : lookedUp.empty() ? nullptr
                                                          : &lookedUp};
    writeList(path, makeExportRequest(complete, options, table ? nullptr : &catalogue, columns),
              format);
}

} // namespace zentory::window
