#include "i18n/Translator.h"

#include "platform/SystemLanguage.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace zentory {

std::vector<TranslationEntry> parseSection(const std::vector<std::string>& lines,
                                           const std::string& tag) {
    std::vector<TranslationEntry> entries;
    auto line = std::find(lines.begin(), lines.end(), tag);
    if (line == lines.end()) {
        return entries;
    }
    for (++line; line != lines.end() && *line != "[EOL]"; ++line) {
        if (line->size() <= 4) {
            continue;
        }
        TranslationEntry entry;
        entry.m_nKey = CSettingsStore::ParseDecimal(line->substr(0, 5));
        if (line->size() > 6) {
            entry.m_strText = line->substr(6);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string CTranslator::ResolveTag() {
    std::string tag = m_settings.ReadSetting("Language");
    if (tag != "[----]") {
        return tag;
    }
    m_settings.m_strRegistryKey = platform::kLanguageRegistryKey;
    const int language = CSettingsStore::ParseHex(m_settings.ReadRegistryString("Default"));
    // Appended piece by piece: GCC 12 at -O3 misreads "[" + ... + "]" as an overlapping copy.
    std::string systemTag = "[";
    systemTag += std::to_string(language);
    systemTag += ']';
    if (m_settings.ReadSetting("Dialects[1031]").find(systemTag) != std::string::npos) {
        systemTag = "[1031]";
    }
    return CSettingsStore::FileContainsLine(m_settings.TranslationFilePath(), systemTag) ? systemTag
                                                                                         : "[1033]";
}

void CTranslator::Load() {
    const std::string path = m_settings.TranslationFilePath();
    const std::string tag = ResolveTag();
    m_entries = parseSection(platform::readLines(path), tag);
    m_tag = tag;
}

std::string localeForTag(const std::string& tag) {
    if (tag.size() < 3 || tag.front() != '[' || tag.back() != ']') {
        return {};
    }
    const std::string digits = tag.substr(1, tag.size() - 2);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return {};
    }
    const int languageId = CSettingsStore::ParseDecimal(digits);
    return languageId > 0 ? platform::localeForLanguageId(static_cast<unsigned>(languageId)) : "";
}

std::string CTranslator::GetText(int key) const {
    for (const auto& entry : m_entries) {
        if (entry.m_nKey == key) {
            return entry.m_strText;
        }
    }
    return {};
}

} // namespace zentory
