#include "PrefixText.h"

namespace zentory::window {

std::string DoublePrefixes(std::string_view text) {
    std::string doubled;
    doubled.reserve(text.size());
    for (const char c : text) {
        doubled += c;
        if (c == '&') {
            doubled += '&';
        }
    }
    return doubled;
}

std::string ShownText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            shown += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            shown += '&';
            ++i;
        }
    }
    return shown;
}

} // namespace zentory::window
