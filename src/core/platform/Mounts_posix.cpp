#include "platform/Mounts.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace zentory::platform {

MountNames MountNames::current() {
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return everyName();
    }
    std::string text;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return everyName();
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return fromMountInfo(text);
}

} // namespace zentory::platform
