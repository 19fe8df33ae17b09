#include "platform/SystemLanguage.h"

#include "platform/Environment.h"

namespace zentory::platform {

std::string environmentLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (std::string value = environmentValue(name); !value.empty()) {
            return value;
        }
    }
    return {};
}

} // namespace zentory::platform
