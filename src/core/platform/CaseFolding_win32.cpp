#include "platform/CaseFolding.h"

#include <windows.h>

namespace zentory::platform {

namespace {

// One character through LCMapStringEx, as a person's locale-free text compares.
char32_t mapped(char32_t c, DWORD how) {
    wchar_t in[2];
    int length = 1;
    if (c >= 0x10000) {
        in[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        in[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        length = 2;
    } else {
        in[0] = static_cast<wchar_t>(c);
    }
    wchar_t out[4];
    const int n =
        LCMapStringEx(LOCALE_NAME_INVARIANT, how, in, length, out, 4, nullptr, nullptr, 0);
    if (n == 1 && (out[0] < 0xD800 || out[0] > 0xDFFF)) {
        return out[0];
    }
    if (n == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF && out[1] >= 0xDC00 && out[1] <= 0xDFFF) {
        return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) + (out[1] - 0xDC00);
    }
    return c; // no single character answers
}

} // namespace

char32_t foldCase(char32_t c) {
    // Folding is lower case for all but a few characters; Windows has no
    // separate table for it.
    return mapped(c, LCMAP_LOWERCASE);
}

char32_t lowerCase(char32_t c) {
    return mapped(c, LCMAP_LOWERCASE);
}

char32_t upperCase(char32_t c) {
    return mapped(c, LCMAP_UPPERCASE);
}

} // namespace zentory::platform
