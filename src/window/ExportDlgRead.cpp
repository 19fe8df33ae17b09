// The main window's reads of a folder named at start or dropped on it, and
// what assistive technology hears once a read is over.

#include "CatalogueText.h"
#include "ExportDlg.h"
#include "ResourceIds.h"
#include "Toolkit.h"
#include "i18n/Placeholders.h"
#include "platform/Directory.h"

namespace zentory::window {

void CExportDlg::ReadNamedFolder(const std::string& folder) {
    if (platform::isFolder(folder)) {
        ReadFolder(folder);
        return;
    }
    // As after a cancelled read: the caption, no list, nothing to export; the
    // sub-folder box stays as it stands.
    UpdateData(true);
    m_fileList.clear();
    m_strChosenFolder.clear();
    m_strFolderLabel = m_translator.GetText(TextKey::FolderLabel);
    Ctl().SetListFiles(ids::Main::kFileList, m_fileList);
    UpdateData(false);
    const std::string text =
        textOr(m_translator, TextKey::FolderCannotBeRead, "The folder \"%1\" cannot be read.");
    m_shell.messageBox(fillPlaceholders(text, folder),
                       m_translator.GetText(TextKey::MessageCaption));
}

void CExportDlg::ReportLostFolders(const std::vector<std::string>& folders) {
    // Enough names to show where the trouble lies; a box taller than the
    // screen would hide its button.
    constexpr size_t kNamed = 20;
    std::string names;
    for (size_t i = 0; i < folders.size() && i < kNamed; ++i) {
        names += "\n" + folders[i];
    }
    if (folders.size() > kNamed) {
        names += "\n...";
    }
    const std::string text =
        textOr(m_translator, TextKey::FoldersLostForResources,
               "Some folders could not be read because the system ran short of open files or "
               "memory, so no list was made. Close other programs and read the folder again. "
               "Folders not read:%1");
    m_shell.messageBox(fillPlaceholders(text, "\n" + names),
                       m_translator.GetText(TextKey::MessageCaption));
}

void CExportDlg::AnnounceFileCount() {
    const std::string text = m_translator.GetText(TextKey::FilesInList);
    if (text.empty()) {
        return; // a translation file of an older version: nothing to say
    }
    const std::string count =
        Toolkit::Current().FormatCount(m_fileList.size(), localeForTag(m_translator.Tag()));
    Ctl().Announce(ids::Main::kFileList, fillPlaceholders(text, count));
    m_bCountAnnounced = true;
}

} // namespace zentory::window
