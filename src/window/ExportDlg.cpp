#include "ExportDlg.h"

#include "AboutDlg.h"
#include "CatalogueText.h"
#include "DataExchange.h"
#include "LanguageDlg.h"
#include "ListOptionsDlg.h"
#include "ListSave.h"
#include "PrefixText.h"
#include "ProgressDlg.h"
#include "ResourceIds.h"
#include "Toolkit.h"
#include "i18n/FileErrorText.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"
#include "platform/Directory.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/write/Interruption.h"

namespace zentory::window {

namespace {

struct MenuText {
    TextKey key;
    int command;
};
// Menu items and the catalogue keys of their texts.
constexpr MenuText kMenuTexts[] = {
    {TextKey::MenuListOptions, ids::Menu::kListOptions},
    {TextKey::MenuLanguageSelection, ids::Menu::kLanguageSelection},
    {TextKey::MenuExit, ids::Menu::kExit},
    {TextKey::MenuShowHelpFile, ids::Menu::kShowHelpFile},
    {TextKey::MenuGoToWebsite, ids::Menu::kGoToWebsite},
    {TextKey::MenuAbout, ids::Menu::kAbout},
};
// Drop-down menu titles by position: "File", "Help".
constexpr TextKey kPopupTitleKeys[] = {TextKey::MenuFile, TextKey::MenuHelp};

struct Command {
    int id;
    void (CExportDlg::*handler)();
};
// What each button and menu item does.
constexpr Command kCommands[] = {
    {ids::Main::kReadFileList, &CExportDlg::OnReadFileList},
    {ids::Main::kSaveTxtFile, &CExportDlg::OnSaveTxtFile},
    {ids::Main::kOptions, &CExportDlg::OnOptions},
    {ids::Menu::kAbout, &CExportDlg::OnAbout},
    {ids::Menu::kGoToWebsite, &CExportDlg::OnGoToWebsite},
    {ids::Menu::kExit, &CExportDlg::OnExit},
    {ids::Menu::kShowHelpFile, &CExportDlg::OnShowHelpFile},
    {ids::Menu::kLanguageSelection, &CExportDlg::OnLanguageSelection},
    {ids::Menu::kListOptions, &CExportDlg::OnListOptions},
};

} // namespace

CExportDlg::CExportDlg(Shell& shell)
    : CDialog(ids::Main::kDialog, nullptr), m_optionsDlg(this), m_shell(shell) {}

void CExportDlg::OnCommand(int id) {
    for (const Command& command : kCommands) {
        if (command.id == id) {
            Dispatch(command.handler);
            return;
        }
    }
}

void CExportDlg::Dispatch(void (CExportDlg::*command)()) {
    try {
        (this->*command)();
    } catch (const platform::FileError& error) {
        m_shell.fileErrorBox(fileErrorText(m_translator, error));
    } catch (const platform::Interrupted&) {
        // The write has taken its changes back; there is nothing to tell.
        OnInterruption();
    }
}

void CExportDlg::OnInterruption() {
    if (m_activeWatch != nullptr) {
        m_activeWatch->cancel();
    }
    Toolkit::Current().QuitAll();
}

void CExportDlg::DoDataExchange(DataExchange& dx) {
    dx.Text(ids::Main::kFolderLabel, m_strFolderLabel);
    dx.Check(ids::Main::kSubFolders, m_bSubFolders);
    dx.Text(ids::Main::kIntro, m_strIntro);
    dx.Text(ids::Main::kStep2Hint, m_strStep2Hint);
    if (!dx.m_bSaveAndValidate) {
        // The list is known by what its label shows.
        Ctl().SetAccessibleName(ids::Main::kFileList, ShownText(m_strFolderLabel));
    }
}

bool CExportDlg::StartDialog() {
    // The list of a new view shows the rows of the file list.
    Ctl().SetListFiles(ids::Main::kFileList, m_fileList);
    try {
        return OnInitDialog();
    } catch (const platform::FileError& error) {
        m_shell.fileErrorBox(fileErrorText(m_translator, error));
        return true;
    }
}

void CExportDlg::OnShown() {
    if (!m_strStartFolder.empty()) {
        Dispatch(&CExportDlg::OnReadStartFolder);
    }
}

void CExportDlg::OnDropFolder(const std::string& folder) {
    m_strDroppedFolder = absoluteFolder(folder, {});
    Dispatch(&CExportDlg::OnReadDroppedFolder);
}

void CExportDlg::OnReadDroppedFolder() {
    ReadNamedFolder(m_strDroppedFolder);
}

bool CExportDlg::OnInitDialog() {
    if (!m_bTemplateRead) {
        // The statics' members start with the template's texts, so that a
        // start which cannot load the catalogue still shows them.
        m_strFolderLabel = Ctl().GetDlgItemText(ids::Main::kFolderLabel);
        m_strIntro = Ctl().GetDlgItemText(ids::Main::kIntro);
        m_strStep2Hint = Ctl().GetDlgItemText(ids::Main::kStep2Hint);
        m_bTemplateRead = true;
    }
    CDialog::OnInitDialog();
    m_translator.Load();
    // The toolkit's dialogs speak the interface language too, where they can.
    Toolkit::Current().SetInterfaceLanguage(localeForTag(m_translator.Tag()));
    ApplyMenuTexts();
    ApplyControlTexts();
    UpdateData(false);
    ApplyOptionsTexts();
    // The column is made anew, so a new language shows in its header.
    Ctl().SetListColumn(ids::Main::kFileList, m_translator.GetText(TextKey::ListColumn));
    ShowListColumns();
    m_optionsDlg.m_bShowExtensions = 1;
    m_optionsDlg.m_bShowDateTime = 1;
    m_optionsDlg.m_bOpenAfterSaving = 1;
    return true;
}

void CExportDlg::ApplyMenuTexts() {
    for (size_t i = 0; i < std::size(kPopupTitleKeys); ++i) {
        Ctl().SetPopupText(static_cast<int>(i), m_translator.GetText(kPopupTitleKeys[i]));
    }
    for (const auto& item : kMenuTexts) {
        Ctl().SetMenuItemText(item.command, m_translator.GetText(item.key));
    }
}

void CExportDlg::ApplyControlTexts() {
    Ctl().SetDlgItemText(ids::Main::kStep1, m_translator.GetText(TextKey::Step1));
    Ctl().SetDlgItemText(ids::Main::kStep2, m_translator.GetText(TextKey::Step2));
    m_strIntro = m_translator.GetText(TextKey::Intro);
    Ctl().SetDlgItemText(ids::Main::kSubFolders, m_translator.GetText(TextKey::SubFolders));
    Ctl().SetDlgItemText(ids::Main::kReadFileList, m_translator.GetText(TextKey::ReadFileList));
    m_strFolderLabel = m_translator.GetText(TextKey::FolderLabel);
    m_strStep2Hint = m_translator.GetText(TextKey::Step2Hint);
    Ctl().SetDlgItemText(ids::Main::kOptions, m_translator.GetText(TextKey::Options));
    Ctl().SetDlgItemText(ids::Main::kSaveTxtFile, m_translator.GetText(TextKey::SaveTxtFile));
}

void CExportDlg::ApplyOptionsTexts() {
    m_optionsDlg.m_strGroupText = m_translator.GetText(TextKey::OptionsGroup);
    m_optionsDlg.m_strFullPathText = m_translator.GetText(TextKey::OptionsFullPath);
    m_optionsDlg.m_strExtensionsText = m_translator.GetText(TextKey::OptionsExtensions);
    m_optionsDlg.m_strDateTimeText = m_translator.GetText(TextKey::OptionsDateTime);
    m_optionsDlg.m_strOpenAfterSavingText = m_translator.GetText(TextKey::OptionsOpenAfterSaving);
    m_optionsDlg.m_strCancelText = m_translator.GetText(TextKey::OptionsCancel);
    m_optionsDlg.m_strAccessibleName = m_translator.GetText(TextKey::OptionsDialogName);
}

void CExportDlg::OnReadFileList() {
    std::string folder;
    if (auto chosen = m_shell.browseForFolder(m_translator.GetText(TextKey::BrowseTitle))) {
        folder = std::move(*chosen);
    }
    ReadFolder(folder);
}

void CExportDlg::OnReadStartFolder() {
    const bool relative = !platform::isAbsolutePath(m_strStartFolder);
    ReadNamedFolder(
        absoluteFolder(m_strStartFolder, relative ? platform::workingDirectory() : std::string()));
}

void CExportDlg::ReadFolder(const std::string& folder) {
    UpdateData(true);
    // A "&" in the path shows as itself, not as a mnemonic's mark.
    m_strFolderLabel = folder.empty() ? std::string() : DoublePrefixes(folderLabel(folder));
    UpdateData(false);
    // The label shows the choice now, not only once the walk is over.
    Ctl().UpdateDlgItem(ids::Main::kFolderLabel);

    CWaitCursor busy;
    m_fileList.clear();
    m_fileStats.clear();
    Ctl().SetListFiles(ids::Main::kFileList, m_fileList);
    m_strChosenFolder.clear();
    std::vector<std::string> lostFolders;
    if (!folder.empty()) {
        lostFolders = ScanFolder(folder);
    }
    m_listCells.Read(m_strChosenFolder, m_listOptions.ScanFor(m_bSubFolders != 0).subFolders);
    Ctl().SetListFiles(ids::Main::kFileList, m_fileList);
    ShowListColumns();
    UpdateData(false);
    AnnounceFileCount();
    if (!lostFolders.empty()) {
        ReportLostFolders(lostFolders);
    }
}

std::vector<std::string> CExportDlg::ScanFolder(const std::string& folder) {
    // The read owns what it uses: a cancelled read may end after this returns.
    struct ReadJob {
        std::unique_ptr<ScanWatch> watch;
        ScanResult result;
    };
    auto job = std::make_shared<ReadJob>();
    job->watch = m_newScanWatch ? m_newScanWatch() : std::make_unique<ScanWatch>();
    CProgressDlg progress(*job->watch, this);
    progress.m_strReadingText =
        textOr(m_translator, TextKey::ProgressReading, "Reading the folder:");
    progress.m_strFilesText = textOr(m_translator, TextKey::ProgressFiles, "Files found: %1");
    progress.m_strCancelText = textOr(m_translator, TextKey::ProgressCancel, "Cancel");
    progress.m_strLocale = localeForTag(m_translator.Tag());
    progress.m_strAccessibleName = m_translator.GetText(TextKey::ProgressDialogName);
    if (platform::caughtInterruption() != 0) {
        job->watch->cancel(); // the program is ending: nothing to read
    }
    const ScanOptions options = m_listOptions.ScanFor(m_bSubFolders != 0);
    m_activeWatch = job->watch.get();
    bool ended = false;
    try {
        ended = Toolkit::Current().RunBesideLoop(
            *this,
            [job, folder, options] {
                job->result = zentory::ScanFolder(folder, options, job->watch.get());
            },
            progress, m_progressDelay);
    } catch (...) {
        m_activeWatch = nullptr;
        throw;
    }
    m_activeWatch = nullptr;
    std::vector<std::string> lostFolders;
    for (const auto& lost : job->result.lostFolders) {
        lostFolders.push_back(lost.path());
    }
    if (!ended || job->result.cancelled || !lostFolders.empty()) {
        // As if no folder had been read: the caption again, no list, nothing to
        // export; a list without the files of folders lost for lack of open
        // files or memory would pass for whole.
        m_strFolderLabel = m_translator.GetText(TextKey::FolderLabel);
        return lostFolders;
    }
    // A folder that cannot be read contributes nothing, and nothing is reported.
    m_fileList = std::move(job->result.files);
    m_fileStats = std::move(job->result.stats);
    m_strChosenFolder = folder;
    return {};
}

void CExportDlg::OnSaveTxtFile() {
    const std::string caption = m_translator.GetText(TextKey::MessageCaption);
    if (m_fileList.empty()) {
        m_shell.messageBox(m_translator.GetText(TextKey::NothingToExport), caption);
        return;
    }
    const auto choice =
        m_shell.askSaveFileName(m_translator.GetText(TextKey::SaveFileName), SaveTypes());
    if (!choice) {
        return;
    }
    const ExportOptions options{.showFullPath = m_optionsDlg.m_bShowFullPath == 1,
                                .showExtensions = m_optionsDlg.m_bShowExtensions == 1,
                                .showDateTime = m_optionsDlg.m_bShowDateTime == 1};
    {
        CWaitCursor busy;
        // The folder of the last read, whatever the label shows since.
        SaveList(choice->path, SaveFormat(choice->type),
                 {.files = m_fileList, .folder = m_strChosenFolder, .stats = &m_fileStats}, options,
                 m_listOptions.columns, m_translator);
    }
    m_shell.messageBox(m_translator.GetText(TextKey::ExportSaved), caption);
    if (m_optionsDlg.m_bOpenAfterSaving == 1) {
        m_shell.open(choice->path);
    }
}

void CExportDlg::OnLanguageSelection() {
    const std::string oldTag = m_settings.ReadSetting("Language");
    CLanguageDlg dlg(m_shell, m_translator, this);
    dlg.m_strLanguageTag = oldTag;
    dlg.m_strGroupCaption = m_translator.GetText(TextKey::LanguageGroup);
    dlg.DoModal();
    if (dlg.m_strLanguageTag == oldTag) {
        return;
    }
    m_settings.WriteSetting("Language", dlg.m_strLanguageTag);
    OnInitDialog();
}

void CExportDlg::OnAbout() {
    CAboutDlg dlg(this);
    dlg.m_strAccessibleName = m_translator.GetText(TextKey::AboutDialogName);
    dlg.DoModal();
}

void CExportDlg::OnGoToWebsite() {
    m_shell.open(m_settings.ReadSetting("Homepage"));
}

void CExportDlg::OnExit() {
    OnOK();
}

void CExportDlg::OnOptions() {
    m_optionsDlg.DoModal();
}

void CExportDlg::OnListOptions() {
    CListOptionsDlg dlg(m_shell, m_translator, this);
    dlg.m_options = m_listOptions;
    if (dlg.DoModal() != IDOK) {
        return;
    }
    m_listOptions = dlg.m_options;
    // The list shown follows the options at once. (A copy: the read empties the member.)
    if (const std::string folder = m_strChosenFolder; !folder.empty()) {
        ReadFolder(folder);
    }
}

void CExportDlg::OnShowHelpFile() {
    m_shell.open(m_settings.GetDataFolder() + kPathSeparator + kHelpFileName);
}

bool CExportDlg::OnHelpInfo() {
    OnShowHelpFile();
    return false;
}

} // namespace zentory::window
