// Writes that permission bits refuse or allow: the export into a read-only
// folder (its writable file is rewritten, a new file refused) or over a
// read-only file, and the language change with a read-only config.ini or
// with a writable one in a read-only folder.
// Root passes every permission check, so a root run skips these cases in its
// own process and runs them in a child process as "nobody".

#include "EnvironmentVariable.h"
#include "ExecutableFolder.h"
#include "Nobody.h"
#include "Process.h"
#include "WindowTest.h"
#include "WindowTexts.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace zentory::test;

namespace {

void setMode(const std::string& path, QFile::Permissions permissions) {
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path), permissions));
}

constexpr QFile::Permissions kReadOnlyFolder =
    QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
constexpr QFile::Permissions kWritableFolder = kReadOnlyFolder | QFile::WriteOwner;

class WindowAsNobody : public WindowTest {
protected:
    void SetUp() override {
        if (runningAsRoot()) {
            GTEST_SKIP() << "root passes permission checks; WindowAsRoot runs this as nobody";
        }
    }
    void readTree() { read(tree.path()); }

    TreeDir tree{"a.txt", "b.txt"};
    TreeDir out;
};

TEST_F(WindowAsNobody, ExportIntoAReadOnlyFolderRewritesItsFileAndMakesNoNewOne) {
    out.add("old.txt", "old");
    setMode(out.path(), kReadOnlyFolder);
    open([&] {
        readTree();
        save(out / "old.txt");
        save(out / "new.txt");
    });
    const std::vector<std::string> left = namesIn(out.path());
    setMode(out.path(), kWritableFolder);

    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), out.path()) << "the folder refused the new file";
    EXPECT_EQ(shell.fileErrors[0].reason(), "Permission denied");
    EXPECT_EQ(shell.messages.size(), 1u) << "the first save was confirmed";
    EXPECT_EQ(left, std::vector<std::string>{"old.txt"}) << "no temporary file, no new file";
    EXPECT_TRUE(readBytes(out / "old.txt").starts_with("Contents of "));
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
    EXPECT_EQ(namesIn(out.path()), std::vector<std::string>{"list.txt"});
    EXPECT_EQ(readBytes(out / "list.txt"), "old");
}

TEST_F(WindowAsNobody, LanguageChangeWithAReadOnlyConfigChangesNothing) {
    const std::string config = readBytes(program.file("config.ini"));
    const std::vector<std::string> files = namesIn(program.path());
    setMode(program.file("config.ini"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    open([&] {
        readTree();
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        choose("Deutsch");
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

// An installed tree whose shipped files the user cannot change: the language
// goes into the user's own config.ini, made from the shipped one.
TEST_F(WindowAsNobody, LanguageChangeInAnInstalledTreeWritesOnlyTheUsersFile) {
    TreeDir prefix{"bin/"};
    const std::string data = prefix / "share/zentory";
    for (const char* name : {"config.ini", "zentorytrl.ini"}) {
        prefix.add(std::string("share/zentory/") + name, readBytes(shippedFile(name)));
        setMode(data + '/' + name, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    setMode(data, kReadOnlyFolder);
    const std::string shipped = readBytes(data + "/config.ini");
    const std::string configHome = out / "config";
    const EnvironmentVariable xdgConfigHome("XDG_CONFIG_HOME");
    xdgConfigHome.set(configHome.c_str());
    ExecutableFolder installed(prefix / "bin");
    open([&] {
        choose("Français");
        EXPECT_EQ(textsOf(dlg).step1, QString::fromUtf8("Étape 1"));
    });
    setMode(data, kWritableFolder);

    EXPECT_TRUE(shell.fileErrors.empty());
    EXPECT_EQ(readBytes(data + "/config.ini"), shipped);
    EXPECT_EQ(namesIn(data), (std::vector<std::string>{"config.ini", "zentorytrl.ini"}));
    EXPECT_EQ(namesIn(configHome + "/zentory"), std::vector<std::string>{"config.ini"});
    std::string expected = shipped;
    expected.replace(expected.find("[----]"), 6, "[1036]");
    EXPECT_EQ(readBytes(configHome + "/zentory/config.ini"), expected);
}

TEST_F(WindowAsNobody, LanguageChangeWithAWritableConfigInAReadOnlyFolderWorks) {
    const std::vector<std::string> files = namesIn(program.path());
    setMode(program.path(), kReadOnlyFolder);
    open([&] {
        choose("Deutsch");
        expectTexts(textsOf(dlg), kGerman);
    });
    const std::vector<std::string> left = namesIn(program.path());
    setMode(program.path(), kWritableFolder);
    EXPECT_TRUE(shell.fileErrors.empty());
    EXPECT_NE(readBytes(program.file("config.ini")).find("Language\r\n[1031]\r\n"),
              std::string::npos);
    EXPECT_EQ(left, files) << "no temporary file left";
}

// Runs the cases above in a child process as nobody, when this one is root.
TEST(WindowAsRoot, RunsTheUnprivilegedCasesAsNobody) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "not root: WindowAsNobody ran in this process";
    }
    const Observed child =
        runProcess(asNobody({QCoreApplication::applicationFilePath().toStdString(),
                             "--gtest_filter=WindowAsNobody.*"}),
                   "/", 120);
    ASSERT_FALSE(child.timedOut);
    const std::string output = child.out + child.err;
    if (output.find("[==========] Running") == std::string::npos) {
        GTEST_SKIP() << "nobody cannot run this test program:\n" << output;
    }
    EXPECT_EQ(child.status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 5 tests."), std::string::npos) << output;
    EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
}

} // namespace
