#include "ListSave.h"

#include "listing/StatFiles.h"

#include <vector>

namespace zentory::window {

const std::vector<SaveType>& SaveTypes() {
    static const std::vector<SaveType> types = {{"TXT files (*.txt)", "txt"},
                                                {"CSV files (*.csv)", "csv"},
                                                {"JSON files (*.json)", "json"}};
    return types;
}

ListFormat SaveFormat(int type) {
    switch (type) {
    case 1:
        return ListFormat::Csv;
    case 2:
        return ListFormat::Json;
    default:
        return ListFormat::Text;
    }
}

void SaveList(const std::string& path, ListFormat format, const FolderRead& read,
              const ExportOptions& options, ListColumns columns, const CTranslator& catalogue) {
    const bool text = format == ListFormat::Text;
    const bool haveStats = read.stats != nullptr && read.stats->size() == read.files.size();
    std::vector<FileStat> lookedUp;
    if ((!text || columns.any()) && !haveStats) {
        lookedUp = statFiles(read.files);
    }
    const FolderRead complete{.files = read.files,
                              .folder = read.folder,
                              .stats = haveStats          ? read.stats
                                       : lookedUp.empty() ? nullptr
                                                          : &lookedUp};
    writeList(path, makeExportRequest(complete, options, text ? &catalogue : nullptr, columns),
              format);
}

} // namespace zentory::window
