#include "i18n/Placeholders.h"

namespace zentory {

std::string fillPlaceholders(const std::string& text, const std::string& first,
                             const std::string& second) {
    std::string filled;
    filled.reserve(text.size() + first.size() + second.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            filled += text[i + 1] == '1' ? first : second;
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

} // namespace zentory
