// The window's behaviour on a recording view: what each command does with the
// catalogue, the file list, the dialogs it opens and the files it writes,
// whichever toolkit draws it.

#include "FakeToolkit.h"
#include "LogicWindow.h"
#include "RecordingShell.h"

#include "ExportDlg.h"
#include "LanguageDlg.h"
#include "ResourceIds.h"
#include "export/ExportRequestBuilder.h"
#include "i18n/SettingsStore.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"
#include "platform/Clock.h"
#include "platform/StepFailure.h"

#include "ProgramFolder.h"
#include "TextDiff.h"
#include "TreeDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;
using window::CDialog;
using window::CExportDlg;
using Main = ids::Main;

namespace {

class WindowLogic : public ::testing::Test, protected LogicWindow {
protected:
    explicit WindowLogic(const char* tag = "[1033]") : LogicWindow(tag) {}

    // What the core writes for the tree read with sub-folders, as the window asks for it.
    std::string expectedExport(const ExportOptions& options) const {
        const auto files = ScanFolder(tree.path(), ScanOptions::all(true)).files;
        return composeExport(
            makeExportRequest({.files = files, .folder = tree.path()}, options, &dlg.m_translator));
    }

    TreeDir tree{"b.txt", "a.txt", "img/logo.png"};
    TreeDir out;
};

TEST_F(WindowLogic, ReadShowsTheListAndSaveWritesWhatTheCoreComposes) {
    EXPECT_EQ(view.texts[Main::kFolderLabel], "Content of the folder:");
    read(tree.path());
    EXPECT_EQ(view.texts[Main::kFolderLabel], folderLabel(tree.path()));
    ASSERT_EQ(view.listFiles, &dlg.m_fileList);
    EXPECT_EQ(dlg.m_fileList.size(), 3u);
    EXPECT_EQ(toolkit.waitDepthInRead, 1) << "the read runs under the wait cursor";

    save(out / "list.txt");
    EXPECT_SAME_BYTES(readBytes(out / "list.txt"), expectedExport({}));
    EXPECT_EQ(shell.calls,
              (std::vector<std::string>{"browse", "save", "message The file list has been saved.",
                                        "open " + out / "list.txt"}));
    EXPECT_EQ(toolkit.waitDepth, 0);
}

TEST_F(WindowLogic, SaveStopsWithAMessageOrTheFileErrorAndWritesNothingElse) {
    struct Case {
        bool readFirst;
        std::optional<std::string> answer;
        std::string lastCall;
    };
    const Case cases[] = {
        {false, out / "never.txt",
         "message There is nothing to export yet. Please read a file "
         "list first."},
        {true, std::nullopt, "save"},
        // A folder on the way that is missing is named as the cause.
        {true, out / "missing/list.txt", "file error " + out / "missing"},
    };
    for (const Case& c : cases) {
        shell.calls.clear();
        if (c.readFirst) {
            read(tree.path());
        }
        save(c.answer);
        ASSERT_FALSE(shell.calls.empty());
        EXPECT_EQ(shell.calls.back(), c.lastCall);
        EXPECT_TRUE(namesIn(out.path()).empty());
    }
}

TEST_F(WindowLogic, TheOptionsDialogKeepsItsTicksOnlyOnOk) {
    struct Case {
        bool ok;
        int fullPath;
    };
    for (const Case c : {Case{false, 0}, Case{true, 1}}) {
        dlg.m_optionsDlg.m_bShowFullPath = 0;
        toolkit.person.push_back([&](CDialog& options, RecordingView& v) {
            EXPECT_EQ(v.texts[ids::Options::kFullPath],
                      "Show &full path of each single file in TXT file");
            EXPECT_EQ(v.checks[ids::Options::kExtensions], 1) << "the defaults are shown";
            v.checks[ids::Options::kFullPath] = 1;
            c.ok ? options.OnOK() : options.OnCancel();
        });
        dlg.OnCommand(Main::kOptions);
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowFullPath, c.fullPath);
    }
    read(tree.path());
    save(out / "list.txt");
    EXPECT_SAME_BYTES(readBytes(out / "list.txt"), expectedExport({.showFullPath = true}));
}

TEST_F(WindowLogic, ALanguageChosenWithOkIsStoredAndShownAndTheOptionsStartAgain) {
    dlg.m_optionsDlg.m_bShowDateTime = 0;
    toolkit.person.push_back([](CDialog& language, RecordingView& v) {
        EXPECT_EQ(v.texts[ids::Language::kLanguages], "English") << "the stored one preselected";
        v.Choose(ids::Language::kLanguages, "Deutsch");
        language.OnOK();
    });
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    EXPECT_EQ(CSettingsStore().ReadSetting("Language"), "[1031]");
    EXPECT_EQ(view.texts[Main::kSaveTxtFile], "*.txt &speichern!");
    EXPECT_EQ(view.listHeader, "Dateiname");
    EXPECT_EQ(toolkit.interfaceLocale, "de_DE");
    EXPECT_EQ(dlg.m_optionsDlg.m_bShowDateTime, 1);

    // Escape leaves the language, and the window, as they are.
    toolkit.person.push_back([](CDialog& language, RecordingView& v) {
        v.Choose(ids::Language::kLanguages, "Français");
        language.OnCancel();
    });
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    EXPECT_EQ(CSettingsStore().ReadSetting("Language"), "[1031]");
    EXPECT_EQ(toolkit.dialogsRun,
              (std::vector<int>{ids::Language::kDialog, ids::Language::kDialog}));
}

TEST_F(WindowLogic, ACancelledReadLeavesTheWindowAsIfNothingWasRead) {
    read(tree.path());
    toolkit.inProgress = [](CDialog& progress, RecordingView& v) {
        EXPECT_EQ(v.texts[ids::Progress::kFiles], "Files found: 0@en_US");
        progress.OnCancel();
        EXPECT_FALSE(v.enabled[window::IDCANCEL]);
    };
    read(tree.path());
    EXPECT_EQ(view.texts[Main::kFolderLabel], "Content of the folder:");
    EXPECT_TRUE(dlg.m_fileList.empty());
    EXPECT_TRUE(dlg.m_strChosenFolder.empty());
    save(out / "list.txt");
    EXPECT_EQ(shell.messages.back().text,
              "There is nothing to export yet. Please read a file list first.");
}

TEST_F(WindowLogic, AnInterruptionDuringAReadStopsItAndEndsTheWindow) {
    toolkit.inProgress = [&](CDialog&, RecordingView&) { dlg.OnInterruption(); };
    read(tree.path());
    EXPECT_EQ(toolkit.quits, 1);
    EXPECT_TRUE(dlg.m_fileList.empty()) << "the walk was told to stop before it began";
}

class WindowLogicOpening : public WindowLogic {
protected:
    WindowLogicOpening() : WindowLogic("[1036]") {}
};

TEST_F(WindowLogicOpening, ShowsTheCatalogueOnMenuControlsAndListWithThreeOptionsOn) {
    EXPECT_EQ(view.popups[0], "&Fichier");
    EXPECT_EQ(view.listHeader, "Nom du fichier");
    EXPECT_EQ(toolkit.interfaceLocale, "fr_FR");
    const auto& o = dlg.m_optionsDlg;
    EXPECT_EQ((std::vector<int>{o.m_bShowFullPath, o.m_bShowExtensions, o.m_bShowDateTime,
                                o.m_bOpenAfterSaving}),
              (std::vector<int>{0, 1, 1, 1}));
}

TEST(WindowLogicStart, AConfigThatCannotBeReadIsReportedAndTheTemplateTextsStay) {
    // What was set before the opening is shown, whatever the template says.
    ProgramFolder program;
    program.remove("config.ini");
    RecordingShell shell;
    FakeToolkit toolkit;
    CExportDlg dlg(shell);
    RecordingView view;
    view.texts[Main::kIntro] = "template intro";
    dlg.m_bSubFolders = 1;
    dlg.Attach(&view);
    EXPECT_TRUE(dlg.StartDialog());
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), program.file("config.ini"));
    EXPECT_EQ(view.texts[Main::kIntro], "template intro");
    EXPECT_EQ(view.checks[Main::kSubFolders], 1);
    dlg.Attach(nullptr);
}

} // namespace

namespace {

// The main window in the language `tag`, its parts open to the test.
struct WindowIn : LogicWindow {
    explicit WindowIn(const char* tag) : LogicWindow(tag) {}
    using LogicWindow::dlg;
    using LogicWindow::read;
    using LogicWindow::save;
    using LogicWindow::shell;
    using LogicWindow::view;
};

class WindowLogicShortOfOpenFiles : public ::testing::Test {
protected:
    void TearDown() override { platform::clearStepFailures(); }
};

} // namespace

// A read that could not open folders for lack of open files names them, up
// to twenty, in the interface language, and leaves nothing to export: a list
// without their files would pass for whole.
TEST_F(WindowLogicShortOfOpenFiles, TheFoldersNotReadAreNamedAndNothingIsLeftToExport) {
    TreeDir tree{"top.txt"};
    std::string named;
    for (int i = 0; i < 22; ++i) {
        const std::string folder = "f" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        tree.add(folder + "/x.txt", "");
        named += i < 20 ? "\n" + tree / folder : "";
    }
    struct Case {
        const char* tag;
        const char* begins;
        const char* notRead;
    };
    const Case cases[] = {
        {"[1033]", "Some folders could not be read because", "Folders not read:"},
        {"[1031]", "Einige Ordner konnten nicht gelesen werden", "Nicht gelesene Ordner:"},
        {"[1036]", "Certains dossiers n'ont pas pu être lus", "Dossiers non lus :"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        WindowIn w(c.tag);
        w.read(tree.path()); // a list to lose
        ASSERT_EQ(w.dlg.m_fileList.size(), 23u);
        w.shell.calls.clear();
        platform::failStepAlways(platform::Step::OpenFolder, EMFILE);
        w.read(tree.path());
        platform::clearStepFailures();
        ASSERT_EQ(w.shell.messages.size(), 1u);
        const std::string& text = w.shell.messages[0].text;
        EXPECT_TRUE(text.starts_with(c.begins)) << text;
        ASSERT_NE(text.find(c.notRead), std::string::npos) << text;
        EXPECT_EQ(text.substr(text.find(c.notRead)), c.notRead + ("\n" + named) + "\n...");
        EXPECT_EQ(w.shell.messages[0].caption, "Orvane Zentory");
        EXPECT_EQ(w.view.texts[Main::kFolderLabel],
                  w.dlg.m_translator.GetText(TextKey::FolderLabel));
        EXPECT_TRUE(w.dlg.m_fileList.empty());
        EXPECT_TRUE(w.dlg.m_strChosenFolder.empty());
        w.save(tree / "list.txt");
        EXPECT_EQ(w.shell.messages.back().text,
                  w.dlg.m_translator.GetText(TextKey::NothingToExport));
        EXPECT_FALSE(fs::exists(tree / "list.txt"));
    }
}

namespace {

// The file-error box is worded in the interface language; the system's reason
// stays as the system gave it.
TEST(WindowLogicFileError, TheBoxSpeaksTheInterfaceLanguage) {
    struct Case {
        const char* tag;
        const char* text;
    };
    const Case cases[] = {
        {"[1033]", "Cannot write to the file \"/dev/full\".\n\nNo space left on device."},
        {"[1031]", "In die Datei „/dev/full“ kann nicht geschrieben werden.\n\n"
                   "No space left on device."},
        {"[1036]", "Impossible d'écrire dans le fichier « /dev/full ».\n\n"
                   "No space left on device."},
    };
    const TreeDir tree{"a.txt"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        WindowIn w(c.tag);
        w.read(tree.path());
        w.save("/dev/full"); // written through, never replaced
        ASSERT_EQ(w.shell.fileErrors.size(), 1u);
        EXPECT_EQ(w.shell.fileErrors[0].text, c.text);
    }
}

} // namespace
