#pragma once
// The languages that the translation file offers, for the language dialog.
//
// A tag line is exactly six bytes and begins with "[". The language's name is
// the second line after its tag line without its first six bytes (the entry key
// and separator). The line between and the name line are never taken as tag
// lines; reading past the end gives an empty line.

#include "i18n/SettingsStore.h"

#include <string>
#include <vector>

namespace zentory {

struct LanguageChoice {
    std::string tag;  // "[1031]"
    std::string name; // "Deutsch"
};

// The text the dialog shows when the stored tag names no listed language.
inline constexpr const char* kSystemDefaultLanguage = "System default language";

// The languages in `lines`, in file order.
std::vector<LanguageChoice> parseLanguageList(const std::vector<std::string>& lines);

// The languages of the translation file that `settings` names. Throws platform::FileError.
std::vector<LanguageChoice> readLanguageList(const CSettingsStore& settings);

// The text to preselect for `storedTag`: the name of the last language with
// that tag, else kSystemDefaultLanguage.
std::string selectionForTag(const std::vector<LanguageChoice>& languages,
                            const std::string& storedTag);

// The tag for a confirmed text: that of the last language whose name equals it
// exactly; `currentTag` when none does.
std::string tagForSelection(const std::vector<LanguageChoice>& languages,
                            const std::string& selection, const std::string& currentTag);

} // namespace zentory
