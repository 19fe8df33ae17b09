#include "platform/FileError.h"

#include <cstring>

namespace zentory::platform {

std::string errorText(int errnum) {
    char buf[256];
    // GNU strerror_r returns the message, which may or may not live in buf.
    return strerror_r(errnum, buf, sizeof buf);
}

} // namespace zentory::platform
