// The window's folder label with "&" in a path, a folder named at start or
// dropped that cannot be read, and what assistive technology is told: the
// list's name and count, and the dialogs' names.

#include "LogicWindow.h"

#include "PrefixText.h"
#include "ResourceIds.h"
#include "export/ExportRequestBuilder.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"

#include "TextDiff.h"
#include "TreeDir.h"

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using Main = ids::Main;
using window::CDialog;

namespace {

TEST(PrefixText, DoublingThenShowingGivesTheTextBack) {
    struct Case {
        const char* text;
        const char* doubled;
        const char* shown; // of the text itself, as a static shows it
    };
    const Case cases[] = {
        {"", "", ""},
        {"plain", "plain", "plain"},
        {"R&D Müller & Co", "R&&D Müller && Co", "RD Müller  Co"},
        {"&&", "&&&&", "&"},
        {"end&", "end&&", "end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(window::DoublePrefixes(c.text), c.doubled);
        EXPECT_EQ(window::ShownText(c.text), c.shown);
        EXPECT_EQ(window::ShownText(window::DoublePrefixes(c.text)), c.text);
    }
}

class NamedFolder : public ::testing::Test, protected LogicWindow {
protected:
    void start(const std::string& folder) {
        dlg.m_strStartFolder = folder;
        dlg.OnShown();
    }
    std::string listName() { return view.accessibleNames[Main::kFileList]; }

    TreeDir tree{"R&D Müller & Co/a.txt", "R&D Müller & Co/b.txt", "plain.txt", "empty/"};
    TreeDir out;
};

TEST_F(NamedFolder, AnAmpersandShowsAsItselfAndTheExportNamesTheFolderAsItIs) {
    const std::string folder = tree / "R&D Müller & Co";
    start(folder);
    EXPECT_EQ(view.texts[Main::kFolderLabel], window::DoublePrefixes(folderLabel(folder)));
    EXPECT_EQ(window::ShownText(view.texts[Main::kFolderLabel]), folder + "/...");
    EXPECT_EQ(listName(), folder) << "the list is known by the folder its label shows";

    shell.saveAnswer = out / "list.txt";
    dlg.OnCommand(Main::kSaveTxtFile);
    const auto files = ScanFolder(folder, ScanOptions::all(false)).files;
    const ExportOptions options{.showExtensions = true, .showDateTime = true};
    EXPECT_SAME_BYTES(readBytes(out / "list.txt"),
                      composeExport(makeExportRequest({.files = files, .folder = folder}, options,
                                                      &dlg.m_translator)));
}

TEST_F(NamedFolder, OneMissingOrNoFolderIsReportedAndLeavesNothingToExport) {
    struct Case {
        std::string folder;
        bool read;
    };
    const Case cases[] = {
        {tree / "missing", false},
        {tree / "plain.txt", false},
        {tree / "R&D Müller & Co", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        start(tree / "R&D Müller & Co"); // a list to lose
        shell.calls.clear();
        view.checks[Main::kSubFolders] = 1;
        start(c.folder);
        EXPECT_EQ(view.checks[Main::kSubFolders], 1) << "the box stays as it stands";
        if (c.read) {
            EXPECT_TRUE(shell.calls.empty());
            EXPECT_EQ(dlg.m_strChosenFolder, c.folder);
            continue;
        }
        EXPECT_EQ(shell.calls,
                  (std::vector<std::string>{"message The folder \"" + c.folder +
                                            "\" cannot be read. It may not exist, or it may not "
                                            "be a folder."}));
        EXPECT_EQ(shell.messages.back().caption, "Orvane Zentory");
        EXPECT_EQ(view.texts[Main::kFolderLabel], "Content of the folder:");
        EXPECT_EQ(listName(), "Content of the folder:");
        EXPECT_TRUE(dlg.m_fileList.empty());
        EXPECT_EQ(view.listFiles, &dlg.m_fileList);
        EXPECT_TRUE(dlg.m_strChosenFolder.empty());
    }
    // A drop goes the same way.
    shell.calls.clear();
    dlg.OnDropFolder(tree / "plain.txt");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_TRUE(dlg.m_fileList.empty());
    dlg.OnCommand(Main::kSaveTxtFile);
    EXPECT_EQ(shell.messages.back().text,
              "There is nothing to export yet. Please read a file list first.");
}

TEST_F(NamedFolder, EachReadAnnouncesHowManyFilesTheListHolds) {
    start(tree / "R&D Müller & Co");
    dlg.OnDropFolder(tree / "empty");
    toolkit.inProgress = [](CDialog& progress, RecordingView& v) {
        EXPECT_EQ(v.accessibleNames[0], "Reading a folder");
        progress.OnCancel();
    };
    dlg.OnDropFolder(tree.path());
    toolkit.inProgress = nullptr;
    // A new language tells the count again, in its own words.
    toolkit.person.push_back([](CDialog& language, RecordingView& v) {
        v.Choose(ids::Language::kLanguages, "Deutsch");
        language.OnOK();
    });
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    const std::string list = std::to_string(Main::kFileList);
    EXPECT_EQ(view.announced, (std::vector<std::string>{list + " Files in the list: 2@en_US",
                                                        list + " Files in the list: 0@en_US",
                                                        list + " Files in the list: 0@en_US",
                                                        list + " Dateien in der Liste: 0@de_DE"}));
}

TEST_F(NamedFolder, DialogsAreKnownByTheirOwnNamesAndTheLanguageBoxByItsGroup) {
    std::map<int, std::string> names; // by template
    for (int i = 0; i < 4; ++i) {
        toolkit.person.push_back([&](CDialog& d, RecordingView& v) {
            names[d.m_nIDTemplate] = v.accessibleNames[0];
            if (d.m_nIDTemplate == ids::Language::kDialog) {
                names[ids::Language::kLanguages] = v.accessibleNames[ids::Language::kLanguages];
            }
        });
    }
    dlg.OnCommand(Main::kOptions);
    dlg.OnCommand(ids::Menu::kAbout);
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    dlg.OnCommand(ids::Menu::kListOptions);
    EXPECT_EQ(names, (std::map<int, std::string>{
                         {ids::Options::kDialog, "Options"},
                         {ids::ListOptions::kDialog, "List options"},
                         {ids::About::kDialog, "About Orvane Zentory"},
                         {ids::Language::kDialog, ""},
                         {ids::Language::kLanguages, "Please select your language"}}));
    EXPECT_EQ(view.accessibleNames.count(0), 0u) << "the main window keeps its caption";
}

} // namespace
