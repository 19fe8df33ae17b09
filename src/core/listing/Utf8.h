#pragma once
// Reading UTF-8 out of names that are bytes and need not be UTF-8 at all.

#include <cstddef>
#include <string_view>

namespace zentory {

inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// The code point whose UTF-8 sequence starts at `at` in `text`, with its
// length in `length`; or kNotUtf8 when no valid sequence starts there, with the
// length of the maximal invalid part in `length` (at least one byte): the bytes
// that one U+FFFD stands for when the text is shown.
inline char32_t DecodeUtf8(std::string_view text, size_t at, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned lead = byte(0);
    length = 1;
    if (lead < 0x80) {
        return lead;
    }
    size_t need = 0;
    char32_t cp = 0;
    unsigned low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return kNotUtf8;
    }
    for (size_t i = 1; i <= need; ++i) {
        if (at + i >= text.size()) {
            return kNotUtf8;
        }
        const unsigned b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
            return kNotUtf8;
        }
        cp = (cp << 6) | (b & 0x3F);
        length = i + 1;
    }
    return cp;
}

} // namespace zentory
