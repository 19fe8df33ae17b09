#include "i18n/LanguageList.h"

#include "platform/TextFile.h"

namespace zentory {

std::vector<LanguageChoice> parseLanguageList(const std::vector<std::string>& lines) {
    std::vector<LanguageChoice> languages;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() != 6 || line[0] != '[') {
            continue;
        }
        // The tag line, one line skipped, then the name line.
        i += 2;
        const std::string nameLine = i < lines.size() ? lines[i] : std::string();
        languages.push_back({line, nameLine.size() > 6 ? nameLine.substr(6) : std::string()});
    }
    return languages;
}

std::vector<LanguageChoice> readLanguageList(const CSettingsStore& settings) {
    return parseLanguageList(platform::readLines(settings.TranslationFilePath()));
}

std::string selectionForTag(const std::vector<LanguageChoice>& languages,
                            const std::string& storedTag) {
    std::string selection = kSystemDefaultLanguage;
    for (const auto& language : languages) {
        if (language.tag == storedTag) {
            selection = language.name;
        }
    }
    return selection;
}

std::string tagForSelection(const std::vector<LanguageChoice>& languages,
                            const std::string& selection, const std::string& currentTag) {
    std::string tag = currentTag;
    for (const auto& language : languages) {
        if (language.name == selection) {
            tag = language.tag;
        }
    }
    return tag;
}

} // namespace zentory
