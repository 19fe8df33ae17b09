#pragma once
// The main window: the whole program is this one modal dialog. It holds the
// translation catalogue, the export options, the settings store and the file
// list; it puts every text of the interface language onto its menu, controls
// and the options dialog, and routes the commands of its buttons and menu.

#include "Dialog.h"
#include "FileListCells.h"
#include "ListOptions.h"
#include "OptionsDlg.h"
#include "Shell.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "listing/FileList.h"
#include "listing/ScanWatch.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zentory::window {

// The help page in the folder of the shipped files.
inline constexpr const char* kHelpFileName = "help.html";
// How long a read runs before its progress window appears.
inline constexpr std::chrono::milliseconds kProgressDelay{400};

class CExportDlg : public CDialog {
public:
    explicit CExportDlg(Shell& shell);

    // Loads the catalogue and puts its texts onto the menu, the controls, the
    // list header and the options dialog, then switches three export options
    // on. Runs at the opening and again after a change of language. Throws
    // platform::FileError when config.ini or the translation file cannot be
    // read; everything after the loading is then left as it was.
    bool OnInitDialog() override;
    // The opening: a file that cannot be read shows the file-error box, and
    // the window opens all the same with what the initialisation had done.
    bool StartDialog() override;
    // Reads the start folder, if there is one.
    void OnShown() override;
    void OnCommand(int id) override;
    bool OnHelpInfo() override;
    bool AcceptsDroppedFolders() const override { return true; }
    // A folder dragged from a file manager is read as if chosen in the folder browser.
    void OnDropFolder(const std::string& folder) override;
    int StretchingList() const override;

    // Commands of the buttons and the menu.
    void OnReadFileList();
    void OnSaveTxtFile();
    void OnAbout();
    void OnGoToWebsite();
    void OnExit();
    void OnOptions();
    void OnShowHelpFile();
    void OnLanguageSelection();
    void OnListOptions();
    // A signal asked the program to end: a folder read stops and every event
    // loop ends, open dialogs' included, so that the window closes.
    void OnInterruption();
    // Puts the columns after the name, as the last read and the list options
    // ask for them, onto the list, and the count of the read below it.
    void ShowListColumns();

    CTranslator m_translator;
    COptionsDlg m_optionsDlg;
    // What the List options dialog set; every read and save follows it.
    ListOptions m_listOptions;
    CSettingsStore m_settings;
    FileList m_fileList;
    // The size and time of each file of the list, when the read asked for them.
    std::vector<FileStat> m_fileStats;
    FileListCells m_listCells{m_fileList, m_fileStats};
    std::string m_strFolderLabel;
    int m_bSubFolders = 0;
    std::string m_strIntro;
    std::string m_strStep2Hint;
    // The folder of the last read, as the browser gave it; empty when none was
    // chosen. The export names this folder; the label above the list shows it
    // only until a change of language puts the caption back.
    std::string m_strChosenFolder;
    // A folder to read once the window is up, as if chosen in the folder
    // browser (from the command line); empty for none.
    std::string m_strStartFolder;
    // How a read is followed; tests and tools put in one of their own.
    std::function<std::unique_ptr<ScanWatch>()> m_newScanWatch;
    // How long a read runs before its progress window appears.
    std::chrono::milliseconds m_progressDelay = kProgressDelay;

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    // Runs a command; a file that cannot be read or written ends it with the
    // file-error box, and a write stopped by a signal ends the window.
    void Dispatch(void (CExportDlg::*command)());
    // What follows the choice of `folder` in the browser ("" when none was
    // chosen): the label, the sub-folder box read as it stands, the walk.
    void ReadFolder(const std::string& folder);
    // Reads `folder`, named at start or dropped; one that is missing or no
    // folder is reported, and the window is left as after a cancelled read.
    void ReadNamedFolder(const std::string& folder);
    // Tells assistive technology how many files the list now holds.
    void AnnounceFileCount();
    // Reads m_strStartFolder, made absolute against the working folder.
    void OnReadStartFolder();
    void OnReadDroppedFolder();
    // Replaces the file list by the files of `folder`, and of its sub-folders
    // when m_bSubFolders is set, in ascending byte order. The walk runs beside
    // the event loop, with a progress window once it takes long; cancelled, it
    // leaves the window as if no folder had been read. So does a read that
    // could not open some folders for lack of open files or memory; it
    // returns their paths.
    std::vector<std::string> ScanFolder(const std::string& folder);
    // Tells which folders a read could not open for lack of open files or memory.
    void ReportLostFolders(const std::vector<std::string>& folders);
    void ApplyMenuTexts();
    void ApplyControlTexts();
    void ApplyOptionsTexts();

    Shell& m_shell;
    // The folder of the last drop, while it is read.
    std::string m_strDroppedFolder;
    // Whether the members hold the template's texts yet.
    bool m_bTemplateRead = false;
    // The watch of the folder read under way; null between reads.
    ScanWatch* m_activeWatch = nullptr;
};

} // namespace zentory::window
