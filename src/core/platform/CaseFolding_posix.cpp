#include "platform/CaseFolding.h"

#include <unicode/uchar.h>

namespace zentory::platform {

char32_t foldCase(char32_t c) {
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

char32_t lowerCase(char32_t c) {
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

char32_t upperCase(char32_t c) {
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

} // namespace zentory::platform
