#include "platform/FileError.h"

#include <cstring>

namespace zentory::platform {

std::string errorText(int errnum) {
    char buf[256];
    if (strerror_s(buf, sizeof buf, errnum) != 0) {
        return "error " + std::to_string(errnum);
    }
    return buf;
}

} // namespace zentory::platform
