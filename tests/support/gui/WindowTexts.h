#pragma once
// The texts a person sees of the main window, and what they are in English and
// in German.

#include "Framed.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

namespace zentory::test {

// What a person sees of the window: the texts of the menu, the controls and the list header.
struct WindowTexts {
    QString file, help, languageSelection, exit, showHelp, website, about;
    QString step1, step2, intro, subFolders, readList, folderLabel, step2Hint, options, save;
    QString header;
};

inline WindowTexts textsOf(const QtExportDlg& dlg) {
    auto label = [&](int id) { return dlg.DlgItem<QLabel>(id)->text(); };
    auto command = [&](int id) { return dlg.MenuCommand(id)->text(); };
    return {dlg.GetSubMenu(0)->title(),
            dlg.GetSubMenu(1)->title(),
            command(32778),
            command(32771),
            command(32775),
            command(32776),
            command(32777),
            dlg.m_grpStep1->title(),
            dlg.m_grpStep2->title(),
            label(1019),
            dlg.m_chkSubFolders->text(),
            dlg.m_btnReadList->text(),
            label(1006),
            label(1021),
            dlg.m_btnOptions->text(),
            dlg.m_btnSave->text(),
            dlg.m_listFiles->model()->headerData(0, Qt::Horizontal).toString()};
}

inline void expectTexts(const WindowTexts& actual, const WindowTexts& expected) {
    EXPECT_EQ(actual.file, expected.file);
    EXPECT_EQ(actual.help, expected.help);
    EXPECT_EQ(actual.languageSelection, expected.languageSelection);
    EXPECT_EQ(actual.exit, expected.exit);
    EXPECT_EQ(actual.showHelp, expected.showHelp);
    EXPECT_EQ(actual.website, expected.website);
    EXPECT_EQ(actual.about, expected.about);
    EXPECT_EQ(actual.step1, expected.step1);
    EXPECT_EQ(actual.step2, expected.step2);
    EXPECT_EQ(actual.intro, expected.intro);
    EXPECT_EQ(actual.subFolders, expected.subFolders);
    EXPECT_EQ(actual.readList, expected.readList);
    EXPECT_EQ(actual.folderLabel, expected.folderLabel);
    EXPECT_EQ(actual.step2Hint, expected.step2Hint);
    EXPECT_EQ(actual.options, expected.options);
    EXPECT_EQ(actual.save, expected.save);
    EXPECT_EQ(actual.header, expected.header);
}

inline const WindowTexts kEnglish = {
    "&File",
    "&Help",
    "&Language Selection",
    "E&xit",
    "Show &Help File",
    "Go To Orvane &Website",
    "&About...",
    "Step 1",
    "Step 2",
    "This product allows you to export a directory to a conventional *.txt file. Please select "
    "the folder you want to export first.",
    "Include files from s&ub folders",
    "&Read File List",
    "Content of the folder:",
    "Now click \"Options\" to configure the output behaviour of this program and to get access "
    "to more options or just click on \"Save *.txt File!\" to save your list.",
    "&Options",
    "&Save *.txt File!",
    "File name"};

inline const WindowTexts kGerman = {
    "&Datei",
    "&Hilfe",
    "&Sprache wählen",
    "&Beenden",
    "&Hilfedatei anzeigen",
    "Zur Orvane-&Website",
    "Ü&ber...",
    "Schritt 1",
    "Schritt 2",
    "Dieses Programm exportiert den Inhalt eines Ordners in eine gewöhnliche *.txt-Datei. Bitte "
    "wählen Sie zuerst den Ordner, den Sie exportieren möchten.",
    "Dateien aus &Unterordnern",
    "Dateiliste &einlesen",
    "Inhalt des Ordners:",
    "Klicken Sie jetzt auf „Optionen“, um die Ausgabe einzustellen und weitere Optionen zu "
    "erreichen, oder gleich auf „*.txt speichern!“, um Ihre Liste zu speichern.",
    "&Optionen",
    "*.txt &speichern!",
    "Dateiname"};

} // namespace zentory::test
