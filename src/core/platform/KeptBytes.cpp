#include "platform/KeptBytes.h"

#include "platform/Environment.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

// Old bytes up to this many stay in memory.
constexpr off_t kInMemory = off_t{8} << 20;

// Copies `count` bytes from `in` at `from` to `out` at `to`, in the kernel
// where it can. Returns 0, or the errno of the failure.
int copyRange(int in, off_t from, int out, off_t to, off_t count) noexcept {
    bool kernel = true;
    std::string buffer;
    while (count > 0) {
        ssize_t n = -1;
        if (kernel) {
            n = ::copy_file_range(in, &from, out, &to, static_cast<size_t>(count), 0);
            if (n < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernel = false;
                continue;
            }
        } else {
            buffer.resize(static_cast<size_t>(std::min<off_t>(count, off_t{1} << 20)));
            n = ::pread(in, buffer.data(), buffer.size(), from);
            if (n > 0) {
                for (ssize_t done = 0; done < n;) {
                    const ssize_t w = ::pwrite(out, buffer.data() + done,
                                               static_cast<size_t>(n - done), to + done);
                    if (w <= 0) {
                        return w < 0 ? errno : EIO;
                    }
                    done += w;
                }
                from += n;
                to += n;
            }
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        count -= n;
    }
    return 0;
}

} // namespace

KeptBytes::~KeptBytes() {
    if (m_spill >= 0) {
        ::close(m_spill);
    }
}

bool KeptBytes::spill() noexcept {
    const std::string tmp = environmentValue("TMPDIR");
    for (const std::string& folder :
         {m_folder, tmp.empty() ? std::string("/tmp") : tmp, std::string("/var/tmp")}) {
        m_spill = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_spill >= 0) {
            break;
        }
    }
    if (m_spill < 0) {
        return false;
    }
    for (size_t done = 0; done < m_memory.size();) {
        const ssize_t n = ::pwrite(m_spill, m_memory.data() + done, m_memory.size() - done,
                                   static_cast<off_t>(done));
        if (n <= 0 && errno != EINTR) {
            ::close(m_spill);
            m_spill = -1;
            return false;
        }
        done += n > 0 ? static_cast<size_t>(n) : 0;
    }
    m_memory = std::string();
    return true;
}

int KeptBytes::keepUpTo(int fd, off_t end) {
    if (end <= m_size) {
        return 0;
    }
    if (m_spill < 0 && (end <= kInMemory || !spill())) {
        // Few bytes, or nowhere to put many: memory it is.
        const auto have = static_cast<size_t>(m_size);
        m_memory.resize(static_cast<size_t>(end));
        for (size_t done = have; done < m_memory.size();) {
            const ssize_t n = ::pread(fd, m_memory.data() + done, m_memory.size() - done,
                                      static_cast<off_t>(done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                m_memory.resize(have);
                return n < 0 ? errno : EIO;
            }
            done += static_cast<size_t>(n);
        }
        m_size = end;
        return 0;
    }
    if (const int err = copyRange(fd, m_size, m_spill, m_size, end - m_size); err != 0) {
        return err;
    }
    m_size = end;
    return 0;
}

bool KeptBytes::putBack(int fd) const noexcept {
    if (m_spill >= 0) {
        return copyRange(m_spill, 0, fd, 0, m_size) == 0;
    }
    for (size_t done = 0; done < m_memory.size();) {
        const ssize_t n =
            ::pwrite(fd, m_memory.data() + done, m_memory.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace zentory::platform
