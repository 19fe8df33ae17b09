// Hand-edited files gone wrong (the table in tests/support/HostileFiles.cpp):
// each "config.ini" and translation file goes through the settings store, the
// catalogue and the language list in this process. tests/cli runs zentory-cli
// with the same files beside it.

#include "export/TextExport.h"
#include "i18n/LanguageList.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"

#include "ExecutableFolder.h"
#include "Files.h"
#include "FullFileSystem.h"
#include "HostileFiles.h"
#include "Process.h"
#include "RamDir.h"
#include "SurvivalLog.h"
#include "TextDiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

using namespace zentory;
using namespace zentory::test;

namespace {

// What one file did to the program.
struct Tried {
    std::string language; // ReadSetting("Language")
    std::string text38;   // GetText(38) after Load, or the first error
    std::string text40;   // GetText(40) after Load
    std::vector<LanguageChoice> languages;
    double seconds = 0;
    long peakKiB = 0;
};

class HostileFile : public ::testing::Test {
protected:
    // Puts the files of the table's row `id` beside the store and tries them.
    Tried tryRow(const char* id) {
        m_row = &hostileFile(id);
        const DataFiles files = dataFilesFor(*m_row);
        writeBytes(exe / "config.ini", files.settings);
        writeBytes(exe / "zentorytrl.ini", files.translations);
        m_fileBytes = files.settings.size() + files.translations.size();
        Tried t;
        const auto start = std::chrono::steady_clock::now();
        const PeakMemory peak;
        CSettingsStore store;
        try {
            t.language = store.ReadSetting("Language");
            CTranslator translator;
            translator.Load();
            t.text38 = translator.GetText(38);
            t.text40 = translator.GetText(40);
            t.languages = readLanguageList(store);
        } catch (const platform::FileError& e) {
            t.text38 = std::string("error: ") + e.what();
        }
        t.peakKiB = peak.growthKiB();
        t.seconds = secondsSince(start);
        return t;
    }
    // config.ini after the language is changed to `tag`.
    std::string afterLanguageChange(const std::string& tag) {
        CSettingsStore().WriteSetting("Language", tag);
        return platform::readFile(exe / "config.ini");
    }
    // The row's line of the survival table, with the program's folder named EXE.
    void record(const std::string& outcome) {
        recordSurvival(m_row->file, m_row->hostileCase, replaced(outcome, exe.path(), "EXE"));
    }
    // Every hostile file is read within seconds, in memory of a few times its
    // own size (not measured under the sanitizers).
    void expectBounded(const Tried& t) {
        EXPECT_LT(t.seconds, kGenerousSeconds);
        if (!builtWithSanitizers()) {
            EXPECT_LT(t.peakKiB, memoryBoundKiB(m_fileBytes));
        }
    }

    RamDir exe; // plays the executable's folder (rewrites sync to disk)
    ExecutableFolder useExe{exe.path()};

private:
    const HostileFileCase* m_row = nullptr;
    size_t m_fileBytes = 0;
};

class HostileSettingsFile : public HostileFile {};
class HostileTranslationFile : public HostileFile {};

} // namespace

TEST_F(HostileSettingsFile, EmptyFileNamesNoTranslationFile) {
    const Tried t = tryRow("SettingsEmpty");
    EXPECT_EQ(t.language, "");
    EXPECT_EQ(t.text38, "error: cannot open '" + exe / "trl.ini" + "': No such file or directory");
    EXPECT_EQ(afterLanguageChange("[1031]"), "");
    record("every key reads empty, so the translation file is \"trl.ini\"; a language change "
           "leaves it empty");
}

TEST_F(HostileSettingsFile, BinaryBytesAroundTheKeysLeaveTheKeysReadable) {
    const Tried t = tryRow("SettingsBinary");
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(t.text38, "Inhalt von");
    auto expected = platform::splitLines(dataFilesFor(hostileFile("SettingsBinary")).settings);
    const std::string after = afterLanguageChange("[1036]");
    for (auto& line : expected) {
        line = line == "[1031]" ? "[1036]" : line;
    }
    EXPECT_EQ(platform::splitLines(after), expected);
    record("keys read as usual; a language change rewrites every binary line as it was");
}

TEST_F(HostileSettingsFile, WithoutAnyLineEndTheWholeFileIsOneLine) {
    const Tried t = tryRow("SettingsNoLineEnd");
    EXPECT_EQ(t.language, "");
    EXPECT_EQ(afterLanguageChange("[1036]"), hostileFile("SettingsNoLineEnd").bytes() + "\r\n");
    record("one line, no key found; a language change adds nothing but the CR LF after the line");
}

TEST_F(HostileSettingsFile, ByteOrderMarkBelongsToTheFirstLine) {
    const Tried t = tryRow("SettingsByteOrderMark");
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(CSettingsStore().ReadSetting("Product ID"), "");
    record("the mark is part of the first line, so \"Product ID\" is not found");
}

TEST_F(HostileSettingsFile, ByteOneAEndsTheSettingsAndALanguageChangeKeepsWhatFollows) {
    const Tried t = tryRow("SettingsByteOneA");
    const std::string settings = hostileFile("SettingsByteOneA").bytes();
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(t.text38, "Inhalt von");
    EXPECT_EQ(afterLanguageChange("[1033]"),
              settingsFor("[1033]") + settings.substr(settings.find('\x1a')));
    record("reading ends at the 0x1A; a language change keeps every byte from the 0x1A on");
}

// A 16 MiB line or 200,000 lines: more than a settings file holds, and read
// whole they would take that much memory (a sparse file, gigabytes).
TEST_F(HostileSettingsFile, OverOneMebibyteIsRefusedAndNeverRewritten) {
    for (const char* id : {"SettingsLongLine", "SettingsManyLines"}) {
        const Tried t = tryRow(id);
        const std::string refusal =
            "cannot read '" + exe / "config.ini" + "': too large (over 1 MiB)";
        EXPECT_EQ(t.text38, "error: " + refusal) << id;
        expectBounded(t);
        std::string error;
        try {
            CSettingsStore().WriteSetting("Language", "[1033]");
        } catch (const platform::FileError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, refusal) << id;
        EXPECT_EQ(readBytes(exe / "config.ini"), hostileFile(id).bytes()) << id;
        record("refused by its size, before a byte is read; a language change is refused the "
               "same way and leaves the file as it was");
    }
}

TEST_F(HostileSettingsFile, MixedLineEndsKeepLoneCarriageReturnsInTheirLines) {
    const Tried t = tryRow("SettingsMixedLineEnds");
    EXPECT_EQ(t.language, "[1036]\r");
    EXPECT_EQ(t.text38, ""); // no section has that tag
    EXPECT_EQ(afterLanguageChange("[1031]"),
              "Product ID\r\nzentory\r\nLanguage\r[1031]\r\nLanguage\r\n[1031]\r\n");
    record("a lone CR stays in its line, so \"Language\" reads \"[1036]\\r\", a section no file "
           "has: empty texts");
}

// Not a file at all: a FIFO that nobody writes would hold the program at its
// start for ever, and /dev/zero would fill the memory.
TEST_F(HostileSettingsFile, FifoOrEndlessDeviceIsRefusedAtOnce) {
    writeBytes(exe / "zentorytrl.ini", shippedTranslations());
    for (const std::string kind : {"FIFO", "link to /dev/zero"}) {
        std::filesystem::remove(exe / "config.ini");
        if (kind == "FIFO") {
            ASSERT_EQ(::mkfifo((exe / "config.ini").c_str(), 0644), 0);
        } else {
            std::filesystem::create_symlink("/dev/zero", exe / "config.ini");
        }
        const Observed core =
            runInChild([] { return CSettingsStore().ReadSetting("Language"); }, 10);
        EXPECT_FALSE(core.timedOut) << kind;
        EXPECT_EQ(core.err, "cannot read '" + exe / "config.ini" + "': not a regular file");
    }
}

TEST_F(HostileTranslationFile, EmptyFileGivesEmptyTextsAndNoLanguages) {
    const Tried t = tryRow("TranslationsEmpty");
    EXPECT_EQ(t.text38, "");
    EXPECT_TRUE(t.languages.empty());
    record("empty catalogue, no languages listed");
}

TEST_F(HostileTranslationFile, BinaryBytesAroundASectionLeaveItReadable) {
    const Tried t = tryRow("TranslationsBinary");
    EXPECT_EQ(t.text38, "Contents of");
    EXPECT_EQ(std::count_if(t.languages.begin(), t.languages.end(),
                            [](const LanguageChoice& l) { return l.name == "English"; }),
              1);
    record("the section reads as usual, " + std::to_string(t.languages.size()) +
           " language(s) listed");
}

TEST_F(HostileTranslationFile, WithoutAnyLineEndATagAloneIsAnEmptySection) {
    const Tried t = tryRow("TranslationsNoLineEnd");
    EXPECT_EQ(t.text38, "");
    ASSERT_EQ(t.languages.size(), 1u);
    EXPECT_EQ(t.languages[0].tag, "[1033]");
    EXPECT_EQ(t.languages[0].name, "");
    record("an empty section, listed under an empty name");
}

TEST_F(HostileTranslationFile, ByteOrderMarkHidesTheFirstSection) {
    const Tried t = tryRow("TranslationsByteOrderMark");
    EXPECT_EQ(t.text38, "");
    ASSERT_EQ(t.languages.size(), 2u);
    EXPECT_EQ(t.languages[0].name, "Deutsch");
    record("the mark is part of the first line, so English is neither found nor listed");
}

TEST_F(HostileTranslationFile, ByteOneAEndsTheFile) {
    const Tried t = tryRow("TranslationsByteOneA");
    EXPECT_EQ(t.text38, "Contents of");
    ASSERT_EQ(t.languages.size(), 1u);
    record("texts after it are empty and later languages unlisted");
}

TEST_F(HostileTranslationFile, OverOneMebibyteIsRefusedByItsSize) {
    const std::string translations = hostileFile("TranslationsManyLines").bytes();
    EXPECT_GE(std::count(translations.begin(), translations.end(), '\n'), kManyLines);
    for (const char* id : {"TranslationsLongLine", "TranslationsManyLines"}) {
        const Tried t = tryRow(id);
        const std::string refusal =
            "cannot read '" + exe / "zentorytrl.ini" + "': too large (over 1 MiB)";
        EXPECT_EQ(t.text38, "error: " + refusal) << id;
        EXPECT_EQ(t.language, "[1033]") << id << ": config.ini is read as usual";
        expectBounded(t);
        record("refused by its size, before a byte is read");
    }
}

TEST_F(HostileTranslationFile, MixedLineEndsLeaveNoControlByteInTheExport) {
    const Tried t = tryRow("TranslationsMixedLineEnds");
    EXPECT_EQ(t.text38, "Contents\rof");
    EXPECT_EQ(t.text40, "Folder\r");
    FileList files;
    files.append("/w/a");
    files.append("/w/sub/b");
    ExportOptions options;
    options.showDateTime = false;
    const std::string text = composeExport({files, "/w", options, {t.text38, t.text40}, {}});
    for (const auto& line : platform::splitLines(text)) {
        EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20;
        })) << escaped(line);
    }
    EXPECT_TRUE(text.starts_with("Contents?of /w/...\r\n"));
    EXPECT_NE(text.find("\r\nFolder? .../sub:\r\n"), std::string::npos);
    record("a lone CR stays in its text");
}

TEST(HostileWrite, LanguageChangeOnAFullDiskKeepsTheSettings) {
    const TempDir dir;
    const FullFileSystem small(dir / "small");
    if (!small.mounted()) {
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    }
    const std::string settings = settingsFor("[1033]");
    writeBytes(dir / "small/config.ini", settings);
    small.fill();
    std::string error;
    {
        const ExecutableFolder use(dir / "small");
        try {
            CSettingsStore().WriteSetting("Language", "[1031]");
        } catch (const platform::FileError& e) {
            error = e.what();
        }
    }
    EXPECT_EQ(error, "cannot write to '" + dir / "small/config.ini" + "': No space left on device");
    EXPECT_EQ(readBytes(dir / "small/config.ini"), settings);
    EXPECT_EQ(namesIn(dir / "small").size(), 2u); // the file and the filler, nothing else
    recordSurvival("config.ini", "a language change on a full disk (a 64 KiB file system)",
                   "WriteSetting raises the file error \"" + replaced(error, dir.path(), "DIR") +
                       "\"; config.ini unchanged, no temporary file");
}
