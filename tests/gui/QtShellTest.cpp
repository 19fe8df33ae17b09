// The Shell on Qt, through Qt's real dialogs: the folder and save dialogs and
// the file-error box in the interface language, and what the desktop's opener
// is handed.

#include "ui/QtShell.h"
#include "Framed.h"
#include "ui/QtTranslations.h"

#include "GuiTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using zentory::test::ProgramFolder;
using zentory::test::QtExportDlg;
using zentory::test::whenModalOpens;
namespace test = zentory::test;
namespace qt = zentory::qt;

namespace {

// The texts of a dialog's push buttons and labels, without their "&".
QStringList textsIn(QWidget* dialog) {
    QStringList texts;
    for (auto* button : dialog->findChildren<QPushButton*>()) {
        if (button->isVisible()) {
            texts << qt::withoutPrefixes(button->text());
        }
    }
    for (auto* label : dialog->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty()) {
            texts << qt::withoutPrefixes(label->text());
        }
    }
    return texts;
}

struct Language {
    const char* tag;
    QStringList folderDialog; // texts the folder dialog shows
    QStringList saveDialog;   // and the save dialog
};

// Names the case by its language in test names.
void PrintTo(const Language& c, std::ostream* os) {
    *os << c.tag;
}

class QtDialogs : public ::testing::TestWithParam<Language> {
protected:
    QtDialogs() : program(GetParam().tag) { dlg.OnInitDialog(); }

    ProgramFolder program;
    qt::QtShell shell;
    QtExportDlg dlg{shell};
};

TEST_P(QtDialogs, FolderAndSaveDialogsSpeakTheInterfaceLanguage) {
    QStringList folderTexts, saveTexts;
    whenModalOpens([&](QWidget* modal) {
        EXPECT_NE(qobject_cast<QFileDialog*>(modal), nullptr);
        folderTexts = textsIn(modal);
        modal->close();
    });
    EXPECT_EQ(shell.browseForFolder("title"), std::nullopt);
    whenModalOpens([&](QWidget* modal) {
        saveTexts = textsIn(modal);
        modal->close();
    });
    EXPECT_EQ(shell.askSaveFileName("list.txt", {{"TXT files (*.txt)", "txt"}}), std::nullopt);
    for (const QString& text : GetParam().folderDialog) {
        EXPECT_TRUE(folderTexts.contains(text))
            << text.toStdString() << " not in " << folderTexts.join(" | ").toStdString();
    }
    for (const QString& text : GetParam().saveDialog) {
        EXPECT_TRUE(saveTexts.contains(text))
            << text.toStdString() << " not in " << saveTexts.join(" | ").toStdString();
    }
}

TEST(QtSaveDialog, GivesBackTheTypeChosenAndItsExtension) {
    QTemporaryDir folder;
    const std::vector<zentory::window::SaveType> types = {{"TXT files (*.txt)", "txt"},
                                                          {"CSV files (*.csv)", "csv"},
                                                          {"JSON files (*.json)", "json"}};
    qt::QtShell shell;
    whenModalOpens([&](QWidget* modal) {
        auto* types = modal->findChild<QComboBox*>(u"fileTypeCombo"_qs);
        auto* name = modal->findChild<QLineEdit*>(u"fileNameEdit"_qs);
        ASSERT_TRUE(types != nullptr && name != nullptr);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);
        QTest::keyClick(types, Qt::Key_Down);
        name->setText(folder.filePath(u"list"_qs));
        QTest::keyClick(name, Qt::Key_Return);
    });
    const auto choice = shell.askSaveFileName("FileList.txt", types);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->type, 2);
    EXPECT_EQ(choice->path, folder.filePath(u"list.json"_qs).toStdString());
}

TEST_P(QtDialogs, FileErrorBoxShowsItsTextWithAWarning) {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        icon = box->icon();
        box->close();
    });
    shell.fileErrorBox("Cannot write to the file \"/tmp/out/list.txt\".\n\nNo space left.");
    EXPECT_EQ(text, "Cannot write to the file \"/tmp/out/list.txt\".\n\nNo space left.");
    EXPECT_EQ(icon, QMessageBox::Warning);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, QtDialogs,
    ::testing::Values(Language{"[1033]",
                               {"Look in:", "Choose", "Cancel", "Directory:"},
                               {"Look in:", "Save", "Cancel", "File name:"}},
                      Language{"[1031]",
                               {"Suchen in:", "Auswählen", "Abbrechen", "Verzeichnis:"},
                               {"Suchen in:", "Speichern", "Abbrechen", "Dateiname:"}},
                      Language{"[1036]",
                               {"Voir dans :", "Choisir", "Annuler", "Dossier :"},
                               {"Voir dans :", "Enregistrer", "Annuler", "Nom de fichier :"}}),
    [](const auto& info) { return std::string(info.param.tag).substr(1, 4); });

} // namespace

namespace {

TEST(QtTranslations, ALanguageWithoutQtTextsFallsBackToEnglish) {
    const char* const source = "Look in:";
    qt::QtTranslations texts;
    EXPECT_TRUE(texts.Load("de_DE"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", source), "Suchen in:");
    EXPECT_FALSE(texts.Load("zz_ZZ"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", source), source);
    EXPECT_TRUE(texts.Load("fr_FR"));
    EXPECT_FALSE(texts.Load(""));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", source), source);
}

TEST(QtDialogLanguage, FollowsALanguageChange) {
    ProgramFolder program("[1031]");
    qt::QtShell shell;
    QtExportDlg dlg(shell);
    dlg.OnInitDialog();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Suchen in:");
    program.setLanguage("[1036]");
    dlg.OnInitDialog();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Voir dans :");
    program.setLanguage("[1033]");
    dlg.OnInitDialog();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}

TEST(DesktopOpenerUrl, AddressesAreTrimmedAndGetAWebSchemeWhenTheyHaveNone) {
    const std::pair<std::string, QString> cases[] = {
        {"https://example.org/zentory", "https://example.org/zentory"},
        {"  https://example.org/zentory page  ", "https://example.org/zentory%20page"},
        {"www.example.org", "https://www.example.org"},
        {"\twww.example.org/a?b=c ", "https://www.example.org/a?b=c"},
        {"mailto:team@example.org", "mailto:team@example.org"},
        {"http://example.org", "http://example.org"},
        {"/opt/zentory/help.html", "file:///opt/zentory/help.html"},
        {"/tmp/list .txt", "file:///tmp/list%20.txt"},
        {" /opt/zentory/help.html", "file:///opt/zentory/help.html"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& [value, url] : cases) {
        EXPECT_EQ(qt::urlToOpen(value).toString(QUrl::FullyEncoded), url) << value;
    }
}

// The real hand-over: Qt gives the address to the desktop's opener, xdg-open,
// here a stand-in on PATH that notes its arguments. Only a platform with
// desktop services hands over; ctest runs this under Xvfb on xcb.
class DesktopOpener : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() == "offscreen") {
            GTEST_SKIP() << "the offscreen platform opens nothing; run on xcb";
        }
        QFile::remove(log());
    }
    // Qt looks for the opener once, at the first opening: the stand-in lives
    // as long as the process.
    static QString log() {
        static const QString folder = [] {
            static QTemporaryDir dir;
            QFile script(dir.filePath("xdg-open"));
            script.open(QIODevice::WriteOnly);
            script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$0.log\"\n");
            script.setPermissions(script.permissions() | QFile::ExeOwner);
            qputenv("PATH", dir.path().toLocal8Bit() + ':' + qgetenv("PATH"));
            return dir.path();
        }();
        return folder + "/xdg-open.log";
    }
    // The arguments of the openings so far, once there are `count` of them.
    static QStringList opened(int count) {
        QStringList lines;
        (void)QTest::qWaitFor([&] {
            lines = QString::fromUtf8(test::readBytes(log().toStdString()))
                        .split('\n', Qt::SkipEmptyParts);
            return lines.size() >= count;
        });
        return lines;
    }
};

TEST_F(DesktopOpener, GetsTheHomepageTrimmedWithAScheme) {
    ProgramFolder program;
    program.writeConfig("Product ID\r\nzentory\r\nLanguage\r\n[1033]\r\nHomepage\r\n"
                        "  www.example.org/zentory  \r\n");
    qt::QtShell shell;
    QtExportDlg dlg(shell);
    dlg.OnInitDialog();
    dlg.MenuCommand(32776)->trigger();
    EXPECT_EQ(opened(1), QStringList{"https://www.example.org/zentory"});
    shell.open(program.path() + "/help page.html");
    EXPECT_EQ(opened(2).value(1),
              QString::fromStdString("file://" + program.path()) + "/help%20page.html");
}

} // namespace
