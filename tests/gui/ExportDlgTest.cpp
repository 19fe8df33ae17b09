// The main window: its texts after the start in each language, the second run
// of its initialisation after a change of language, the start when a file is
// missing, and the ways it ends.

#include "WindowTest.h"
#include "WindowTexts.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace zentory::test;
namespace ui = zentory::qt;

namespace {

class MainWindow : public WindowTest {};

TEST_F(MainWindow, ShowsEveryEnglishTextAfterTheStart) {
    open([&] { expectTexts(textsOf(dlg), kEnglish); });
    EXPECT_EQ(dlg.windowTitle(), "Orvane Zentory");
    EXPECT_TRUE(shell.fileErrors.empty());
}

TEST_F(MainWindow, ShowsEveryGermanTextAfterTheStartButKeepsItsCaption) {
    program.setLanguage("[1031]");
    open([&] { expectTexts(textsOf(dlg), kGerman); });
    EXPECT_EQ(dlg.windowTitle(), "Orvane Zentory");
    // The hidden OK and Cancel buttons keep their template texts.
    EXPECT_EQ(dlg.DlgItem<QPushButton>(1)->text(), "OK");
    EXPECT_EQ(dlg.DlgItem<QPushButton>(2)->text(), "Abbrechen");
}

TEST_F(MainWindow, GivesTheOptionsDialogItsCaptionsAndDefaults) {
    program.setLanguage("[1031]");
    open();
    const auto& options = dlg.m_optionsDlg;
    EXPECT_EQ(options.m_strGroupText, "Optionen");
    EXPECT_EQ(options.m_strFullPathText,
              "&Vollständigen Pfad jeder Datei in die TXT-Datei schreiben");
    EXPECT_EQ(options.m_strExtensionsText, "Dateinamen mit Erweiterung zeigen (*.exe, *.jpg usw.)");
    EXPECT_EQ(options.m_strDateTimeText, "&Datum und Uhrzeit in die *.txt-Datei schreiben");
    EXPECT_EQ(options.m_strOpenAfterSavingText, "*.txt-Datei nach dem Speichern ö&ffnen");
    EXPECT_EQ(options.m_strCancelText, "Abbrechen");
    EXPECT_EQ(options.m_bShowExtensions, 1);
    EXPECT_EQ(options.m_bShowDateTime, 1);
    EXPECT_EQ(options.m_bOpenAfterSaving, 1);
    EXPECT_EQ(options.m_bShowFullPath, 0);
}

TEST_F(MainWindow, PreparesTheListViewWithOneColouredColumn) {
    open([&] {
        EXPECT_EQ(dlg.m_listFiles->model()->columnCount(), 1);
        EXPECT_EQ(dlg.m_listFiles->header()->sectionSize(0), 400);
        EXPECT_FALSE(dlg.m_listFiles->header()->isHidden());
        const QPalette palette = dlg.m_listFiles->viewport()->palette();
        EXPECT_EQ(palette.color(QPalette::Base), QColor(240, 255, 240));
        EXPECT_EQ(palette.color(QPalette::Text), QColor(20, 20, 255));
        // What is painted, not only what is set.
        const QImage shot = dlg.m_listFiles->viewport()->grab().toImage();
        EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() - 3), QColor(240, 255, 240));
    });
}

TEST_F(MainWindow, StartsWithTheFocusOnTheSubFolderBoxAndTheWindowIcon) {
    open([&] {
        EXPECT_EQ(QApplication::focusWidget(), dlg.m_chkSubFolders);
        EXPECT_FALSE(dlg.windowIcon().isNull());
        EXPECT_FALSE(dlg.windowIcon().pixmap(16, 16).isNull());
        EXPECT_FALSE(dlg.windowIcon().pixmap(32, 32).isNull());
    });
}

TEST_F(MainWindow, SecondInitialisationTakesTheNewLanguageAndResetsWhatItOwns) {
    open([&] {
        // As after a read of /data with sub-folders: label, box and two files.
        dlg.m_strFolderLabel = "/data/...";
        dlg.m_bSubFolders = 1;
        dlg.UpdateData(false);
        dlg.m_fileList.append("/data", "a.txt");
        dlg.m_fileList.append("/data/sub", "b.txt");
        dlg.SetListFiles(zentory::ids::Main::kFileList, dlg.m_fileList);
        // Then a click on the box and changed options.
        dlg.m_chkSubFolders->click();
        dlg.m_optionsDlg.m_bShowExtensions = 0;
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        dlg.m_optionsDlg.m_bOpenAfterSaving = 0;
        dlg.m_optionsDlg.m_bShowFullPath = 1;

        program.setLanguage("[1031]");
        EXPECT_TRUE(dlg.OnInitDialog());

        expectTexts(textsOf(dlg), kGerman);
        EXPECT_EQ(dlg.m_strFolderLabel, "Inhalt des Ordners:");
        EXPECT_TRUE(dlg.m_chkSubFolders->isChecked()) << "the click after the read is undone";
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowExtensions, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowDateTime, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_bOpenAfterSaving, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowFullPath, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_strCancelText, "Abbrechen");

        const QAbstractItemModel* model = dlg.m_listFiles->model();
        EXPECT_EQ(model->columnCount(), 1);
        EXPECT_EQ(dlg.m_listFiles->header()->sectionSize(0), 400);
        ASSERT_EQ(model->rowCount(), 2);
        EXPECT_EQ(model->index(0, 0).data().toString(), "a.txt");
        EXPECT_EQ(model->index(1, 0).data().toString(), "b.txt");
        EXPECT_EQ(dlg.m_fileList.size(), 2u);
        EXPECT_EQ(dlg.m_fileList.path(1), "/data/sub/b.txt");

        // The menu keeps its items and commands.
        EXPECT_EQ(dlg.GetMenu()->actions().size(), 2);
        EXPECT_EQ(dlg.GetSubMenu(0)->actions().size(), 8)
            << "list options, language, -, copy list, print, print preview, -, exit";
        EXPECT_EQ(dlg.GetSubMenu(1)->actions().size(), 4);
    });
}

// A start that cannot read one of its files.
class MainWindowStartFailure : public MainWindow,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(MainWindowStartFailure, ShowsTheFileErrorAndOpensWithTheTemplateTexts) {
    program.remove(GetParam());
    bool opened = false;
    open([&] {
        opened = dlg.isVisible();
        EXPECT_EQ(dlg.GetSubMenu(0)->title(), "&File");
        EXPECT_EQ(dlg.MenuCommand(32777)->text(), "&About...");
        EXPECT_EQ(dlg.m_grpStep1->title(), "Step 1");
        EXPECT_EQ(dlg.m_btnReadList->text(), "&Read File List");
        EXPECT_EQ(dlg.m_chkSubFolders->text(), "Include files from s&ub folders");
        // The statics keep the template's texts too, although the first data
        // exchange ran before the catalogue failed.
        EXPECT_EQ(dlg.DlgItem<QLabel>(1019)->text(), kEnglish.intro);
        EXPECT_EQ(dlg.DlgItem<QLabel>(1006)->text(), kEnglish.folderLabel);
        EXPECT_EQ(dlg.DlgItem<QLabel>(1021)->text(), kEnglish.step2Hint);
        EXPECT_EQ(dlg.m_strFolderLabel, "Content of the folder:");
        EXPECT_EQ(dlg.m_listFiles->model()->columnCount(), 0);
    });
    EXPECT_TRUE(opened);
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), program.file(GetParam()));
    EXPECT_EQ(shell.fileErrors[0].reason(), "No such file or directory");
    EXPECT_EQ(dlg.m_optionsDlg.m_bShowExtensions, 0);
    EXPECT_EQ(dlg.m_optionsDlg.m_bShowDateTime, 0);
    EXPECT_EQ(dlg.m_optionsDlg.m_bOpenAfterSaving, 0);
    EXPECT_EQ(dlg.m_optionsDlg.m_bShowFullPath, 0);
}

INSTANTIATE_TEST_SUITE_P(MissingFile, MainWindowStartFailure,
                         ::testing::Values("zentorytrl.ini", "config.ini"));

// Enter ends the window through the hidden OK button wherever the focus is,
// except on a push button, which Enter presses.
TEST_F(MainWindow, EnterOnTheListViewEndsWithOk) {
    const int result = open([&] {
        dlg.m_listFiles->setFocus();
        QTest::keyClick(dlg.m_listFiles, Qt::Key_Return);
    });
    EXPECT_EQ(result, zentory::window::IDOK);
}

TEST_F(MainWindow, EnterOnTheCheckBoxEndsWithOkAndReadsTheBox) {
    const int result = open([&] {
        EXPECT_EQ(QApplication::focusWidget(), dlg.m_chkSubFolders);
        QTest::keyClick(dlg.m_chkSubFolders, Qt::Key_Space);
        QTest::keyClick(dlg.m_chkSubFolders, Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(result, zentory::window::IDOK);
    EXPECT_EQ(dlg.m_bSubFolders, 1);
}

TEST_F(MainWindow, EnterOnAPushButtonPressesThatButton) {
    bool optionsOpened = false;
    const int result = open([&] {
        whenModalOpens([&](QWidget* options) {
            optionsOpened = options == zentory::qt::DialogFrame::Of(dlg.m_optionsDlg);
            QTest::keyClick(options, Qt::Key_Escape);
        });
        dlg.m_btnOptions->setFocus();
        QTest::keyClick(dlg.m_btnOptions, Qt::Key_Return);
        EXPECT_TRUE(dlg.isVisible());
    });
    EXPECT_TRUE(optionsOpened);
    EXPECT_EQ(result, zentory::window::IDCANCEL);
}

TEST_F(MainWindow, EscapeAndTheCloseBoxEndWithCancel) {
    EXPECT_EQ(open([&] { QTest::keyClick(dlg.m_listFiles, Qt::Key_Escape); }),
              zentory::window::IDCANCEL);
    EXPECT_EQ(open([&] { dlg.close(); }), zentory::window::IDCANCEL);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MainWindow, ExitEndsWithOk) {
    EXPECT_EQ(open([&] { dlg.MenuCommand(32771)->trigger(); }), zentory::window::IDOK);
}

} // namespace
