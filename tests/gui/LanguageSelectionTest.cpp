// The language dialog on its own (the list, the preselection, the mapping of
// the confirmed text back to a tag) and the window's language command.

#include "Framed.h"

#include "EnvironmentVariable.h"
#include "ExecutableFolder.h"
#include "Nobody.h"
#include "WindowTest.h"
#include "WindowTexts.h"

#include "export/TextExport.h"
#include "listing/FolderScan.h"
#include "platform/Clock.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <unistd.h>

using zentory::window::CLanguageDlg;
using namespace zentory::test;
namespace ui = zentory::qt;

namespace {

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

class LanguageDialog : public ::testing::Test {
protected:
    // Runs the dialog with the stored tag `tag`; `whileOpen` gets its combo box.
    int run(const std::string& tag, const std::function<void(QComboBox*)>& whileOpen) {
        dlg.m_strLanguageTag = tag;
        dlg.m_strGroupCaption = "Please select your language";
        return runModal(dlg, [&] { whileOpen(dlg.m_comboLanguages); });
    }
    void pressOk() { QTest::keyClick(dlg.m_comboLanguages, Qt::Key_Return); }

    ProgramFolder program;
    RecordingShell shell;
    zentory::test::QtLanguageDlg dlg{shell};
};

TEST_F(LanguageDialog, ListsTheLanguagesSortedAndPreselectsTheStoredOne) {
    const int result = run("[1031]", [&](QComboBox* combo) {
        EXPECT_EQ(itemsOf(combo), QStringList({"Deutsch", "English", "Français"}));
        EXPECT_EQ(combo->currentIndex(), 0);
        EXPECT_EQ(combo->currentText(), "Deutsch");
        EXPECT_EQ(dlg.m_groupLanguages->title(), "Please select your language");
        EXPECT_EQ(dlg.windowTitle(), "Language Selection");
        pressOk();
    });
    EXPECT_EQ(result, zentory::window::IDOK);
    EXPECT_EQ(dlg.m_strLanguageTag, "[1031]");
}

TEST_F(LanguageDialog, OkMapsTheChosenNameToItsTag) {
    run("[1033]", [&](QComboBox* combo) {
        combo->setCurrentIndex(combo->findText("Français"));
        pressOk();
    });
    EXPECT_EQ(dlg.m_strLanguageTag, "[1036]");
}

TEST_F(LanguageDialog, AStoredTagThatIsNotListedShowsTheSystemDefaultText) {
    run("[----]", [&](QComboBox* combo) {
        EXPECT_EQ(combo->currentIndex(), -1);
        EXPECT_EQ(combo->currentText(), "System default language");
        pressOk();
    });
    EXPECT_EQ(dlg.m_strLanguageTag, "[----]");
}

TEST_F(LanguageDialog, ANameTypedInOtherLetterCaseChangesNothing) {
    const int result = run("[1033]", [&](QComboBox* combo) {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "deutsch");
        EXPECT_EQ(combo->currentText(), "deutsch");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(result, zentory::window::IDOK);
    EXPECT_EQ(dlg.m_strLanguageTag, "[1033]");
}

TEST_F(LanguageDialog, EscapeAndTheCloseBoxChangeNothing) {
    const int escaped = run("[1033]", [&](QComboBox* combo) {
        combo->setCurrentIndex(combo->findText("Deutsch"));
        QTest::keyClick(combo, Qt::Key_Escape);
    });
    EXPECT_EQ(escaped, zentory::window::IDCANCEL);
    EXPECT_EQ(dlg.m_strLanguageTag, "[1033]");
    const int closed = run("[1033]", [&](QComboBox* combo) {
        combo->setCurrentIndex(combo->findText("Deutsch"));
        dlg.close();
    });
    EXPECT_EQ(closed, zentory::window::IDCANCEL);
    EXPECT_EQ(dlg.m_strLanguageTag, "[1033]");
}

TEST_F(LanguageDialog, OfTwoLanguagesWithOneNameTheLaterOneIsStored) {
    program.writeFile("zentorytrl.ini", "[0001]\r\n00001 x\r\n00002 Same\r\n[EOL]\r\n"
                                        "[0002]\r\n00001 x\r\n00002 Same\r\n[EOL]\r\n");
    run("[0001]", [&](QComboBox* combo) {
        EXPECT_EQ(itemsOf(combo), QStringList({"Same", "Same"}));
        pressOk();
    });
    EXPECT_EQ(dlg.m_strLanguageTag, "[0002]");
}

// A legacy file's name in Latin-1 is no valid UTF-8: shown with a replacement
// character, it is still chosen by its entry.
TEST_F(LanguageDialog, ANameThatIsNoValidTextCanBeChosen) {
    program.writeFile("zentorytrl.ini", "[1033]\r\n00001 x\r\n00002 English\r\n[EOL]\r\n"
                                        "[1036]\r\n00001 x\r\n00002 Fran\xe7"
                                        "ais\r\n[EOL]\r\n");
    run("[1033]", [&](QComboBox* combo) {
        combo->setCurrentIndex(combo->findText("Fran", Qt::MatchStartsWith));
        ASSERT_EQ(combo->currentText(), QString("Fran") + QChar::ReplacementCharacter + "ais");
        pressOk();
    });
    EXPECT_EQ(dlg.m_strLanguageTag, "[1036]");
}

TEST_F(LanguageDialog, AMissingTranslationFileIsReportedAndLeavesTheListEmpty) {
    program.remove("zentorytrl.ini");
    run("[1033]", [&](QComboBox* combo) {
        EXPECT_EQ(combo->count(), 0);
        EXPECT_EQ(combo->currentText(), "");
        EXPECT_EQ(dlg.m_groupLanguages->title(), "Please select your language");
        pressOk();
    });
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), program.file("zentorytrl.ini"));
    EXPECT_EQ(dlg.m_strLanguageTag, "[1033]");
}

// The File menu's command on the open window.
class LanguageSelection : public WindowTest {
protected:
    LanguageSelection() { zentory::platform::setClockForTesting({{2008, 1, 3, 9, 5}}); }
    ~LanguageSelection() override { zentory::platform::setClockForTesting(std::nullopt); }

    std::string storedLanguage() const { return zentory::CSettingsStore().ReadSetting("Language"); }
    std::string composed(const char* text38, const char* text40) const {
        const auto files = zentory::ScanFolder(tree.path(), zentory::ScanOptions::all(true)).files;
        return zentory::composeExport({files,
                                       tree.path(),
                                       zentory::ExportOptions{},
                                       {text38, text40},
                                       zentory::platform::LocalTime{2008, 1, 3, 9, 5}});
    }

    TreeDir tree{"a.txt", "img/logo.png"};
    TreeDir out;
};

TEST_F(LanguageSelection, ToGermanAndBackChangesEveryTextAndKeepsTheList) {
    open([&] {
        readWithSubFolders(tree.path());
        dlg.m_optionsDlg.m_bShowExtensions = 0;
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        dlg.m_optionsDlg.m_bOpenAfterSaving = 0;
        dlg.m_optionsDlg.m_bShowFullPath = 1;

        choose("Deutsch");
        expectTexts(textsOf(dlg), kGerman);
        EXPECT_EQ(dlg.m_optionsDlg.m_strGroupText, "Optionen");
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowExtensions, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowDateTime, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_bOpenAfterSaving, 1);
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowFullPath, 1) << "full path keeps its value";
        EXPECT_EQ(dlg.m_listFiles->model()->rowCount(), 2);
        EXPECT_EQ(dlg.m_listFiles->model()->index(1, 0).data().toString(), "logo.png");

        // The export still names the folder read, not the label's caption.
        dlg.m_optionsDlg.m_bShowFullPath = 0;
        EXPECT_SAME_BYTES(exportTo(out / "de.txt"), composed("Inhalt von", "Ordner"));

        choose("English");
        expectTexts(textsOf(dlg), kEnglish);
        EXPECT_SAME_BYTES(exportTo(out / "en.txt"), composed("Contents of", "Folder"));
    });
    EXPECT_EQ(storedLanguage(), "[1033]");
    EXPECT_TRUE(shell.fileErrors.empty());
    EXPECT_EQ(shell.messages.back().text, "The file list has been saved.");
}

TEST_F(LanguageSelection, ConfirmingTheStoredLanguageWritesNothing) {
    const std::string config = readBytes(program.file("config.ini"));
    open([&] {
        dlg.m_optionsDlg.m_bShowDateTime = 0;
        choose("English");
        EXPECT_EQ(dlg.m_optionsDlg.m_bShowDateTime, 0) << "the window was not set up again";
    });
    EXPECT_EQ(readBytes(program.file("config.ini")), config);
}

TEST_F(LanguageSelection, EscapeChangesNothing) {
    const std::string config = readBytes(program.file("config.ini"));
    open([&] {
        selectLanguage([](QComboBox* combo) {
            combo->setCurrentIndex(combo->findText("Deutsch"));
            QTest::keyClick(combo, Qt::Key_Escape);
        });
        expectTexts(textsOf(dlg), kEnglish);
    });
    EXPECT_EQ(readBytes(program.file("config.ini")), config);
}

TEST_F(LanguageSelection, ANameTypedInOtherLetterCaseChangesNothing) {
    const std::string config = readBytes(program.file("config.ini"));
    open([&] {
        selectLanguage([](QComboBox* combo) {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), "DEUTSCH");
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        });
        expectTexts(textsOf(dlg), kEnglish);
    });
    EXPECT_EQ(readBytes(program.file("config.ini")), config);
}

TEST_F(LanguageSelection, TheDialogShowsTheCaptionOfTheCurrentLanguage) {
    program.setLanguage("[1031]");
    QString caption, selected;
    open([&] {
        selectLanguage([&](QComboBox* combo) {
            caption = combo->window()->findChild<QGroupBox*>()->title();
            selected = combo->currentText();
            QTest::keyClick(combo, Qt::Key_Escape);
        });
    });
    EXPECT_EQ(caption, "Bitte wählen Sie Ihre Sprache");
    EXPECT_EQ(selected, "Deutsch");
}

TEST_F(LanguageSelection, KeepsTheListScrolledAndItsSelection) {
    TreeDir many;
    for (int i = 0; i < 300; ++i) {
        many.add(numberedName("f", 1000 + i, ".txt"), "");
    }
    open([&] {
        // Columns whose headers the new language makes anew.
        dlg.m_listOptions.columns = {.size = true, .modified = true};
        read(many.path());
        const QModelIndex row = dlg.m_listFiles->model()->index(150, 0);
        dlg.m_listFiles->setCurrentIndex(row);
        dlg.m_listFiles->scrollTo(row, QAbstractItemView::PositionAtTop);
        const int scrolled = dlg.m_listFiles->verticalScrollBar()->value();
        ASSERT_GT(scrolled, 0);

        choose("Deutsch");
        EXPECT_EQ(dlg.m_listFiles->verticalScrollBar()->value(), scrolled);
        EXPECT_EQ(dlg.m_listFiles->currentIndex().row(), 150);
        const auto selected = dlg.m_listFiles->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1) << "the row whole, every column of it";
        EXPECT_EQ(selected[0].row(), 150);
        EXPECT_EQ(dlg.m_listFiles->model()->headerData(0, Qt::Horizontal).toString(), "Dateiname");
    });
}

} // namespace

// Root started with another user's XDG_CONFIG_HOME: the window reads the
// shipped settings, and a change of language is refused with the file-error
// box naming the user's config.ini and why; the window keeps its language.
TEST_F(LanguageSelection, AnotherUsersSettingsFolderRefusesTheChange) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    TreeDir prefix{"bin/"};
    prefix.add("share/zentory/config.ini", readBytes(shippedFile("config.ini")));
    prefix.add("share/zentory/zentorytrl.ini", readBytes(shippedFile("zentorytrl.ini")));
    std::string french = readBytes(shippedFile("config.ini"));
    french.replace(french.find("[----]"), 6, "[1036]");
    prefix.add("theirs/zentory/config.ini", french);
    ASSERT_EQ(::chown((prefix / "theirs/zentory").c_str(), 65534, 65534), 0);
    const EnvironmentVariable configHome("XDG_CONFIG_HOME");
    configHome.set((prefix / "theirs").c_str());
    const EnvironmentVariable locale("LC_ALL");
    locale.set("C");
    const ExecutableFolder installed(prefix / "bin");
    open([&] {
        expectTexts(textsOf(dlg), kEnglish);
        choose("Deutsch");
        expectTexts(textsOf(dlg), kEnglish);
    });
    ASSERT_EQ(shell.fileErrors.size(), 1u);
    EXPECT_EQ(shell.fileErrors[0].path(), prefix / "theirs/zentory/config.ini");
    EXPECT_EQ(shell.fileErrors[0].reason(),
              "'" + prefix / "theirs/zentory" + "' belongs to another user (uid 65534)");
    EXPECT_EQ(readBytes(prefix / "theirs/zentory/config.ini"), french);
    EXPECT_EQ(namesIn(prefix / "theirs/zentory"), std::vector<std::string>{"config.ini"});
}
