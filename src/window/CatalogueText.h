#pragma once
// A text of the catalogue with a fall-back, for the window's own texts.

#include "i18n/Translator.h"

#include <string>

namespace zentory::window {

// A text of the catalogue, or `english` where the translation file has none (one
// written for an older version), so that no button is left without a caption.
inline std::string textOr(const CTranslator& catalogue, TextKey key, const char* english) {
    std::string text = catalogue.GetText(key);
    return text.empty() ? english : text;
}

} // namespace zentory::window
