#include "platform/StandardOutput.h"

#include "platform/FileError.h"

#include <cerrno>
#include <unistd.h>

namespace zentory::platform {

void writeStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError("standard output", "write to", errno);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

} // namespace zentory::platform
