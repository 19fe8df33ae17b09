#include "platform/write/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/posix/Descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

// Whoever holds the lock that stopped ours, as the kernel tells it.
bool heldForReading(int fd) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type == F_RDLCK;
}

} // namespace

// An open file description's lock, which a record lock (fcntl, lockf) of
// another process stops, and a whole-file lock (flock) as well: a program may
// guard its reading or writing with either. Shared by nobody, whoever else
// opens the file.
InPlaceFile::Lock InPlaceFile::tryLock() {
    const int fd = descriptorOf(m_file);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    bool recordLocks = true;
    if (::fcntl(fd, F_OFD_SETLK, &whole) != 0) {
        if (errno == EAGAIN || errno == EACCES) {
            return heldForReading(fd) ? Lock::HeldByReader : Lock::HeldByWriter;
        }
        if (errno != EINVAL) {
            throw FileError(m_target, "lock", errno);
        }
        recordLocks = false; // no such locks here: flock alone
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return Lock::Taken;
    }
    const int err = errno;
    if (recordLocks) {
        whole.l_type = F_UNLCK;
        ::fcntl(fd, F_OFD_SETLK, &whole);
    }
    if (err != EWOULDBLOCK) {
        throw FileError(m_target, "lock", err);
    }
    // Only readers' shared locks let a shared one through.
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        return Lock::HeldByReader;
    }
    return Lock::HeldByWriter;
}

std::int64_t InPlaceFile::currentSize() const {
    struct stat st;
    if (::fstat(descriptorOf(m_file), &st) != 0) {
        throw FileError(m_target, "open", errno);
    }
    return st.st_size;
}

// A size limit is known before a byte is written: a text beyond it fails as a
// write past it would, but with the file untouched.
void InPlaceFile::checkSizeLimit(std::int64_t end) const {
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
void InPlaceFile::reserve(std::int64_t end) {
    if (end == 0) {
        return;
    }
    int result;
    do {
        result = ::fallocate(descriptorOf(m_file), FALLOC_FL_KEEP_SIZE, 0, end);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        throw FileError(m_target, "write to", errno);
    }
}

int InPlaceFile::cutTo(std::int64_t end) noexcept {
    return ::ftruncate(descriptorOf(m_file), end) == 0 ? 0 : errno;
}

int InPlaceFile::flushToDisk() noexcept {
    return ::fdatasync(descriptorOf(m_file)) == 0 ? 0 : errno;
}

void InPlaceFile::close() noexcept {
    if (m_file.valid()) {
        ::close(descriptorOf(m_file)); // also lets go of the lock; the text is decided by now
        m_file = FileHandle();
    }
}

void InPlaceFile::closeCommitted() {
    const int fd = descriptorOf(m_file);
    m_file = FileHandle();
    if (::close(fd) != 0) {
        // The bytes are in place and on the disk; only the close itself failed.
        throw FileError(m_target, "close", errno);
    }
}

} // namespace zentory::platform
