#include "HostileFiles.h"

#include "Files.h"
#include "ProgramFolder.h"

#include <random>
#include <stdexcept>

namespace zentory::test {

namespace {

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

std::string manySettings() {
    std::string settings;
    for (int i = 0; i < kManyLines / 2 - 3; ++i) {
        settings += "Key" + std::to_string(i) + "\r\nValue\r\n";
    }
    return settings + settingsFor("[1031]") + "Language\r\n[1036]\r\n";
}

std::string manyTranslations() {
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
    return translations;
}

const char* const kNoTrl = "zentory-cli: cannot open 'BIN/trl.ini': No such file or directory\n";
const char* const kSettingsTooLarge =
    "zentory-cli: cannot read 'BIN/config.ini': too large (over 1 MiB)\n";
const char* const kTranslationsTooLarge =
    "zentory-cli: cannot read 'BIN/zentorytrl.ini': too large (over 1 MiB)\n";

std::vector<HostileFileCase> makeTable() {
    // clang-format off
    return {
        {"SettingsEmpty", "config.ini", "empty",
         [] { return std::string(); },
         1, "", "", kNoTrl, "", false},
        {"SettingsBinary", "config.ini", "64 KiB of random bytes around the key lines",
         [] { return binary(32768, 1) + "\n" + settingsFor("[1031]") + binary(32768, 2) + "\r\n"; },
         0, "Inhalt von DIR/...\r\n", "", "", "", false},
        {"SettingsNoLineEnd", "config.ini", "no line end at all (CR only)",
         [] { return std::string("Product ID\rzentory\rLanguage\r[1031]"); },
         1, "", "", kNoTrl, "", false},
        {"SettingsByteOrderMark", "config.ini", "UTF-8 byte-order mark",
         [] { return "\xEF\xBB\xBF" + settingsFor("[1031]"); },
         1, "", "", kNoTrl, "", false},
        {"SettingsByteOneA", "config.ini", "0x1A in the middle",
         [] { return settingsFor("[1031]") + "\x1aLanguage\r\n[1036]\r\nnotes kept by hand\n"; },
         0, "Inhalt von DIR/...\r\n", "", "", "", false},
        {"SettingsLongLine", "config.ini", "a 16 MiB line",
         [] { return settingsFor("[1031]") + "Homepage\r\n" + std::string(kLongLine, 'x') + "\r\n"; },
         1, "", "", kSettingsTooLarge, "", true},
        {"SettingsManyLines", "config.ini", "200,000 lines",
         manySettings,
         1, "", "", kSettingsTooLarge, "", true},
        {"SettingsMixedLineEnds", "config.ini", "LF, CR LF and lone CR mixed",
         [] { return std::string("Product ID\nzentory\r\nLanguage\r[1031]\r\nLanguage\n[1036]\r\r\n"); },
         0, " DIR/...\r\n", "", "", "", false},
        {"TranslationsEmpty", "zentorytrl.ini", "empty",
         [] { return std::string(); },
         0, " DIR/...\r\n", "", "", "", false},
        {"TranslationsBinary", "zentorytrl.ini", "64 KiB of random bytes around a section",
         [] { return binary(32768, 3) + "\n[1033]\r\n00001 x\r\n00002 English\r\n00038 Contents of\r\n"
                     "[EOL]\r\n" + binary(32768, 4); },
         0, "Contents of DIR/...\r\n", "", "", "", false},
        {"TranslationsNoLineEnd", "zentorytrl.ini", "no line end at all (\"[1033]\" alone)",
         [] { return std::string("[1033]"); },
         0, " DIR/...\r\n", "", "", "", false},
        {"TranslationsByteOrderMark", "zentorytrl.ini", "UTF-8 byte-order mark before \"[1033]\"",
         [] { return "\xEF\xBB\xBF" + shippedTranslations(); },
         0, " DIR/...\r\n", "", "", "", false},
        {"TranslationsByteOneA", "zentorytrl.ini", "0x1A in the middle of a section",
         [] { return std::string("[1033]\r\n00001 x\r\n00002 English\r\n00038 Contents of\r\n\x1a"
                                 "00040 Folder\r\n[EOL]\r\n[1031]\r\n00001 y\r\n00002 Deutsch\r\n"); },
         0, "Contents of DIR/...\r\n", "\r\n .../sub:\r\n", "", "", false},
        {"TranslationsLongLine", "zentorytrl.ini", "a 16 MiB line",
         [] { return "[1033]\r\n00001 x\r\n00002 English\r\n00077 " + std::string(kLongLine, 'y') +
                     "\r\n00038 Contents of\r\n[EOL]\r\n"; },
         1, "", "", kTranslationsTooLarge, "", true},
        {"TranslationsManyLines", "zentorytrl.ini", "200,000 lines, 13,336 languages",
         manyTranslations,
         1, "", "", kTranslationsTooLarge, "", true},
        {"TranslationsMixedLineEnds", "zentorytrl.ini", "LF, CR LF and lone CR mixed",
         [] { return std::string("[1033]\r\n00001 x\n00002 English\r\n00038 Contents\rof\r\n"
                                 "00040 Folder\r\r\n[EOL]\n"); },
         0, "Contents?of DIR/...\r\n", "\r\nFolder? .../sub:\r\n", "",
         "the export writes it as \"?\": ", false},
    };
    // clang-format on
}

} // namespace

void PrintTo(const HostileFileCase& row, std::ostream* out) {
    *out << row.id;
}

const std::vector<HostileFileCase>& hostileFiles() {
    static const std::vector<HostileFileCase> table = makeTable();
    return table;
}

const HostileFileCase& hostileFile(std::string_view id) {
    for (const auto& row : hostileFiles()) {
        if (row.id == id) {
            return row;
        }
    }
    throw std::invalid_argument("no hostile file " + std::string(id));
}

std::string settingsFor(const std::string& language) {
    return "Product ID\r\nzentory\r\nLanguage\r\n" + language + "\r\n";
}

std::string shippedTranslations() {
    return readBytes(shippedFile("zentorytrl.ini"));
}

DataFiles dataFilesFor(const HostileFileCase& row) {
    if (std::string_view(row.file) == "config.ini") {
        return {row.bytes(), shippedTranslations()};
    }
    return {settingsFor("[1033]"), row.bytes()};
}

long memoryBoundKiB(size_t fileBytes) {
    // The base leaves room for the walk's threads and their allocator arenas.
    return static_cast<long>(4 * fileBytes / 1024) + 96 * 1024;
}

} // namespace zentory::test
