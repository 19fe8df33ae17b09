// "Save *.txt File!": the empty-list message, the save dialog, the file the
// core composes for the folder read, the confirmation and the opening after
// it, and writes that fail.

#include "WindowTest.h"

#include "export/TextExport.h"
#include "listing/FolderScan.h"
#include "platform/Clock.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

using zentory::ExportOptions;
using namespace zentory::test;

namespace {

constexpr zentory::platform::LocalTime kStamp{2007, 5, 17, 14, 30};

class SaveTxtFile : public WindowTest {
protected:
    SaveTxtFile() { zentory::platform::setClockForTesting({{2007, 5, 17, 14, 30}}); }
    ~SaveTxtFile() override { zentory::platform::setClockForTesting(std::nullopt); }

    void readTree() { readWithSubFolders(tree.path()); }
    // What the core composes for the tree with the window's current options.
    std::string expectedExport(const char* text38 = "Contents of",
                               const char* text40 = "Folder") const {
        ExportOptions options;
        options.showFullPath = dlg.m_optionsDlg.m_bShowFullPath == 1;
        options.showExtensions = dlg.m_optionsDlg.m_bShowExtensions == 1;
        options.showDateTime = dlg.m_optionsDlg.m_bShowDateTime == 1;
        const auto files = zentory::ScanFolder(tree.path(), zentory::ScanOptions::all(true)).files;
        return zentory::composeExport({files, tree.path(), options, {text38, text40}, kStamp});
    }

    TreeDir tree{"Budget.xls",    "img/logo.png", "img/old/logo.bak.png",
                 "img/thumbs.db", "notes.txt",    "zeta.doc"};
    TreeDir out;
};

TEST_F(SaveTxtFile, WritesTheCoresCompositionToTheChosenPath) {
    // The path the dialog returned is used; the working folder plays no part.
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(tree.path()));
    open([&] {
        readTree();
        save(out / "list.txt");
    });
    QDir::setCurrent(before);
    const std::string written = readBytes(out / "list.txt");
    EXPECT_SAME_BYTES(written, expectedExport());
    EXPECT_TRUE(written.starts_with("Contents of " + tree.path() + "/...\r\n\r\nBudget.xls\r\n"));
    EXPECT_TRUE(written.ends_with("Folder exported on 2007/05/17 14:30 with Orvane Zentory"));
    EXPECT_EQ(namesIn(tree.path()).size(), 4u) << "nothing written beside the folder read";

    ASSERT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_EQ(shell.saveRequests[0].proposedName, "FileList.txt");
    // The text list first: a name typed without an extension gets ".txt".
    EXPECT_EQ(shell.saveRequests[0].types,
              (std::vector<zentory::window::SaveType>{{"TXT files (*.txt)", "txt"},
                                                      {"CSV files (*.csv)", "csv"},
                                                      {"JSON files (*.json)", "json"},
                                                      {"HTML page (*.html)", "html"},
                                                      {"Tree (*.txt)", "txt"}}));
}

TEST_F(SaveTxtFile, FollowsTheOptionsAsTheyStandAtThePress) {
    open([&] {
        readTree();
        dlg.m_optionsDlg.m_bShowFullPath = 1;
        dlg.m_optionsDlg.m_bShowExtensions = 0;
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        save(out / "list.txt");
    });
    const std::string written = readBytes(out / "list.txt");
    EXPECT_SAME_BYTES(written, expectedExport());
    EXPECT_TRUE(written.ends_with(tree / "img/thumbs\r\n"));
}

TEST_F(SaveTxtFile, ConfirmsAndThenOpensTheFileOnlyWithTheOption) {
    open([&] {
        readTree();
        save(out / "first.txt");
        dlg.m_optionsDlg.m_bOpenAfterSaving = 0;
        save(out / "second.txt");
    });
    const std::vector<std::string> expected = {"browse",
                                               "save",
                                               "message The file list has been saved.",
                                               "open " + out / "first.txt",
                                               "save",
                                               "message The file list has been saved."};
    EXPECT_EQ(shell.calls, expected);
    EXPECT_EQ(shell.messages.at(0).caption, "Orvane Zentory");
    EXPECT_FALSE(readBytes(out / "second.txt").empty());
}

TEST_F(SaveTxtFile, AnEmptyListGivesTheMessageAndNoSaveDialog) {
    open([&] {
        save(out / "list.txt");
        shell.folderAnswer = std::nullopt;
        dlg.m_btnReadList->click();
        save(out / "list.txt");
    });
    EXPECT_TRUE(shell.saveRequests.empty());
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[1].text,
              "There is nothing to export yet. Please read a file list first.");
    EXPECT_EQ(shell.messages[1].caption, "Orvane Zentory");
    EXPECT_TRUE(namesIn(out.path()).empty());
}

TEST_F(SaveTxtFile, ACancelledSaveDialogWritesAndShowsNothing) {
    out.add("list.txt", "old");
    open([&] {
        readTree();
        save(std::nullopt);
    });
    EXPECT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(readBytes(out / "list.txt"), "old");
}

TEST_F(SaveTxtFile, ReplacesAnExistingFileEntirely) {
    out.add("list.txt", std::string(100000, 'x'));
    open([&] {
        readTree();
        save(out / "list.txt");
    });
    EXPECT_SAME_BYTES(readBytes(out / "list.txt"), expectedExport());
    EXPECT_EQ(namesIn(out.path()), std::vector<std::string>{"list.txt"});
}

// A target that cannot be written: the file-error box names it (or the folder
// that refused a new file), and nothing else happens.
class SaveTxtFileFailure : public SaveTxtFile {
protected:
    void expectOnlyTheFileError(const std::string& target) {
        ASSERT_EQ(shell.fileErrors.size(), 1u);
        EXPECT_EQ(shell.fileErrors[0].path(), target);
        EXPECT_FALSE(shell.fileErrors[0].reason().empty());
        EXPECT_TRUE(shell.messages.empty()) << "no confirmation";
        EXPECT_TRUE(shell.opened.empty());
    }
};

TEST_F(SaveTxtFileFailure, ToAFullDevice) {
    open([&] {
        readTree();
        save("/dev/full");
    });
    expectOnlyTheFileError("/dev/full");
    EXPECT_EQ(shell.fileErrors[0].reason(), "No space left on device");
    EXPECT_TRUE(isCharDevice("/dev/full")) << "/dev/full is still the device";
    const auto names = namesIn("/dev");
    EXPECT_TRUE(std::none_of(names.begin(), names.end(),
                             [](const std::string& name) { return name.starts_with(".full."); }));
}

TEST_F(SaveTxtFileFailure, ToTheNameOfAFolder) {
    out.add("list.txt/inside.txt", "kept");
    open([&] {
        readTree();
        save(out / "list.txt");
    });
    expectOnlyTheFileError(out / "list.txt");
    EXPECT_EQ(namesIn(out.path()), std::vector<std::string>{"list.txt"})
        << "no temporary file left";
    EXPECT_EQ(readBytes(out / "list.txt/inside.txt"), "kept");
}

TEST_F(SaveTxtFileFailure, IntoAMissingFolder) {
    open([&] {
        readTree();
        save(out / "gone/list.txt");
    });
    expectOnlyTheFileError(out / "gone"); // the folder that refused the new file
    EXPECT_TRUE(namesIn(out.path()).empty());
}

} // namespace
