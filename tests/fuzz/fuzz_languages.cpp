// The language dialog's list over arbitrary translation files.

#include "i18n/LanguageList.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zentory;
    FuzzedDataProvider in(data, size);
    const std::string stored = in.ConsumeRandomLengthString(8);
    const auto lines = platform::splitLines(in.ConsumeRemainingBytesAsString());
    const auto languages = parseLanguageList(lines);
    if (languages.size() > lines.size()) {
        __builtin_trap();
    }
    for (const auto& language : languages) {
        if (language.tag.size() != 6 || language.tag[0] != '[') {
            __builtin_trap();
        }
        // Confirming a listed name stores a tag listed under that very name.
        const std::string tag = tagForSelection(languages, language.name, stored);
        if (selectionForTag(languages, tag) != language.name &&
            std::none_of(languages.begin(), languages.end(), [&](const LanguageChoice& l) {
                return l.tag == tag && l.name == language.name;
            })) {
            __builtin_trap();
        }
    }
    return 0;
}
