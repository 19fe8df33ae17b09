// Hand-edited files gone wrong: "config.ini" and the translation file empty,
// binary, without line ends, with a byte-order mark, with a 0x1A inside, with a
// 16 MiB line, with 200,000 lines, with mixed line ends. Each goes through the
// settings store, the catalogue and the language list in this process, and
// through zentory-cli as a real process with these files beside it.

#include "i18n/LanguageList.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"
#include "platform/ExecutablePath.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"

#include "HostileSupport.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <random>

using namespace zentory;
using namespace zentory::test;

namespace {

constexpr size_t kLongLine = size_t{16} << 20;
constexpr int kManyLines = 200000;

std::string shippedTranslations() {
    return readBytes(kResFolder + "/zentorytrl.ini");
}

std::string settingsFor(const std::string& language) {
    return "Product ID\r\nzentory\r\nLanguage\r\n" + language + "\r\n";
}

// Random bytes of every value but LF and 0x1A, so that the lines around them
// stay as written.
std::string binary(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes) {
        do {
            c = static_cast<char>(rng() & 0xff);
        } while (c == '\n' || c == '\x1a');
    }
    return bytes;
}

bool hasControlByte(std::string_view line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// What one file did to the program.
struct Tried {
    std::string language; // ReadSetting("Language")
    std::string text38;   // GetText(38) after Load, or the error
    std::vector<LanguageChoice> languages;
    double coreSeconds = 0;
    long coreKiB = 0;
    Observed cli; // zentory-cli -r -d on a small tree
};

class HostileFile : public ::testing::Test {
protected:
    HostileFile() {
        platform::setExecutableFolderForTesting(exe.path());
        writeBytes(tree / "a.txt", "x");
        writeBytes(tree / "sub/b.txt", "x");
    }
    ~HostileFile() override { platform::setExecutableFolderForTesting(std::nullopt); }

    // Puts both files beside the store and beside the CLI and tries them.
    Tried tryFiles(const std::string& settings, const std::string& translations) {
        for (const auto& [name, bytes] :
             {std::pair{"config.ini", &settings}, std::pair{"zentorytrl.ini", &translations}}) {
            writeBytes(exe / name, *bytes);
            cli.put(name, *bytes);
        }
        Tried t;
        const auto start = std::chrono::steady_clock::now();
        const PeakMemory peak;
        CSettingsStore store;
        t.language = store.ReadSetting("Language");
        try {
            CTranslator translator;
            translator.Load();
            t.text38 = translator.GetText(38);
            t.languages = readLanguageList(store);
        } catch (const platform::FileError& e) {
            t.text38 = std::string("error: ") + e.what();
        }
        t.coreKiB = peak.growthKiB();
        t.coreSeconds = detail::secondsSince(start);
        t.cli = cli.run({"-r", "-d", tree.path()});
        return t;
    }

    // The CLI's result for the table, with the temporary folders named DIR and BIN.
    std::string cliOutcome(const Observed& o) const {
        std::string text = "CLI exit " + std::to_string(o.status) + ": ";
        text += o.status == 0 ? "\"" + firstLine(o.out).substr(0, o.out.find('\r')) + "\""
                              : firstLine(o.err);
        return replaced(replaced(text, tree.path(), "DIR"), cli.folder(), "BIN");
    }

    void record(const std::string& subject, const std::string& hostileCase,
                const std::string& outcome) {
        recordSurvival(subject, hostileCase, replaced(outcome, exe.path(), "EXE"));
    }

    // Bounded: every hostile file here is handled within seconds, in memory of
    // a few times its own size (not measured under the sanitizers).
    void expectBounded(const Tried& t, size_t fileBytes) {
        EXPECT_FALSE(t.cli.timedOut);
        EXPECT_LT(t.cli.seconds, builtWithSanitizers() ? 30 : 5);
        EXPECT_LT(t.coreSeconds, builtWithSanitizers() ? 30 : 5);
        if (!builtWithSanitizers()) {
            // The base leaves room for the walk's threads and their allocator arenas.
            const long limitKiB = static_cast<long>(4 * fileBytes / 1024) + 96 * 1024;
            EXPECT_LT(t.coreKiB, limitKiB);
            EXPECT_LT(t.cli.peakKiB, limitKiB);
        }
    }

    RamDir exe; // plays the executable's folder for this process (rewrites sync to disk)
    CliCopy cli;
    TempDir tree; // the folder that the CLI lists
};

class HostileSettingsFile : public HostileFile {
protected:
    Tried trySettings(const std::string& settings) {
        return tryFiles(settings, shippedTranslations());
    }
    // config.ini after the language is changed to `tag`.
    std::string afterLanguageChange(const std::string& tag) {
        CSettingsStore().WriteSetting("Language", tag);
        return platform::readFile(exe / "config.ini");
    }
};

class HostileTranslationFile : public HostileFile {
protected:
    Tried tryTranslations(const std::string& translations) {
        return tryFiles(settingsFor("[1033]"), translations);
    }
};

} // namespace

TEST_F(HostileSettingsFile, EmptyFileNamesNoTranslationFile) {
    const Tried t = trySettings("");
    EXPECT_EQ(t.language, "");
    EXPECT_EQ(t.text38, "error: cannot open '" + exe / "trl.ini" + "': No such file or directory");
    EXPECT_EQ(afterLanguageChange("[1031]"), "");
    EXPECT_EQ(t.cli.status, 1);
    EXPECT_EQ(t.cli.err, "zentory-cli: cannot open '" + cli.folder() +
                             "/trl.ini': No such file or directory\n");
    EXPECT_EQ(t.cli.out, "");
    record("config.ini", "empty",
           "every key reads empty, so the translation file is \"trl.ini\"; " + cliOutcome(t.cli) +
               "; a language change leaves it empty");
}

TEST_F(HostileSettingsFile, BinaryBytesAroundTheKeysLeaveTheKeysReadable) {
    const std::string settings =
        binary(32768, 1) + "\n" + settingsFor("[1031]") + binary(32768, 2) + "\r\n";
    const Tried t = trySettings(settings);
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(t.text38, "Inhalt von");
    auto expected = platform::splitLines(settings);
    const std::string after = afterLanguageChange("[1036]");
    for (auto& line : expected) {
        line = line == "[1031]" ? "[1036]" : line;
    }
    EXPECT_EQ(platform::splitLines(after), expected);
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_TRUE(t.cli.out.starts_with("Inhalt von " + tree.path() + "/...\r\n"));
    record("config.ini", "64 KiB of random bytes around the key lines",
           "keys read as usual; " + cliOutcome(t.cli) +
               "; a language change rewrites every binary line as it was");
}

TEST_F(HostileSettingsFile, WithoutAnyLineEndTheWholeFileIsOneLine) {
    const std::string settings = "Product ID\rzentory\rLanguage\r[1031]";
    const Tried t = trySettings(settings);
    EXPECT_EQ(t.language, "");
    EXPECT_EQ(t.cli.status, 1);
    EXPECT_EQ(t.cli.err, "zentory-cli: cannot open '" + cli.folder() +
                             "/trl.ini': No such file or directory\n");
    EXPECT_EQ(afterLanguageChange("[1036]"), settings + "\r\n");
    record("config.ini", "no line end at all (CR only)",
           "one line, no key found; " + cliOutcome(t.cli) +
               "; a language change adds nothing but the CR LF after the line");
}

TEST_F(HostileSettingsFile, ByteOrderMarkBelongsToTheFirstLine) {
    const Tried t = trySettings("\xEF\xBB\xBF" + settingsFor("[1031]"));
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(CSettingsStore().ReadSetting("Product ID"), "");
    EXPECT_EQ(t.cli.status, 1);
    EXPECT_EQ(t.cli.err, "zentory-cli: cannot open '" + cli.folder() +
                             "/trl.ini': No such file or directory\n");
    record("config.ini", "UTF-8 byte-order mark",
           "the mark is part of the first line, so \"Product ID\" is not found; " +
               cliOutcome(t.cli));
}

TEST_F(HostileSettingsFile, ByteOneAEndsTheSettingsAndALanguageChangeKeepsWhatFollows) {
    const std::string tail = "\x1aLanguage\r\n[1036]\r\nnotes kept by hand\n";
    const Tried t = trySettings(settingsFor("[1031]") + tail);
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(t.text38, "Inhalt von");
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_EQ(afterLanguageChange("[1033]"), settingsFor("[1033]") + tail);
    record("config.ini", "0x1A in the middle",
           "reading ends at the 0x1A; " + cliOutcome(t.cli) +
               "; a language change keeps every byte from the 0x1A on");
}

TEST_F(HostileSettingsFile, SixteenMebibyteLineIsReadAndKept) {
    const std::string settings =
        settingsFor("[1031]") + "Homepage\r\n" + std::string(kLongLine, 'x') + "\r\n";
    const Tried t = trySettings(settings);
    EXPECT_EQ(t.language, "[1031]");
    EXPECT_EQ(CSettingsStore().ReadSetting("Homepage").size(), kLongLine);
    EXPECT_EQ(t.cli.status, 0);
    expectBounded(t, settings.size());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(afterLanguageChange("[1036]"),
              settingsFor("[1036]") + "Homepage\r\n" + std::string(kLongLine, 'x') + "\r\n");
    EXPECT_LT(detail::secondsSince(start), builtWithSanitizers() ? 30 : 5);
    record("config.ini", "a 16 MiB line",
           "read whole; " + cliOutcome(t.cli) + " (" + costText(t.cli) +
               "); a language change keeps the line");
}

TEST_F(HostileSettingsFile, TwoHundredThousandLinesAreReadAndRewritten) {
    std::string settings;
    for (int i = 0; i < kManyLines / 2 - 3; ++i) {
        settings += "Key" + std::to_string(i) + "\r\nValue\r\n";
    }
    settings += settingsFor("[1031]") + "Language\r\n[1036]\r\n";
    const Tried t = trySettings(settings);
    EXPECT_EQ(t.language, "[1036]");
    EXPECT_EQ(t.text38, "Contenu de");
    EXPECT_EQ(t.cli.status, 0);
    expectBounded(t, settings.size());
    const std::string after = afterLanguageChange("[1033]");
    EXPECT_EQ(platform::splitLines(after).size(), size_t{kManyLines});
    EXPECT_TRUE(after.ends_with("Language\r\n[1033]\r\nLanguage\r\n[1033]\r\n"));
    record("config.ini", "200,000 lines",
           "the last \"Language\" wins; " + cliOutcome(t.cli) + " (" + costText(t.cli) +
               "); a language change replaces both values");
}

TEST_F(HostileSettingsFile, MixedLineEndsKeepLoneCarriageReturnsInTheirLines) {
    const Tried t =
        trySettings("Product ID\nzentory\r\nLanguage\r[1031]\r\nLanguage\n[1036]\r\r\n");
    EXPECT_EQ(t.language, "[1036]\r");
    EXPECT_EQ(t.text38, ""); // no section has that tag
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_TRUE(t.cli.out.starts_with(" " + tree.path() + "/...\r\n"));
    EXPECT_EQ(afterLanguageChange("[1031]"),
              "Product ID\r\nzentory\r\nLanguage\r[1031]\r\nLanguage\r\n[1031]\r\n");
    record("config.ini", "LF, CR LF and lone CR mixed",
           "a lone CR stays in its line, so \"Language\" reads \"[1036]\\r\", a section no file "
           "has: empty texts; " +
               cliOutcome(t.cli));
}

// Not a file at all: a FIFO that nobody writes would hold the program at its
// start for ever, and /dev/zero would fill the memory.
TEST_F(HostileSettingsFile, FifoOrEndlessDeviceIsRefusedAtOnce) {
    writeBytes(exe / "zentorytrl.ini", shippedTranslations());
    cli.put("zentorytrl.ini", shippedTranslations());
    std::string outcome;
    for (const std::string kind : {"FIFO", "link to /dev/zero"}) {
        for (const auto& folder : {exe.path(), cli.folder()}) {
            std::filesystem::remove(folder + "/config.ini");
            if (kind == "FIFO") {
                ASSERT_EQ(::mkfifo((folder + "/config.ini").c_str(), 0644), 0);
            } else {
                std::filesystem::create_symlink("/dev/zero", folder + "/config.ini");
            }
        }
        const Observed core =
            runInChild([] { return CSettingsStore().ReadSetting("Language"); }, 10);
        EXPECT_FALSE(core.timedOut);
        EXPECT_EQ(core.err, "cannot read '" + exe / "config.ini" + "': not a regular file");
        const Observed run = cli.run({"-d", tree.path()}, "/", 10);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "zentory-cli: cannot read '" + cli.folder() +
                               "/config.ini': not a regular file\n");
        outcome += (outcome.empty() ? "" : "; ") + kind + ": " +
                   (run.timedOut ? "hangs" : cliOutcome(run) + " in " + secondsText(run.seconds));
    }
    record("config.ini", "a FIFO that nobody writes; a link to /dev/zero", outcome);
}

TEST_F(HostileTranslationFile, EmptyFileGivesEmptyTextsAndNoLanguages) {
    const Tried t = tryTranslations("");
    EXPECT_EQ(t.text38, "");
    EXPECT_TRUE(t.languages.empty());
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_EQ(firstLine(t.cli.out), " " + tree.path() + "/...\r");
    record("zentorytrl.ini", "empty", "empty catalogue, no languages listed; " + cliOutcome(t.cli));
}

TEST_F(HostileTranslationFile, BinaryBytesAroundASectionLeaveItReadable) {
    const std::string section = "[1033]\r\n00001 x\r\n00002 English\r\n00038 Contents of\r\n[EOL]";
    const Tried t = tryTranslations(binary(32768, 3) + "\n" + section + "\r\n" + binary(32768, 4));
    EXPECT_EQ(t.text38, "Contents of");
    EXPECT_EQ(std::count_if(t.languages.begin(), t.languages.end(),
                            [](const LanguageChoice& l) { return l.name == "English"; }),
              1);
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_TRUE(t.cli.out.starts_with("Contents of " + tree.path()));
    record("zentorytrl.ini", "64 KiB of random bytes around a section",
           "the section reads as usual, " + std::to_string(t.languages.size()) +
               " language(s) listed; " + cliOutcome(t.cli));
}

TEST_F(HostileTranslationFile, WithoutAnyLineEndATagAloneIsAnEmptySection) {
    const Tried t = tryTranslations("[1033]");
    EXPECT_EQ(t.text38, "");
    ASSERT_EQ(t.languages.size(), 1u);
    EXPECT_EQ(t.languages[0].tag, "[1033]");
    EXPECT_EQ(t.languages[0].name, "");
    EXPECT_EQ(t.cli.status, 0);
    record("zentorytrl.ini", "no line end at all (\"[1033]\" alone)",
           "an empty section, listed under an empty name; " + cliOutcome(t.cli));
}

TEST_F(HostileTranslationFile, ByteOrderMarkHidesTheFirstSection) {
    const Tried t = tryTranslations("\xEF\xBB\xBF" + shippedTranslations());
    EXPECT_EQ(t.text38, "");
    ASSERT_EQ(t.languages.size(), 2u);
    EXPECT_EQ(t.languages[0].name, "Deutsch");
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_EQ(firstLine(t.cli.out), " " + tree.path() + "/...\r");
    record("zentorytrl.ini", "UTF-8 byte-order mark before \"[1033]\"",
           "the mark is part of the first line, so English is neither found nor listed; " +
               cliOutcome(t.cli));
}

TEST_F(HostileTranslationFile, ByteOneAEndsTheFile) {
    const Tried t =
        tryTranslations("[1033]\r\n00001 x\r\n00002 English\r\n00038 Contents of\r\n"
                        "\x1a"
                        "00040 Folder\r\n[EOL]\r\n[1031]\r\n00001 y\r\n00002 Deutsch\r\n");
    EXPECT_EQ(t.text38, "Contents of");
    ASSERT_EQ(t.languages.size(), 1u);
    EXPECT_EQ(t.cli.status, 0);
    EXPECT_NE(t.cli.out.find("\r\n .../sub:\r\n"), std::string::npos) << t.cli.out;
    record("zentorytrl.ini", "0x1A in the middle of a section",
           "texts after it are empty and later languages unlisted; " + cliOutcome(t.cli));
}

TEST_F(HostileTranslationFile, SixteenMebibyteEntryIsReadInBoundedTime) {
    const std::string translations = "[1033]\r\n00001 x\r\n00002 English\r\n00077 " +
                                     std::string(kLongLine, 'y') +
                                     "\r\n00038 Contents of\r\n[EOL]\r\n";
    const Tried t = tryTranslations(translations);
    EXPECT_EQ(t.text38, "Contents of");
    EXPECT_EQ(t.languages.size(), 1u);
    EXPECT_EQ(t.cli.status, 0);
    expectBounded(t, translations.size());
    record("zentorytrl.ini", "a 16 MiB line",
           "read whole; " + cliOutcome(t.cli) + " (" + costText(t.cli) + ")");
}

TEST_F(HostileTranslationFile, TwoHundredThousandLinesAndTenThousandLanguages) {
    std::string translations = "[1033]\r\n00001 x\r\n00002 English\r\n";
    for (int i = 0; i < 160000; ++i) {
        translations += std::to_string(10000 + i % 90000) + " filler\r\n";
    }
    translations += "00038 Contents of\r\n[EOL]\r\n";
    for (int i = 0; i < 13335; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "[%04d]", i % 10000);
        translations += std::string(tag) + "\r\n00001 x\r\n00002 Name" + std::to_string(i) + "\r\n";
    }
    const Tried t = tryTranslations(translations);
    EXPECT_GE(std::count(translations.begin(), translations.end(), '\n'), kManyLines);
    EXPECT_EQ(t.text38, "Contents of");
    EXPECT_EQ(t.languages.size(), 13336u);
    EXPECT_EQ(t.cli.status, 0);
    expectBounded(t, translations.size());
    record("zentorytrl.ini", "200,000 lines, 13,336 languages",
           "all read and listed; " + cliOutcome(t.cli) + " (" + costText(t.cli) + ")");
}

TEST_F(HostileTranslationFile, MixedLineEndsLeaveNoControlByteInTheExport) {
    const Tried t = tryTranslations("[1033]\r\n00001 x\n00002 English\r\n00038 Contents\rof\r\n"
                                    "00040 Folder\r\r\n[EOL]\n");
    EXPECT_EQ(t.text38, "Contents\rof");
    EXPECT_EQ(t.cli.status, 0);
    std::vector<std::string> badLines;
    for (const auto& line : platform::splitLines(t.cli.out)) {
        if (hasControlByte(line)) {
            badLines.push_back(line);
        }
    }
    record("zentorytrl.ini", "LF, CR LF and lone CR mixed",
           "a lone CR stays in its text; " +
               (badLines.empty()
                    ? "the export writes it as \"?\": " + cliOutcome(t.cli)
                    : "CLI exit " + std::to_string(t.cli.status) + ", but " +
                          std::to_string(badLines.size()) + " exported lines keep it"));
    EXPECT_TRUE(badLines.empty());
    EXPECT_TRUE(t.cli.out.starts_with("Contents?of " + tree.path() + "/...\r\n"));
    EXPECT_NE(t.cli.out.find("\r\nFolder? .../sub:\r\n"), std::string::npos);
}
