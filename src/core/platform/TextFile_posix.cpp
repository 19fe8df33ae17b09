#include "platform/TextFile.h"

#include "platform/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

std::string readFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO that nobody writes must not wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw FileError(path, "open", errno);
    }
    // Only a regular file has an end: a FIFO could hold the program for ever
    // and a device such as /dev/zero would fill the memory.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "read", "not a regular file");
    }
    std::string data;
    // Room for the whole file at once: growing by doubling would hold a large
    // file up to three times while it is read.
    data.reserve(static_cast<size_t>(st.st_size) + 1);
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int err = errno;
            ::close(fd);
            throw FileError(path, "read", err);
        }
        if (n == 0) {
            break;
        }
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

} // namespace zentory::platform
