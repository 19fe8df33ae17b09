// "Save *.txt File!": the empty-list message, the save dialog, the file the
// core composes for the folder read, the confirmation and the opening after
// it, and writes that fail.

#include "app/ExportDlg.h"

#include "GuiTestSupport.h"
#include "RecordingShell.h"

#include "export/TextExport.h"
#include "listing/FolderScan.h"
#include "platform/Clock.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>

#include <gtest/gtest.h>

#include <sys/stat.h>

using zentory::CExportDlg;
using zentory::ExportOptions;
using zentory::test::namesIn;
using zentory::test::ProgramFolder;
using zentory::test::readBytes;
using zentory::test::RecordingShell;
using zentory::test::runModal;
using zentory::test::TreeFolder;

namespace {

constexpr const char* kStamp = "200705171430";

class SaveTxtFile : public ::testing::Test {
protected:
    SaveTxtFile() { zentory::platform::setClockForTesting({{2007, 5, 17, 14, 30}}); }
    ~SaveTxtFile() override { zentory::platform::setClockForTesting(std::nullopt); }

    void open(const std::function<void()>& whileOpen) {
        runModal(dlg, [&] {
            whileOpen();
            QTest::keyClick(&dlg, Qt::Key_Escape);
        });
    }
    // Reads the tree with its sub-folders.
    void readTree() {
        shell.folderAnswer = tree.path();
        dlg.m_chkSubFolders->setChecked(true);
        dlg.m_btnReadList->click();
    }
    // Presses the button; the save dialog answers `path`, or is cancelled.
    void save(std::optional<std::string> path) {
        shell.saveAnswer = std::move(path);
        dlg.m_btnSave->click();
    }
    // What the core composes for the tree with the window's current options.
    QByteArray expectedExport(const char* text38 = "Contents of",
                              const char* text40 = "Folder") const {
        ExportOptions options;
        options.showFullPath = dlg.m_optionsDlg.m_bShowFullPath == 1;
        options.showExtensions = dlg.m_optionsDlg.m_bShowExtensions == 1;
        options.showDateTime = dlg.m_optionsDlg.m_bShowDateTime == 1;
        const auto files = zentory::ScanFolder(tree.path(), true).files;
        return QByteArray::fromStdString(
            zentory::ComposeExport({files, tree.path(), options, {text38, text40}, kStamp}));
    }

    ProgramFolder program;
    TreeFolder tree{"Budget.xls",    "img/logo.png", "img/old/logo.bak.png",
                    "img/thumbs.db", "notes.txt",    "zeta.doc"};
    TreeFolder out;
    RecordingShell shell;
    CExportDlg dlg{shell};
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
    const QByteArray written = readBytes(out / "list.txt");
    EXPECT_EQ(written, expectedExport());
    EXPECT_TRUE(written.startsWith(
        QByteArray::fromStdString("Contents of " + tree.path() + "/...\r\n\r\nBudget.xls\r\n")));
    EXPECT_TRUE(written.endsWith("Folder exported on 2007/05/17 14:30 with Orvane Zentory"));
    EXPECT_EQ(namesIn(tree.path()).size(), 4) << "nothing written beside the folder read";

    ASSERT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_EQ(shell.saveRequests[0].proposedName, "FileList.txt");
    EXPECT_EQ(shell.saveRequests[0].filter, "TXT files (*.txt)|*.txt||");
    EXPECT_EQ(shell.saveRequests[0].defaultExt, "txt");
}

TEST_F(SaveTxtFile, FollowsTheOptionsAsTheyStandAtThePress) {
    open([&] {
        readTree();
        dlg.m_optionsDlg.m_bShowFullPath = 1;
        dlg.m_optionsDlg.m_bShowExtensions = 0;
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        save(out / "list.txt");
    });
    const QByteArray written = readBytes(out / "list.txt");
    EXPECT_EQ(written, expectedExport());
    EXPECT_TRUE(written.endsWith(QByteArray::fromStdString(tree / "img/thumbs\r\n")));
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
    EXPECT_FALSE(readBytes(out / "second.txt").isEmpty());
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
    EXPECT_TRUE(namesIn(out.path()).isEmpty());
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
    out.add("list.txt", QByteArray(100000, 'x'));
    open([&] {
        readTree();
        save(out / "list.txt");
    });
    EXPECT_EQ(readBytes(out / "list.txt"), expectedExport());
    EXPECT_EQ(namesIn(out.path()), QStringList{"list.txt"});
}

// A target that cannot be written: the file-error box names it, and nothing
// else happens.
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
    struct stat st {};
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/full is still the device";
    EXPECT_TRUE(namesIn("/dev").filter(QRegularExpression("^\\.full\\.")).isEmpty());
}

TEST_F(SaveTxtFileFailure, ToTheNameOfAFolder) {
    out.add("list.txt/inside.txt", "kept");
    open([&] {
        readTree();
        save(out / "list.txt");
    });
    expectOnlyTheFileError(out / "list.txt");
    EXPECT_EQ(namesIn(out.path()), QStringList{"list.txt"}) << "no temporary file left";
    EXPECT_EQ(readBytes(out / "list.txt/inside.txt"), "kept");
}

TEST_F(SaveTxtFileFailure, IntoAMissingFolder) {
    open([&] {
        readTree();
        save(out / "gone/list.txt");
    });
    expectOnlyTheFileError(out / "gone/list.txt");
    EXPECT_TRUE(namesIn(out.path()).isEmpty());
}

} // namespace
