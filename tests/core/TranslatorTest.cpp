#include "i18n/Translator.h"
#include "i18n/FileErrorText.h"
#include "platform/FileError.h"

#include "EnvironmentVariable.h"
#include "ExecutableFolder.h"
#include "Files.h"
#include "ProgramFolder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using zentory::CTranslator;
using zentory::platform::FileError;
using namespace zentory::test;

namespace {

// The catalogue's worked example: two sections, a duplicate key, an empty line.
const char* const kDemo = "[1033]\r\n"
                          "00001 Please select your language\r\n"
                          "00002 English\r\n"
                          "00010 Step 1\r\n"
                          "00032 Select a folder:\r\n"
                          "00010 Another step\r\n"
                          "\r\n"
                          "[EOL]\r\n"
                          "[1031]\r\n"
                          "00001 Sprache\r\n"
                          "00002 Deutsch\r\n"
                          "00010 Schritt 1\r\n"
                          "[EOL]\r\n";

} // namespace

class TranslatorTest : public ::testing::Test {
protected:
    TranslatorTest() { writeBytes(dir / "demotrl.ini", kDemo); }

    // Writes config.ini with the given "Language" line (none when nullopt) and loads.
    void load(std::optional<std::string> language, const std::string& dialects = "") {
        std::string cfg = "Product ID\r\ndemo\r\n";
        if (language) {
            cfg += "Language\r\n" + *language + "\r\n";
        }
        cfg += "Dialects[1031]\r\n" + dialects + "\r\n";
        writeBytes(dir / "config.ini", cfg);
        translator.Load();
    }
    void systemLocale(const char* locale) { lcAll.set(locale); }

    TempDir dir;
    ExecutableFolder useDir{dir.path()};
    const EnvironmentVariable lcAll{"LC_ALL"};
    CTranslator translator;
};

TEST_F(TranslatorTest, FirstEntryOfAKeyWinsAndMissingKeysAreEmpty) {
    load("[1033]");
    EXPECT_EQ(translator.GetText(10), "Step 1");
    EXPECT_EQ(translator.GetText(32), "Select a folder:");
    EXPECT_EQ(translator.GetText(2), "English");
    EXPECT_EQ(translator.GetText(99), "");
    EXPECT_EQ(translator.Entries().size(), 5u);

    load("[1031]");
    EXPECT_EQ(translator.GetText(10), "Schritt 1");
    EXPECT_EQ(translator.GetText(32), "");
}

TEST_F(TranslatorTest, SystemLanguageThroughDialectsAndFallBack) {
    systemLocale("de_DE.UTF-8");
    load("[----]");
    EXPECT_EQ(translator.GetText(2), "Deutsch");

    systemLocale("de_CH.UTF-8");
    load("[----]", "[2055][5127]");
    EXPECT_EQ(translator.GetText(2), "Deutsch");
    load("[----]", "");
    EXPECT_EQ(translator.GetText(2), "English");

    systemLocale("pt_BR.UTF-8");
    load("[----]");
    EXPECT_EQ(translator.GetText(2), "English");

    systemLocale("C");
    load("[----]");
    EXPECT_EQ(translator.GetText(2), "English");
}

TEST_F(TranslatorTest, StoredTagWithoutSectionGivesAnEmptyCatalogue) {
    load("[1036]");
    EXPECT_TRUE(translator.Entries().empty());
    EXPECT_EQ(translator.GetText(10), "");
}

TEST_F(TranslatorTest, EmptyTagMatchesTheFirstEmptyLine) {
    load(std::nullopt);
    EXPECT_TRUE(translator.Entries().empty());

    writeBytes(dir / "demotrl.ini",
               "[1033]\n00002 English\n[EOL]\n\n[1031]\n00002 Deutsch\n[EOL]\n");
    load("");
    EXPECT_EQ(translator.GetText(1031), "");
    EXPECT_EQ(translator.GetText(2), "Deutsch");
    ASSERT_EQ(translator.Entries().size(), 2u);
    EXPECT_EQ(translator.Entries()[0].m_nKey, 1031);
}

TEST_F(TranslatorTest, EntryLinesAreReadByPosition) {
    writeBytes(dir / "demotrl.ini", "[1033]\n10 Step 1\n00010=Step 1\n00011Step 1\n00042\n0042\n"
                                    "00043 \n[EOL]\n");
    load("[1033]");
    EXPECT_EQ(translator.GetText(10000), "p 1");
    EXPECT_EQ(translator.GetText(10), "Step 1");
    EXPECT_EQ(translator.GetText(11), "tep 1");
    EXPECT_EQ(translator.GetText(42), "");
    EXPECT_EQ(translator.Entries().size(), 5u);
}

TEST_F(TranslatorTest, TagLinesCompareExactlyAndMissingEolRunsOn) {
    writeBytes(dir / "demotrl.ini", "[1033] \n00001 blank\n[EOL]\n[1033]\n00002 English\n"
                                    "[1031]\n00002 Deutsch\n00003 Drei\n");
    load("[1033]");
    EXPECT_EQ(translator.GetText(1), "");
    EXPECT_EQ(translator.GetText(2), "English");
    EXPECT_EQ(translator.GetText(1031), "");
    EXPECT_EQ(translator.GetText(3), "Drei");
    EXPECT_EQ(translator.Entries().size(), 4u);
}

TEST_F(TranslatorTest, MissingFilesRaiseAndKeepTheOldEntries) {
    load("[1033]");
    std::filesystem::remove(dir / "demotrl.ini");
    EXPECT_THROW(translator.Load(), FileError);
    EXPECT_EQ(translator.GetText(10), "Step 1");

    systemLocale("de_DE.UTF-8");
    EXPECT_THROW(load("[----]"), FileError);
    std::filesystem::remove(dir / "config.ini");
    EXPECT_THROW(translator.Load(), FileError);
    EXPECT_EQ(translator.GetText(10), "Step 1");
}

// The file-error box's sentences, from a copy of the shipped files.
TEST(FileErrorText, SentencesComeFromTheCatalogueOfEachLanguage) {
    ProgramFolder program;
    const FileError open("/tmp/a \"%2\".txt", "open", ENOENT);
    const FileError write("/tmp/list.txt", "write to", "No space left on device");
    const FileError other("/tmp/x", "name the working folder", EACCES);
    const std::string reason = "\n\nNo such file or directory.";

    CTranslator translator;
    // Nothing loaded (the catalogue itself could not be read): English.
    EXPECT_EQ(zentory::fileErrorText(translator, open),
              "Cannot open the file \"/tmp/a \"%2\".txt\"." + reason);
    struct Case {
        const char* tag;
        std::string open, write, other;
    };
    const Case cases[] = {
        {"[1033]", "Cannot open the file \"/tmp/a \"%2\".txt\".",
         "Cannot write to the file \"/tmp/list.txt\".",
         "Cannot name the working folder the file \"/tmp/x\"."},
        {"[1031]", "Die Datei „/tmp/a \"%2\".txt“ kann nicht geöffnet werden.",
         "In die Datei „/tmp/list.txt“ kann nicht geschrieben werden.",
         "Der Vorgang „name the working folder“ ist mit der Datei „/tmp/x“ nicht möglich."},
        {"[1036]", "Impossible d'ouvrir le fichier « /tmp/a \"%2\".txt ».",
         "Impossible d'écrire dans le fichier « /tmp/list.txt ».",
         "Impossible d'effectuer « name the working folder » sur le fichier « /tmp/x »."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        program.setLanguage(c.tag);
        translator.Load();
        EXPECT_EQ(zentory::fileErrorText(translator, open), c.open + reason);
        EXPECT_EQ(zentory::fileErrorText(translator, write),
                  c.write + "\n\nNo space left on device.");
        EXPECT_EQ(zentory::fileErrorText(translator, other), c.other + "\n\nPermission denied.");
    }
}

// A folder is named a folder: with no home known, the settings folder's first
// step ("/nonexistent", the home of the account "nobody") is what fails.
TEST(FileErrorText, FoldersAreNamedFoldersInEachLanguage) {
    ProgramFolder program;
    const FileError create("/nonexistent", "create folder", EACCES);
    const FileError createIn("/srv/lists", "create a file in", EROFS);
    struct Case {
        const char* tag;
        std::string create, createIn;
    };
    const Case cases[] = {
        {"", "Cannot create the folder \"/nonexistent\".",
         "Cannot create a file in the folder \"/srv/lists\"."},
        {"[1033]", "Cannot create the folder \"/nonexistent\".",
         "Cannot create a file in the folder \"/srv/lists\"."},
        {"[1031]", "Der Ordner „/nonexistent“ kann nicht angelegt werden.",
         "Im Ordner „/srv/lists“ kann keine Datei angelegt werden."},
        {"[1036]", "Impossible de créer le dossier « /nonexistent ».",
         "Impossible de créer un fichier dans le dossier « /srv/lists »."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        CTranslator translator; // nothing loaded for "": the English sentences
        if (*c.tag != '\0') {
            program.setLanguage(c.tag);
            translator.Load();
        }
        EXPECT_EQ(zentory::fileErrorText(translator, create), c.create + "\n\nPermission denied.");
        EXPECT_EQ(zentory::fileErrorText(translator, createIn),
                  c.createIn + "\n\nRead-only file system.");
    }
}

TEST(FileErrorText, LanguageTagsNameTheirLocale) {
    EXPECT_EQ(zentory::localeForTag("[1033]"), "en_US");
    EXPECT_EQ(zentory::localeForTag("[1031]"), "de_DE");
    EXPECT_EQ(zentory::localeForTag("[1036]"), "fr_FR");
    EXPECT_EQ(zentory::localeForTag("[2055]"), "de_CH");
    for (const char* notALanguage :
         {"[----]", "[]", "1031", "[0]", "[99999]", "[1031] ", "[123456789012]", ""}) {
        EXPECT_EQ(zentory::localeForTag(notALanguage), "") << notALanguage;
    }
}
