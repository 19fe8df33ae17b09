#include "platform/write/StandardOutput.h"

#include "platform/FileError.h"
#include "platform/write/Interruption.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

void writeStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        throwIfInterrupted();
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

void writeStandardError(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDERR_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

bool isStandardOutput(const std::string& path) {
    struct stat named, out;
    return !path.empty() && ::stat(path.c_str(), &named) == 0 &&
           ::fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
           named.st_ino == out.st_ino;
}

} // namespace zentory::platform
