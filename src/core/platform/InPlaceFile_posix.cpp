#include "platform/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/Interruption.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zentory::platform {

namespace {

// One attempt at an exclusive lock on the whole file, shared by nobody:
// an open file description's lock where the kernel has them, else flock.
// Returns 0, EAGAIN while another holds it, or the errno of the failure.
int tryLock(int fd) {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &whole) == 0) {
        return 0;
    }
    if (errno == EAGAIN || errno == EACCES) {
        return EAGAIN;
    }
    if (errno != EINVAL) {
        return errno;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return 0;
    }
    return errno == EWOULDBLOCK ? EAGAIN : errno;
}

} // namespace

InPlaceFile::InPlaceFile(int fd, std::string target, std::string folder, bool readable)
    // The new text's bytes wait in the temporary folder, the old ones beside
    // the file: of the file's own disk only the old bytes take room.
    : m_fd(fd), m_target(std::move(target)), m_readable(readable),
      m_text(folder, Spool::Prefer::Temporary),
      m_oldBytes(std::move(folder), Spool::Prefer::Beside) {
    try {
        lock();
        struct stat st;
        if (::fstat(m_fd, &st) != 0) {
            throw FileError(m_target, "open", errno);
        }
        m_oldSize = st.st_size; // read under the lock: another writer's text is whole by now
    } catch (...) {
        close();
        throw;
    }
}

InPlaceFile::~InPlaceFile() {
    close();
}

void InPlaceFile::close() noexcept {
    if (m_fd >= 0) {
        ::close(m_fd); // also lets go of the lock
        m_fd = -1;
    }
}

void InPlaceFile::lock() {
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::seconds(kLockWaitSeconds);
    for (;;) {
        const int err = tryLock(m_fd);
        if (err == 0) {
            return;
        }
        if (err != EAGAIN) {
            throw FileError(m_target, "lock", err);
        }
        if (Clock::now() >= giveUp) {
            throw FileError(m_target, "lock", "another program is still writing it");
        }
        throwIfInterrupted(); // nothing was changed yet
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void InPlaceFile::write(std::string_view bytes) {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    if (const int err = m_text.append(bytes); err != 0) {
        close();
        // Beyond the size limit the file could not take the text either.
        throw FileError(m_target, err == EFBIG ? "write to" : "find room to hold the new text of",
                        err);
    }
}

void InPlaceFile::commit() {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    // From here on a signal waits until the file is whole again, old or new.
    const SignalsHeld held;
    try {
        throwIfInterrupted();
        const off_t end = m_text.size();
        checkSizeLimit(end);
        reserve(end);
        if (m_readable) {
            if (const int err = m_oldBytes.appendFrom(m_fd, 0, std::min(end, m_oldSize))) {
                throw FileError(m_target, "find room to keep the old text of", err);
            }
        }
    } catch (...) {
        close(); // nothing was changed
        throw;
    }
    overwrite();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        // The bytes are in place and on the disk; only the close itself failed.
        throw FileError(m_target, "close", errno);
    }
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

void InPlaceFile::overwrite() {
    const off_t end = m_text.size();
    int err = m_text.copyTo(m_fd, 0);
    if (err == 0 && ::ftruncate(m_fd, end) != 0) {
        err = errno;
    }
    if (err == 0 && ::fdatasync(m_fd) != 0) {
        err = errno;
    }
    if (err != 0) {
        restore(err);
    }
}

// Puts the old bytes and length back into blocks the file already had, so that
// this succeeds even on a full disk, then throws the failure `err`.
void InPlaceFile::restore(int err) {
    bool back = m_readable && m_oldBytes.copyTo(m_fd, 0) == 0;
    back = back && ::ftruncate(m_fd, m_oldSize) == 0;
    back = back && ::fdatasync(m_fd) == 0;
    close();
    if (!back) {
        throw FileError(m_target, "write to",
                        errorText(err) + "; its old text could not be put back");
    }
    throw FileError(m_target, "write to", err);
}

} // namespace zentory::platform
