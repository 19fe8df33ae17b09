#include "platform/SystemLanguage.h"

#include <cstdio>
#include <cstdlib>
#include <unicode/uloc.h>

namespace zentory::platform {

std::string languageIdForLocale(const std::string& locale) {
    std::string language = locale.substr(0, locale.find_first_of(".@"));
    if (language.empty() || language == "C" || language == "POSIX") {
        return {};
    }
    char canonical[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    uloc_canonicalize(locale.c_str(), canonical, sizeof canonical, &status);
    if (U_FAILURE(status)) {
        return {};
    }
    uint32_t lcid = uloc_getLCID(canonical);
    if (lcid == 0) {
        return {};
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(lcid & 0xffff));
    return hex;
}

std::string localeForLanguageId(unsigned languageId) {
    char locale[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getLocaleForLCID(languageId, locale, sizeof locale, &status);
    if (U_FAILURE(status) || length <= 0) {
        return {};
    }
    return std::string(locale, static_cast<size_t>(length));
}

std::string readRegistryString(const std::string& key, const std::string& valueName) {
    if (key != kLanguageRegistryKey || valueName != "Default") {
        return {};
    }
    return languageIdForLocale(environmentLocale());
}

} // namespace zentory::platform
