// The Help menu and F1: the help page beside the program, the web address of
// the settings file, and the About box.

#include "Framed.h"

#include "WindowTest.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

using zentory::window::CAboutDlg;
using namespace zentory::test;

namespace {

class InformationCommands : public WindowTest {
protected:
    std::string helpPage() const { return program.file("help.html"); }
};

TEST_F(InformationCommands, HelpMenuOpensTheHelpPageBesideTheProgram) {
    // The working folder is never asked.
    const QString before = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    open([&] { dlg.MenuCommand(32775)->trigger(); });
    QDir::setCurrent(before);
    EXPECT_EQ(shell.opened, std::vector<std::string>{helpPage()});
}

TEST_F(InformationCommands, F1OnAnyControlOpensTheHelpPage) {
    open([&] {
        QTest::keyClick(dlg.m_listFiles, Qt::Key_F1);
        QTest::keyClick(dlg.m_chkSubFolders, Qt::Key_F1);
        QTest::keyClick(dlg.m_btnSave, Qt::Key_F1);
    });
    EXPECT_EQ(shell.opened, std::vector<std::string>(3, helpPage()));
}

TEST_F(InformationCommands, F1WithAMenuOpenOpensTheHelpPage) {
    open([&] {
        QMenu* help = dlg.GetSubMenu(1);
        dlg.GetMenu()->setActiveAction(help->menuAction());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == help; }));
        QTest::keyClick(help, Qt::Key_F1);
        help->close();
    });
    EXPECT_EQ(shell.opened, std::vector<std::string>{helpPage()});
}

TEST_F(InformationCommands, F1InTheOptionsDialogDoesNothing) {
    open([&] {
        whenModalOpens([&](QWidget* options) {
            QTest::keyClick(options, Qt::Key_F1);
            QTest::keyClick(options, Qt::Key_Escape);
        });
        dlg.m_btnOptions->click();
    });
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(InformationCommands, WebPageGoesToTheShellUnchangedSpacesAndAll) {
    program.writeConfig("Product ID\r\nzentory\r\nLanguage\r\n[1033]\r\nHomepage\r\n"
                        "  https://example.org/zentory page  \r\n");
    open([&] { dlg.MenuCommand(32776)->trigger(); });
    EXPECT_EQ(shell.opened, std::vector<std::string>{"  https://example.org/zentory page  "});
}

TEST_F(InformationCommands, WebPageWithoutAnAddressHandsTheShellTheEmptyText) {
    program.writeConfig("Product ID\nzentory\nLanguage\n[1033]\n");
    open([&] { dlg.MenuCommand(32776)->trigger(); });
    EXPECT_EQ(shell.opened, std::vector<std::string>{""});
    EXPECT_TRUE(shell.fileErrors.empty());
}

TEST_F(InformationCommands, WebPageWithoutSettingsShowsTheFileError) {
    open([&] {
        program.remove("config.ini");
        dlg.MenuCommand(32776)->trigger();
        EXPECT_TRUE(dlg.isVisible());
    });
    EXPECT_TRUE(shell.opened.empty());
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), program.file("config.ini"));
}

TEST_F(InformationCommands, AboutShowsTheSameTextsInEveryLanguage) {
    program.setLanguage("[1031]");
    QStringList texts;
    open([&] {
        whenModalOpens([&](QWidget* modal) {
            auto* about = qobject_cast<zentory::qt::DialogFrame*>(modal);
            ASSERT_NE(about, nullptr);
            EXPECT_NE(dynamic_cast<CAboutDlg*>(&about->Logic()), nullptr);
            EXPECT_EQ(about->windowTitle(), "Orvane Zentory");
            for (auto* label : about->findChildren<QLabel*>()) {
                texts << label->text();
            }
            EXPECT_EQ(about->DlgItem<QPushButton>(1)->text(), "OK");
            QTest::keyClick(about, Qt::Key_Escape);
        });
        dlg.MenuCommand(32777)->trigger();
    });
    EXPECT_TRUE(texts.contains("Orvane Zentory Version 1.01"));
    EXPECT_EQ(texts.size(), 4) << "the icon and three lines";
}

TEST(AboutBox, OkEndsIt) {
    zentory::test::Framed<CAboutDlg> about;
    const int result = runModal(about, [&] { about.DlgItem<QPushButton>(1)->click(); });
    EXPECT_EQ(result, zentory::window::IDOK);
}

} // namespace
