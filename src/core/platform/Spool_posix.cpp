#include "platform/Spool.h"

#include "platform/Environment.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace zentory::platform {

namespace {

// Bytes up to this many stay in memory.
constexpr off_t kInMemory = off_t{8} << 20;

// Writes all of `bytes` into `fd` at `offset`. Returns 0, or the errno.
int writeAll(int fd, std::string_view bytes, off_t offset) noexcept {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
        offset += n;
    }
    return 0;
}

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
                if (const int err = writeAll(out, {buffer.data(), static_cast<size_t>(n)}, to)) {
                    return err;
                }
                from += n;
                to += n;
            }
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO; // a file that ended early counts as a failed read
        }
        count -= n;
    }
    return 0;
}

} // namespace

Spool::~Spool() {
    if (m_spill >= 0) {
        ::close(m_spill);
    }
}

int Spool::spill() noexcept {
    // A TMPDIR that the person set is the one temporary folder.
    const std::string tmp = environmentValue("TMPDIR");
    std::vector<std::string> places;
    if (tmp.empty()) {
        places = {"/tmp", "/var/tmp"};
    } else {
        places = {tmp};
    }
    places.insert(m_prefer == Prefer::Beside ? places.begin() : places.end(), m_folder);
    int err = ENOENT;
    for (const std::string& folder : places) {
        m_spill = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_spill >= 0) {
            break;
        }
        err = errno;
    }
    if (m_spill < 0) {
        return err;
    }
    if (const int failed = writeAll(m_spill, m_memory, 0); failed != 0) {
        ::close(m_spill);
        m_spill = -1;
        return failed;
    }
    m_memory = std::string();
    return 0;
}

int Spool::append(std::string_view bytes) {
    if (m_spill < 0 && m_size + static_cast<off_t>(bytes.size()) > kInMemory) {
        if (const int err = spill(); err != 0) {
            return err;
        }
    }
    if (m_spill < 0) {
        m_memory.append(bytes);
    } else if (const int err = writeAll(m_spill, bytes, m_size); err != 0) {
        return err;
    }
    m_size += static_cast<off_t>(bytes.size());
    return 0;
}

int Spool::appendFrom(int fd, off_t from, off_t count) {
    if (m_spill < 0 && m_size + count > kInMemory) {
        if (const int err = spill(); err != 0) {
            return err;
        }
    }
    if (m_spill >= 0) {
        if (const int err = copyRange(fd, from, m_spill, m_size, count); err != 0) {
            return err;
        }
        m_size += count;
        return 0;
    }
    const size_t have = m_memory.size();
    m_memory.resize(have + static_cast<size_t>(count));
    for (size_t done = have; done < m_memory.size();) {
        const ssize_t n = ::pread(fd, m_memory.data() + done, m_memory.size() - done,
                                  from + static_cast<off_t>(done - have));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_memory.resize(have);
            return n < 0 ? errno : EIO;
        }
        done += static_cast<size_t>(n);
    }
    m_size += count;
    return 0;
}

int Spool::copyTo(int fd, off_t offset) const noexcept {
    if (m_spill >= 0) {
        return copyRange(m_spill, 0, fd, offset, m_size);
    }
    return writeAll(fd, m_memory, offset);
}

} // namespace zentory::platform
