#include "platform/TextFile.h"

#include "platform/FileError.h"
#include "platform/posix/OpenedFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

std::string readFile(const std::string& path, size_t limit) {
    // O_NONBLOCK: opening a FIFO that nobody writes must not wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw FileError(path, "open", errno);
    }
    return readOpenedFile(fd, path, limit);
}

std::string readOpenedFile(int fd, const std::string& path, size_t limit) {
    // Only a regular file has an end: a FIFO could hold the program for ever
    // and a device such as /dev/zero would fill the memory.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "read", "not a regular file");
    }
    // Refused before a byte is read: a sparse file of many gigabytes costs
    // nothing on the disk but would not fit in the memory.
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        throw FileError(path, "read", tooLargeReason(limit));
    }
    std::string data;
    // Room for the whole file at once: growing by doubling would hold a large
    // file up to three times while it is read.
    data.reserve(static_cast<size_t>(st.st_size) + 1);
    char buf[65536];
    for (;;) {
        // One byte more than the limit at most: a file that grows while it is
        // read is found too large without reading what it grew by.
        const size_t room = limit + 1 - data.size();
        ssize_t n = ::read(fd, buf, std::min(sizeof buf, room));
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
        if (data.size() > limit) {
            ::close(fd);
            throw FileError(path, "read", tooLargeReason(limit));
        }
    }
    ::close(fd);
    return data;
}

} // namespace zentory::platform
