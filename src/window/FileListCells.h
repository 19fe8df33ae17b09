#pragma once
// The main window's list beyond the names: which columns follow the name
// column (the folder below the chosen one after a read of sub-folders, the size
// and the time of last change when the list options ask for them), what each
// of their cells shows, and the count of the files read.

#include "DialogView.h"
#include "export/FileTimes.h"
#include "export/TextExport.h"
#include "i18n/Translator.h"
#include "listing/FileList.h"
#include "listing/FileStat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zentory::window {

class FileListCells : public ListCells {
public:
    enum class Column { Folder, Size, Modified };

    // The cells read `files` and `stats` (one per file, or none) as they stand.
    FileListCells(const FileList& files, const std::vector<FileStat>& stats)
        : m_files(files), m_stats(stats) {}

    // The list was read from `folder` ("" when none was read), with or
    // without its sub-folders.
    void Read(const std::string& folder, bool subFolders);
    // The columns for the list read and the list options' `columns`.
    void Choose(const ListColumns& columns);
    std::vector<std::string> Headers(const CTranslator& catalogue) const;
    std::string CellText(size_t row, size_t column) const override;

    // "N files", with the size column "N files, B bytes", the numbers as
    // `formatCount` writes them; "" when no folder was read.
    std::string CountText(const CTranslator& catalogue,
                          const std::function<std::string(std::uint64_t)>& formatCount) const;

private:
    const FileStat* StatOf(size_t row) const;

    const FileList& m_files;
    const std::vector<FileStat>& m_stats;
    std::string m_folder;
    bool m_subFolders = false;
    std::vector<Column> m_columns;
    mutable FileTimes m_times;
};

} // namespace zentory::window
