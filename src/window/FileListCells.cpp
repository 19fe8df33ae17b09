#include "FileListCells.h"

#include "export/ExportRequestBuilder.h"
#include "export/FileName.h"
#include "i18n/Placeholders.h"

#include <algorithm>
#include <cstdint>

namespace zentory::window {

namespace {

TextKey HeaderKey(FileListCells::Column column) {
    switch (column) {
    case FileListCells::Column::Folder:
        return TextKey::ListFolderColumn;
    case FileListCells::Column::Size:
        return TextKey::ListSizeColumn;
    case FileListCells::Column::Modified:
        break;
    }
    return TextKey::ListModifiedColumn;
}

} // namespace

void FileListCells::Read(const std::string& folder, bool subFolders) {
    m_folder = folder;
    m_subFolders = subFolders;
}

void FileListCells::Choose(const ListColumns& columns) {
    m_columns.clear();
    if (!m_folder.empty() && m_subFolders) {
        m_columns.push_back(Column::Folder);
    }
    if (columns.size) {
        m_columns.push_back(Column::Size);
    }
    if (columns.modified) {
        m_columns.push_back(Column::Modified);
    }
}

std::vector<std::string> FileListCells::Headers(const CTranslator& catalogue) const {
    std::vector<std::string> headers;
    for (Column column : m_columns) {
        headers.push_back(catalogue.GetText(HeaderKey(column)));
    }
    return headers;
}

const FileStat* FileListCells::StatOf(size_t row) const {
    return m_stats.size() == m_files.size() ? &m_stats[row] : nullptr;
}

std::string FileListCells::CellText(size_t row, size_t column) const {
    if (row >= m_files.size() || column == 0 || column > m_columns.size()) {
        return {};
    }
    const FileStat stat = StatOf(row) != nullptr ? *StatOf(row) : FileStat{};
    switch (m_columns[column - 1]) {
    case Column::Folder:
        return oneLine(
            std::string(relativeFolder(m_files.folderPath(m_files.folderIndex(row)), m_folder)));
    case Column::Size:
        return listSizeCell(stat);
    case Column::Modified:
        break;
    }
    return std::string(listTimeCell(m_times, stat));
}

std::string
FileListCells::CountText(const CTranslator& catalogue,
                         const std::function<std::string(std::uint64_t)>& formatCount) const {
    if (m_folder.empty()) {
        return {};
    }
    const std::string files = formatCount(m_files.size());
    if (std::find(m_columns.begin(), m_columns.end(), Column::Size) == m_columns.end()) {
        return fillPlaceholders(
            catalogue.GetText(m_files.size() == 1 ? TextKey::ListCountOne : TextKey::ListCount),
            files);
    }
    std::uint64_t bytes = 0;
    for (size_t row = 0; row < m_files.size(); ++row) {
        const FileStat* stat = StatOf(row);
        bytes += stat != nullptr && stat->known() ? static_cast<std::uint64_t>(stat->size) : 0;
    }
    // The same words as the saved list's totals.
    const ExportLabels labels = exportLabels(catalogue);
    return countText(labels, m_files.size(), files, bytes, formatCount(bytes));
}

} // namespace zentory::window
