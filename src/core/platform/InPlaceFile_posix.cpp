#include "platform/InPlaceFile.h"

#include "platform/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

// An open file description's lock where the kernel has them, else flock:
// shared by nobody, whoever else opens the file.
bool InPlaceFile::tryLock() {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(m_fd, F_OFD_SETLK, &whole) == 0) {
        return true;
    }
    if (errno == EAGAIN || errno == EACCES) {
        return false;
    }
    if (errno == EINVAL && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        return true;
    }
    if (errno == EWOULDBLOCK) {
        return false;
    }
    throw FileError(m_target, "lock", errno);
}

off_t InPlaceFile::currentSize() const {
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        throw FileError(m_target, "open", errno);
    }
    return st.st_size;
}

// A size limit is known before a byte is written: a text beyond it fails as a
// write past it would, but with the file untouched.
void InPlaceFile::checkSizeLimit(off_t end) const {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        throw FileError(m_target, "write to", errno);
    }
    if (limit.rlim_cur != RLIM_INFINITY && static_cast<rlim_t>(end) > limit.rlim_cur) {
        throw FileError(m_target, "write to", EFBIG);
    }
}

// Blocks for the whole new text, the holes of a sparse old file and the part
// past its end included, without changing its length. Where the file system
// cannot reserve, a full disk shows at the write instead, and is rolled back.
void InPlaceFile::reserve(off_t end) {
    if (end == 0) {
        return;
    }
    int result;
    do {
        result = ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, end);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        throw FileError(m_target, "write to", errno);
    }
}

int InPlaceFile::cutTo(off_t end) noexcept {
    return ::ftruncate(m_fd, end) == 0 ? 0 : errno;
}

int InPlaceFile::flushToDisk() noexcept {
    return ::fdatasync(m_fd) == 0 ? 0 : errno;
}

void InPlaceFile::close() noexcept {
    if (m_fd >= 0) {
        ::close(m_fd); // also lets go of the lock; the text is decided by now
        m_fd = -1;
    }
}

void InPlaceFile::closeCommitted() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        // The bytes are in place and on the disk; only the close itself failed.
        throw FileError(m_target, "close", errno);
    }
}

} // namespace zentory::platform
