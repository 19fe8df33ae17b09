#include "i18n/FileErrorText.h"

#include "i18n/Placeholders.h"

namespace zentory {

namespace {

struct Sentence {
    const char* operation;
    TextKey key;
    const char* english;
};
// The operations a file error names, with the key and the English wording of each.
constexpr Sentence kSentences[] = {
    {"open", TextKey::FileErrorOpen, "Cannot open the file \"%1\"."},
    {"read", TextKey::FileErrorRead, "Cannot read the file \"%1\"."},
    {"create", TextKey::FileErrorCreate, "Cannot create the file \"%1\"."},
    {"write to", TextKey::FileErrorWrite, "Cannot write to the file \"%1\"."},
    {"close", TextKey::FileErrorClose, "Cannot close the file \"%1\"."},
    {"replace", TextKey::FileErrorReplace, "Cannot replace the file \"%1\"."},
    {"create folder", TextKey::FileErrorCreateFolder, "Cannot create the folder \"%1\"."},
    {"create a file in", TextKey::FileErrorCreateIn, "Cannot create a file in the folder \"%1\"."},
};
constexpr Sentence kOther = {"", TextKey::FileErrorOther, "Cannot %2 the file \"%1\"."};

} // namespace

std::string fileErrorText(const CTranslator& translator, const platform::FileError& error) {
    const Sentence* sentence = &kOther;
    for (const auto& s : kSentences) {
        if (error.operation() == s.operation) {
            sentence = &s;
        }
    }
    std::string text = translator.GetText(sentence->key);
    if (text.empty()) {
        text = sentence->english;
    }
    return fillPlaceholders(text, error.path(), error.operation()) + "\n\n" + error.reason() + ".";
}

} // namespace zentory
