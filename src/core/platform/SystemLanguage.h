#pragma once
// The system's default language, in the form the translation catalogue expects
// from the registry value "Default" under
// "SYSTEM\CurrentControlSet\Control\Nls\Language": four lower-case hex digits
// of the Windows language identifier. Here it is derived from the locale named
// by LC_ALL, else LC_MESSAGES, else LANG, whether or not that locale is installed.

#include <string>

namespace zentory::platform {

inline constexpr const char* kLanguageRegistryKey =
    "SYSTEM\\CurrentControlSet\\Control\\Nls\\Language";

// The value `valueName` of the key `key`; only the system language is known,
// every other key or value reads as the empty text.
std::string readRegistryString(const std::string& key, const std::string& valueName);

// The language identifier for a POSIX locale name ("de_CH.UTF-8" gives "0807");
// the empty text for "", "C", "POSIX" and names ICU does not know.
std::string languageIdForLocale(const std::string& locale);

// The locale of a Windows language identifier, in ICU's form (0x0407 gives
// "de_DE", 0x040c "fr_FR"); the empty text for an identifier ICU does not know.
std::string localeForLanguageId(unsigned languageId);

// The locale name from the environment (LC_ALL, LC_MESSAGES, LANG; empty values skipped).
std::string environmentLocale();

} // namespace zentory::platform
