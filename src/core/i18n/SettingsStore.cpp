#include "i18n/SettingsStore.h"

#include "platform/Clock.h"
#include "platform/ExecutablePath.h"
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

const std::string kSettingsFile = std::string(1, platform::kPathSeparator) + "config.ini";

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
        std::string own = folders.userSettings + kSettingsFile;
        if (platform::pathExists(own)) {
            return own;
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
    return readSettingFromLines(platform::readLines(SettingsPath()), key);
}

void CSettingsStore::WriteSetting(const std::string& key, const std::string& value) const {
    const platform::ProgramFolders folders = platform::programFolders();
    const std::string source = SettingsPath();
    // In an installed tree the shipped file is never written: the user's own
    // copy is, made from the shipped one on the first change.
    const std::string path = folders.installed ? folders.userSettings + kSettingsFile : source;
    if (folders.installed && folders.userSettings.empty()) {
        throw platform::FileError(source, "write to", "no home folder for the user's own copy");
    }
    if (folders.installed && !folders.userSettingsRefused.empty()) {
        throw platform::FileError(path, "write to", folders.userSettingsRefused);
    }
    const std::string old = platform::readFile(source);
    if (path != source) {
        platform::createFolders(folders.userSettings);
    }
    auto lines = platform::splitLines(old);
    writeSettingInLines(lines, key, value);
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    // Reading stops at a byte 0x1A; what follows it holds no setting, but it is
    // the person's own, so it goes back unchanged after the rewritten lines.
    platform::writeText(path, text, /*durable=*/true, platform::unreadTail(old));
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
