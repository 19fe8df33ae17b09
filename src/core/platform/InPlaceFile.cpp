#include "platform/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/Interruption.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

// New text held before any of it is written: a text up to this length (a
// settings file, most lists) meets a full disk before a byte of the old one
// is overwritten. A longer list is written on in pieces of this size.
constexpr size_t kHeldBytes = size_t{8} << 20;

} // namespace

InPlaceFile::InPlaceFile(int fd, std::string target, std::string folder, bool readable)
    : m_fd(fd), m_target(std::move(target)), m_readable(readable), m_oldBytes(std::move(folder)) {
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        const int err = errno;
        ::close(m_fd);
        m_fd = -1;
        throw FileError(m_target, "open", err);
    }
    m_oldSize = st.st_size;
}

InPlaceFile::~InPlaceFile() {
    if (m_fd >= 0) {
        restore();
        ::close(m_fd);
    }
}

void InPlaceFile::write(std::string_view bytes) {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    m_pending.append(bytes);
    if (m_pending.size() >= kHeldBytes) {
        flush();
    }
}

void InPlaceFile::commit() {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    flush();
    try {
        keepOldBytes(m_oldSize); // the cut below drops what lies beyond the new end
        throwIfInterrupted();
        m_changed = true;
        if (::ftruncate(m_fd, m_written) != 0 || ::fdatasync(m_fd) != 0) {
            throw FileError(m_target, "write to", errno);
        }
    } catch (...) {
        abandon();
        throw;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        // The bytes are in place and on the disk; only the close itself failed.
        throw FileError(m_target, "close", errno);
    }
}

void InPlaceFile::flush() {
    try {
        throwIfInterrupted();
        const off_t end = m_written + static_cast<off_t>(m_pending.size());
        reserve(end);
        keepOldBytes(end);
        writeAt(m_pending, m_written);
        m_written = end;
        m_pending.clear();
    } catch (...) {
        abandon();
        throw;
    }
}

void InPlaceFile::reserve(off_t end) {
    if (!m_canReserve || end <= m_written) {
        return;
    }
    // The whole range written next, as holes of a sparse old file need blocks
    // too. fallocate rather than posix_fallocate: where the file system
    // cannot reserve, glibc would write the blocks one by one instead.
    m_changed = m_changed || end > m_oldSize; // a reservation past the old end lengthens the file
    int result;
    do {
        result = ::fallocate(m_fd, 0, m_written, end - m_written);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        return;
    }
    if (errno == EOPNOTSUPP || errno == ENOSYS) {
        m_canReserve = false; // go on: a full disk then shows at the write
        return;
    }
    throw FileError(m_target, "write to", errno);
}

void InPlaceFile::keepOldBytes(off_t end) {
    if (!m_readable) {
        return;
    }
    if (const int err = m_oldBytes.keepUpTo(m_fd, std::min(end, m_oldSize)); err != 0) {
        throw FileError(m_target, "read", err);
    }
}

void InPlaceFile::writeAt(std::string_view bytes, off_t offset) {
    m_changed = true;
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data(), bytes.size(), offset);
        if (n < 0) {
            if (errno == EINTR) {
                throwIfInterrupted();
                continue;
            }
            throw FileError(m_target, "write to", errno);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
        offset += n;
    }
}

void InPlaceFile::restore() noexcept {
    if (!m_changed) {
        return;
    }
    // The old bytes go back where they were, into blocks the file already had,
    // so that this succeeds even on a full disk.
    (void)m_oldBytes.putBack(m_fd);
    (void)::ftruncate(m_fd, m_oldSize);
    (void)::fdatasync(m_fd);
    m_changed = false;
}

void InPlaceFile::abandon() noexcept {
    restore();
    ::close(m_fd);
    m_fd = -1;
}

} // namespace zentory::platform
