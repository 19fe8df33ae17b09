#include "i18n/SettingsStore.h"

#include "platform/Clock.h"
#include "platform/FileError.h"
#include "platform/PathSeparator.h"
#include "platform/ProgramFolders.h"
#include "platform/SystemLanguage.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace zentory {

namespace {

constexpr const char* kSettingsName = "config.ini";
const std::string kSettingsFile = std::string(1, platform::kPathSeparator) + kSettingsName;

// The config.ini that reads come from: its path and its bytes.
struct SettingsText {
    std::string path;
    std::string bytes;
    std::string refused; // why the user's own file was passed over, if it was
};

// The user's own file when it is there and the user's, checked and read in
// one go; else the shipped one.
SettingsText currentSettings(const platform::ProgramFolders& folders) {
    std::string refused = folders.userSettingsRefused;
    if (!folders.userSettings.empty() && refused.empty()) {
        platform::UserSettingsFile own =
            platform::readUserSettings(folders.userSettings, kSettingsName);
        if (own.found) {
            return {folders.userSettings + kSettingsFile, std::move(own.bytes), {}};
        }
        refused = std::move(own.refused);
    }
    const std::string shipped = folders.data + kSettingsFile;
    return {shipped, platform::readFile(shipped), std::move(refused)};
}

// The file's text with `key`'s values replaced, without what follows a 0x1A.
std::string rewritten(const std::string& old, const std::string& key, const std::string& value) {
    auto lines = platform::splitLines(old);
    writeSettingInLines(lines, key, value);
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

// Unsigned arithmetic: values beyond an int wrap instead of overflowing.
int parseDigits(const std::string& text, std::string_view table) {
    const auto base = static_cast<uint32_t>(table.size());
    const size_t n = text.size();
    uint32_t result = 0;
    uint32_t place = 1;
    for (size_t i = n; i-- > 0;) {
        auto d = table.find(text[i]);
        if (d != std::string_view::npos) {
            result += static_cast<uint32_t>(d) * place;
        }
        place *= base;
    }
    return static_cast<int>(result);
}

} // namespace

std::string CSettingsStore::GetExeFolder() const {
    return platform::executableFolder();
}

std::string CSettingsStore::GetDataFolder() const {
    return platform::programFolders().data;
}

std::string CSettingsStore::SettingsPath() const {
    const platform::ProgramFolders folders = platform::programFolders();
    if (!folders.userSettings.empty() && folders.userSettingsRefused.empty()) {
        const std::string own = folders.userSettings + kSettingsFile;
        try {
            if (platform::readUserSettings(folders.userSettings, kSettingsName).found) {
                return own;
            }
        } catch (const platform::FileError&) {
            return own; // there, and a read reports why it cannot be read
        }
    }
    return folders.data + kSettingsFile;
}

std::string CSettingsStore::UserSettingsRefusal() const {
    const platform::ProgramFolders folders = platform::programFolders();
    if (folders.userSettingsRefused.empty()) {
        return {};
    }
    return "not using the settings in '" + folders.userSettings +
           "': " + folders.userSettingsRefused;
}

std::string CSettingsStore::TranslationFilePath() const {
    return GetDataFolder() + platform::kPathSeparator + ReadSetting("Product ID") + "trl.ini";
}

std::string readSettingFromLines(const std::vector<std::string>& lines, const std::string& key) {
    std::string result;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == key) {
            ++i;
            result = i < lines.size() ? lines[i] : std::string();
        }
    }
    return result;
}

void writeSettingInLines(std::vector<std::string>& lines, const std::string& key,
                         const std::string& value) {
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        if (platform::textOfLine(lines[i]) == key) {
            lines[i + 1] = value;
        }
    }
}

std::string CSettingsStore::ReadSetting(const std::string& key) const {
    return readSettingFromLines(
        platform::splitTextLines(currentSettings(platform::programFolders()).bytes), key);
}

void CSettingsStore::WriteSetting(const std::string& key, const std::string& value) const {
    const platform::ProgramFolders folders = platform::programFolders();
    if (!folders.installed) {
        const std::string path = folders.data + kSettingsFile;
        const std::string old = platform::readFile(path);
        // Reading stops at a byte 0x1A; what follows it holds no setting, but it is
        // the person's own, so it goes back unchanged after the rewritten lines.
        platform::writeText(path, rewritten(old, key, value), /*durable=*/true,
                            platform::unreadTail(old));
        return;
    }
    // In an installed tree the shipped file is never written: the user's own
    // copy is, made from the shipped one on the first change.
    if (folders.userSettings.empty()) {
        throw platform::FileError(folders.data + kSettingsFile, "write to",
                                  "no home folder for the user's own copy");
    }
    const std::string path = folders.userSettings + kSettingsFile;
    const SettingsText source = currentSettings(folders);
    if (!source.refused.empty()) {
        throw platform::FileError(path, "write to", source.refused);
    }
    platform::writeUserSettings(folders.userSettings, kSettingsName,
                                rewritten(source.bytes, key, value),
                                platform::unreadTail(source.bytes));
}

std::string CSettingsStore::ReadRegistryString(const std::string& valueName) const {
    return platform::readRegistryString(m_strRegistryKey, valueName);
}

int CSettingsStore::ParseDecimal(const std::string& text) {
    return parseDigits(text, "0123456789");
}

int CSettingsStore::ParseHex(const std::string& text) {
    return parseDigits(text, "0123456789abcdef");
}

bool CSettingsStore::FileContainsLine(const std::string& path, const std::string& line) {
    auto lines = platform::readLines(path);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string CSettingsStore::GetTimeStamp() {
    const platform::LocalTime t = platform::localNow();
    return std::to_string(t.year) + PadLeft(std::to_string(t.month), 2) +
           PadLeft(std::to_string(t.day), 2) + PadLeft(std::to_string(t.hour), 2) +
           PadLeft(std::to_string(t.minute), 2);
}

std::string CSettingsStore::PadLeft(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    }
    return text;
}

} // namespace zentory
