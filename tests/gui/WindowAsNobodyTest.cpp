// Writes that permission bits refuse: the export into a read-only folder or
// over a read-only file, and the language change with a read-only config.ini.
// Root passes every permission check, so a root run skips these cases in its
// own process and runs them in a child process as "nobody".

#include "app/ExportDlg.h"

#include "GuiTestSupport.h"
#include "RecordingShell.h"
#include "WindowTexts.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

#include <unistd.h>

using zentory::CExportDlg;
using zentory::test::expectTexts;
using zentory::test::kEnglish;
using zentory::test::namesIn;
using zentory::test::ProgramFolder;
using zentory::test::readBytes;
using zentory::test::RecordingShell;
using zentory::test::runModal;
using zentory::test::textsOf;
using zentory::test::TreeFolder;
using zentory::test::whenModalOpens;

namespace {

bool runningAsRoot() {
    return ::geteuid() == 0;
}

void setMode(const std::string& path, QFile::Permissions permissions) {
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path), permissions));
}

constexpr QFile::Permissions kReadOnlyFolder =
    QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
constexpr QFile::Permissions kWritableFolder = kReadOnlyFolder | QFile::WriteOwner;

class WindowAsNobody : public ::testing::Test {
protected:
    void SetUp() override {
        if (runningAsRoot()) {
            GTEST_SKIP() << "root passes permission checks; WindowAsRoot runs this as nobody";
        }
    }
    void open(const std::function<void()>& whileOpen) {
        runModal(dlg, [&] {
            whileOpen();
            QTest::keyClick(&dlg, Qt::Key_Escape);
        });
    }
    void readTree() {
        shell.folderAnswer = tree.path();
        dlg.m_btnReadList->click();
    }
    void save(const std::string& path) {
        shell.saveAnswer = path;
        dlg.m_btnSave->click();
    }

    ProgramFolder program;
    TreeFolder tree{"a.txt", "b.txt"};
    TreeFolder out;
    RecordingShell shell;
    CExportDlg dlg{shell};
};

TEST_F(WindowAsNobody, ExportIntoAReadOnlyFolderReportsAndLeavesTheFolderAlone) {
    out.add("old.txt", "old");
    setMode(out.path(), kReadOnlyFolder);
    open([&] {
        readTree();
        save(out / "old.txt");
        save(out / "new.txt");
    });
    const QStringList left = namesIn(out.path());
    setMode(out.path(), kWritableFolder);

    ASSERT_EQ(shell.fileErrors.size(), 2u);
    EXPECT_EQ(shell.fileErrors[0].path(), out / "old.txt");
    EXPECT_EQ(shell.fileErrors[1].path(), out / "new.txt");
    EXPECT_EQ(shell.fileErrors[1].reason(), "Permission denied");
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(left, QStringList{"old.txt"}) << "no temporary file, no new file";
    EXPECT_EQ(readBytes(out / "old.txt"), "old");
}

TEST_F(WindowAsNobody, ExportOverAReadOnlyFileReportsAndKeepsIt) {
    out.add("list.txt", "old");
    setMode(out / "list.txt", QFile::ReadOwner);
    open([&] {
        readTree();
        save(out / "list.txt");
    });
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), out / "list.txt");
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(namesIn(out.path()), QStringList{"list.txt"});
    EXPECT_EQ(readBytes(out / "list.txt"), "old");
}

TEST_F(WindowAsNobody, LanguageChangeWithAReadOnlyConfigChangesNothing) {
    const QByteArray config = readBytes(program.file("config.ini"));
    const QStringList files = namesIn(program.path());
    setMode(program.file("config.ini"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    open([&] {
        readTree();
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        whenModalOpens([](QWidget* modal) {
            auto* combo = modal->findChild<QComboBox*>();
            combo->setCurrentIndex(combo->findText("Deutsch"));
            QTest::keyClick(combo, Qt::Key_Return);
        });
        dlg.MenuCommand(32778)->trigger();
        auto expected = kEnglish;
        expected.folderLabel = QString::fromStdString(tree.path()) + "/...";
        expectTexts(textsOf(dlg), expected);
    });
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), program.file("config.ini"));
    EXPECT_EQ(dlg.m_optionsDlg.m_bShowDateTime, 0) << "the window was not set up again";
    EXPECT_EQ(readBytes(program.file("config.ini")), config);
    EXPECT_EQ(namesIn(program.path()), files) << "no temporary file left";
}

// Runs the cases above in a child process as nobody, when this one is root.
TEST(WindowAsRoot, RunsTheUnprivilegedCasesAsNobody) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "not root: WindowAsNobody ran in this process";
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("setpriv",
                {"--reuid=65534", "--regid=65534", "--clear-groups",
                 QCoreApplication::applicationFilePath(), "--gtest_filter=WindowAsNobody.*"});
    if (!child.waitForStarted()) {
        GTEST_SKIP() << "setpriv cannot be started";
    }
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    if (!output.contains("[==========] Running")) {
        GTEST_SKIP() << "nobody cannot run this test program:\n" << output.toStdString();
    }
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 3 tests.")) << output.toStdString();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
}

} // namespace
