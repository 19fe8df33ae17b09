// ReadSetting and WriteSetting over arbitrary settings files: after a write, a
// read gives the value back wherever a key line with a line after it exists,
// and the bytes from a 0x1A on come back unchanged.

#include "i18n/SettingsStore.h"
#include "platform/TextFile.h"

#include "FuzzSupport.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zentory;
    FuzzedDataProvider in(data, size);
    std::string key = in.ConsumeRandomLengthString(16);
    std::string value = in.ConsumeRandomLengthString(32);
    const std::string file = in.ConsumeRemainingBytesAsString();
    // A key and a value that can stand as the text of one line.
    key.resize(platform::textOfLine(key).size());
    value.erase(std::remove_if(value.begin(), value.end(),
                               [](char c) { return c == '\n' || c == '\x1a' || c == '\0'; }),
                value.end());
    while (!value.empty() && value.back() == '\r') {
        value.pop_back();
    }
    fuzz::put("config.ini", file);

    CSettingsStore store;
    const auto before = platform::splitTextLines(file);
    const auto beforeBytes = platform::splitLines(file);
    const std::string readBefore = store.ReadSetting(key);
    if (readBefore != readSettingFromLines(before, key)) {
        __builtin_trap();
    }
    store.WriteSetting(key, value);
    const std::string afterBytes = platform::readFile(fuzz::workFolder() + "/config.ini");
    const auto after = platform::splitLines(afterBytes);
    // What follows a 0x1A is never read, and never lost either.
    if (platform::unreadTail(afterBytes) != platform::unreadTail(file)) {
        __builtin_trap();
    }
    if (after.size() != before.size()) {
        __builtin_trap();
    }
    const std::string readAfter = store.ReadSetting(key);
    bool keyWithValueLine = false;
    for (size_t i = 0; i + 1 < before.size(); ++i) {
        keyWithValueLine = keyWithValueLine || before[i] == key;
    }
    const bool lastLineIsKey = !after.empty() && platform::textOfLine(after.back()) == key;
    if (readAfter != value && !readAfter.empty()) {
        __builtin_trap();
    }
    if (keyWithValueLine && !lastLineIsKey && readAfter != value) {
        __builtin_trap();
    }
    if (!keyWithValueLine && after != beforeBytes) {
        __builtin_trap();
    }
    return 0;
}
