// The catalogue's Load over arbitrary translation files and stored tags.

#include "i18n/Translator.h"
#include "platform/FileError.h"

#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zentory;
    FuzzedDataProvider in(data, size);
    const std::string tag = in.ConsumeRandomLengthString(12);
    const std::string dialects = in.ConsumeRandomLengthString(40);
    const std::string file = in.ConsumeRemainingBytesAsString();
    fuzz::put("config.ini", "Product ID\r\nfz\r\nLanguage\r\n" + tag + "\r\nDialects[1031]\r\n" +
                                dialects + "\r\n");
    fuzz::put("fztrl.ini", file);

    CTranslator translator;
    try {
        translator.Load();
    } catch (const platform::FileError&) {
        return 0; // a tag with a line break may name no file: not a finding
    }
    for (const auto& entry : translator.Entries()) {
        if (entry.m_strText.find('\n') != std::string::npos || entry.m_nKey < 0) {
            __builtin_trap();
        }
        // The first entry of a key is the one that answers.
        const std::string answer = translator.GetText(entry.m_nKey);
        for (const auto& e : translator.Entries()) {
            if (e.m_nKey == entry.m_nKey) {
                if (e.m_strText != answer) {
                    __builtin_trap();
                }
                break;
            }
        }
    }
    return 0;
}
