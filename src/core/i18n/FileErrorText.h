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
std::string fileErrorText(const CTranslator& translator, const platform::FileError& error);

} // namespace zentory
