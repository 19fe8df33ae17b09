// Copying from the Qt window: Ctrl+C and the list's context menu hand the
// logic what was chosen in the list, and the shell puts the text on the
// clipboard, where another program (xclip, on an X server) reads it back.

#include "WindowTest.h"

#include "ResourceIds.h"
#include "ui/QtShell.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;

namespace {

class QtCopyList : public WindowTest {
protected:
    // Chooses the rows `rows` of the list as a person would, with Ctrl and the mouse.
    void choose(std::initializer_list<int> rows) {
        QWidget* viewport = dlg.m_listFiles->viewport();
        for (int row : rows) {
            const QRect cell = dlg.m_listFiles->visualRect(dlg.m_listFiles->model()->index(row, 0));
            QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, cell.center());
        }
    }

    TreeDir tree{"a.txt", "b.txt", "c.txt", "d.txt"};
};

TEST_F(QtCopyList, CtrlCOnThreeChosenRowsCopiesExactlyTheirNames) {
    open([&] {
        read(tree.path());
        choose({0, 2, 3});
        QTest::keyClick(dlg.m_listFiles, Qt::Key_C, Qt::ControlModifier);
        ASSERT_EQ(shell.copied.size(), 1u);
        EXPECT_EQ(shell.copied[0], "a.txt\nc.txt\nd.txt\n");
        EXPECT_EQ(dlg.MenuCommand(ids::Menu::kCopyList)->shortcut(),
                  QKeySequence(QKeySequence::Copy));
        EXPECT_EQ(dlg.MenuCommand(ids::Menu::kPrint)->shortcut(),
                  QKeySequence(QKeySequence::Print));
    });
}

TEST_F(QtCopyList, TheListsContextMenuOffersNamesAndFullPaths) {
    open([&] {
        read(tree.path());
        choose({1});
        QMenu* menu = dlg.ListMenu();
        ASSERT_NE(menu, nullptr);
        const QRect cell = dlg.m_listFiles->visualRect(dlg.m_listFiles->model()->index(1, 0));
        emit dlg.m_listFiles->customContextMenuRequested(cell.center());
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << action->text();
        }
        EXPECT_EQ(texts, (QStringList{"Copy &names", "Copy full &paths"}));
        menu->actions()[1]->trigger();
        menu->close();
        ASSERT_EQ(shell.copied.size(), 1u);
        EXPECT_EQ(shell.copied[0], tree.path() + "/b.txt\n");
    });
}

// The text another program reads from the clipboard, or nothing where none can.
std::optional<QString> readByXclip() {
    if (QGuiApplication::platformName() != "xcb" ||
        QStandardPaths::findExecutable("xclip").isEmpty()) {
        return std::nullopt;
    }
    QProcess xclip;
    xclip.start("xclip", {"-o", "-selection", "clipboard"});
    // The program serves the selection from its event loop while xclip waits.
    EXPECT_TRUE(QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000));
    return QString::fromUtf8(xclip.readAllStandardOutput());
}

TEST(QtClipboard, CopiedTextIsUnicodeOnTheClipboardForOtherProgramsToo) {
    qt::QtShell shell;
    const std::string text = "Grüße.txt\nΕλλάδα.txt\n";
    shell.copyText(text);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(text.c_str()));
    if (const auto read = readByXclip()) {
        EXPECT_EQ(*read, QString::fromUtf8(text.c_str()));
    } else {
        std::printf("no X server with xclip: the clipboard was read back in the program only\n");
    }
}

} // namespace
