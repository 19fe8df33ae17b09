#pragma once
// The message of the file-error box in the interface language: a sentence from
// the catalogue saying what failed on which file, then the system's reason.

#include "i18n/Translator.h"
#include "platform/FileError.h"

#include <string>

namespace zentory {

// "Cannot open the file "PATH".\n\nREASON." with the catalogue's sentence for
// the error's operation; where the catalogue has none (a translation file of
// an older version, or none loaded), the English sentence.
std::string FileErrorText(const CTranslator& translator, const platform::FileError& error);

// `text` with "%1" replaced by `first` and "%2" by `second`, in one pass, so
// that a "%2" inside `first` stays as it is.
std::string FillPlaceholders(const std::string& text, const std::string& first,
                             const std::string& second = {});

} // namespace zentory
