// The window's command line and display check, the folder named at start, and
// a folder dropped onto the window: each read as if chosen in the browser.

#include "app/StartOptions.h"

#include "Process.h"
#include "WindowTest.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

using zentory::parseStartOptions;
using zentory::StartOptions;
using zentory::qt::displayProblem;
using namespace zentory::test;
using Action = zentory::StartOptions::Action;

namespace {

StartOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "zentory");
    return parseStartOptions(static_cast<int>(args.size()), args.data());
}

TEST(StartOptions, TakesOneFolderAndTheUsualOptions) {
    EXPECT_EQ(parse({}).action, Action::Run);
    EXPECT_EQ(parse({}).folder, "");
    EXPECT_EQ(parse({"/home/me/Pictures"}).folder, "/home/me/Pictures");
    EXPECT_EQ(parse({"--", "-odd name"}).folder, "-odd name");
    EXPECT_EQ(parse({"-"}).folder, "-");
    EXPECT_EQ(parse({"x", "--help"}).action, Action::Help);
    EXPECT_EQ(parse({"-h"}).action, Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
    EXPECT_EQ(parse({"--", "--version"}).action, Action::Run);

    EXPECT_EQ(parse({"-platform", "offscreen"}).error, "unknown option '-platform'");
    EXPECT_EQ(parse({"a", "b"}).action, Action::Usage);
    EXPECT_EQ(parse({""}).action, Action::Usage);
}

TEST(StartOptions, ADisplayIsNeededUnlessQtDrawsWithoutOne) {
    EXPECT_EQ(displayProblem("", ":0", ""), "");
    EXPECT_EQ(displayProblem("", "", "wayland-0"), "");
    EXPECT_NE(displayProblem("", "", ""), "");
    EXPECT_EQ(displayProblem("offscreen", "", ""), "");
    EXPECT_EQ(displayProblem("vnc:size=800x600", "", ""), "");
    EXPECT_NE(displayProblem("xcb", "", "wayland-0"), "");
    EXPECT_NE(displayProblem("wayland-egl", ":0", ""), "");
    EXPECT_EQ(displayProblem("wayland;xcb", ":0", ""), "");
    EXPECT_NE(displayProblem(";", "", ""), "");
    const std::string line = displayProblem("", "", "");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("DISPLAY"), std::string::npos);
}

TEST(StartOptions, ADisplayThatDoesNotAnswerEndsInOneLine) {
    // A display is named, but no X server answers there.
    const Observed run = runProcess({"env", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb",
                                     "DISPLAY=:93", "XAUTHORITY=/dev/null", ZENTORY_GUI_PATH},
                                    "/");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err.rfind("zentory: the window cannot open: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
}

class StartFolder : public WindowTest {
protected:
    // Waits until the label above the list shows `folder` as read.
    bool waitForLabel(const std::string& folder) {
        const QString expected = QString::fromStdString(folder) + "/...";
        return QTest::qWaitFor([&] { return dlg.DlgItem<QLabel>(1006)->text() == expected; });
    }
    int rows() const { return dlg.m_listFiles->model()->rowCount(); }
    // Sends a drag carrying `urls` onto the window and, when it was taken, the drop.
    bool drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &dropped);
        return dropped.isAccepted();
    }

    TreeDir tree{"a.txt", "b.txt", "sub/c.txt", "sub/deeper/d.txt"};
};

TEST_F(StartFolder, IsReadOnceTheWindowIsUpWithTheBoxAsAtStart) {
    dlg.m_strStartFolder = tree.path();
    open([&] {
        ASSERT_TRUE(waitForLabel(tree.path()));
        EXPECT_EQ(rows(), 2);
        EXPECT_FALSE(dlg.m_chkSubFolders->isChecked());
    });
    EXPECT_EQ(dlg.m_strChosenFolder, tree.path());
    EXPECT_TRUE(shell.calls.empty()) << "no browser, no box";
}

TEST_F(StartFolder, ARelativeFolderIsTakenFromTheWorkingFolder) {
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(tree / "sub"));
    dlg.m_strStartFolder = "deeper/../deeper/";
    open([&] { ASSERT_TRUE(waitForLabel(tree / "sub/deeper")); });
    QDir::setCurrent(before);
    EXPECT_EQ(dlg.m_fileList.size(), 1u);
    EXPECT_EQ(dlg.m_fileList.entry(0), tree / "sub/deeper/d.txt\n");
}

TEST_F(StartFolder, OneThatCannotBeReadIsReportedAndLeavesTheCaptionAndAnEmptyList) {
    dlg.m_strStartFolder = tree / "missing";
    open([&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shell.calls.empty(); }));
        EXPECT_EQ(dlg.DlgItem<QLabel>(1006)->text(), "Content of the folder:");
        EXPECT_EQ(rows(), 0);
    });
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"message The folder \"" + tree / "missing" +
                                                     "\" cannot be read. It may not exist, or "
                                                     "it may not be a folder."}));
}

TEST_F(StartFolder, ADroppedFolderIsReadWithTheBoxAsItStands) {
    open([&] {
        dlg.m_chkSubFolders->setChecked(true);
        ASSERT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(tree / "sub/"))}));
        ASSERT_TRUE(waitForLabel(tree / "sub"));
        EXPECT_EQ(rows(), 2);
        dlg.m_chkSubFolders->setChecked(false);
        ASSERT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(tree.path()))}));
        ASSERT_TRUE(waitForLabel(tree.path()));
        EXPECT_EQ(rows(), 2);
        EXPECT_EQ(dlg.m_fileList.entry(0), tree / "a.txt\n");
    });
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(StartFolder, OnlyOneLocalFolderIsTakenFromADrop) {
    auto local = [&](const std::string& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    };
    open([&] {
        EXPECT_FALSE(drop({local(tree / "a.txt")}));
        EXPECT_FALSE(drop({local(tree / "missing")}));
        EXPECT_FALSE(drop({local(tree.path()), local(tree / "sub")}));
        EXPECT_FALSE(drop({QUrl("https://example.org/")}));
        EXPECT_FALSE(drop({}));
        QTest::qWait(50);
        EXPECT_EQ(rows(), 0);
    });
    EXPECT_EQ(dlg.m_strChosenFolder, "");
}

} // namespace
