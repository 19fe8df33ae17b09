#include "platform/SystemLanguage.h"

#include "platform/win32/Utf16.h"

#include <windows.h>

#include <cstdio>

namespace zentory::platform {

std::string languageIdForLocale(const std::string& locale) {
    std::string language = locale.substr(0, locale.find_first_of(".@"));
    if (language.empty() || language == "C" || language == "POSIX") {
        return {};
    }
    // "de_CH" is "de-CH" to Windows.
    for (char& c : language) {
        if (c == '_') {
            c = '-';
        }
    }
    const LCID lcid = LocaleNameToLCID(widen(language).c_str(), 0);
    if (lcid == 0 || lcid == LOCALE_CUSTOM_UNSPECIFIED) {
        return {};
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(lcid & 0xffff));
    return hex;
}

std::string localeForLanguageId(unsigned languageId) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    const int n = LCIDToLocaleName(languageId, name, LOCALE_NAME_MAX_LENGTH, 0);
    if (n <= 1) {
        return {};
    }
    std::string locale = narrow(std::wstring_view(name, static_cast<size_t>(n - 1)));
    for (char& c : locale) {
        if (c == '-') {
            c = '_';
        }
    }
    return locale;
}

std::string readRegistryString(const std::string& key, const std::string& valueName) {
    // Read only, from the machine's own hive, as the catalogue expects it.
    const std::wstring wideKey = widen(key);
    const std::wstring wideValue = widen(valueName);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, wideKey.c_str(), wideValue.c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t)) {
        return {};
    }
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_LOCAL_MACHINE, wideKey.c_str(), wideValue.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &bytes) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    return narrow(value);
}

} // namespace zentory::platform
