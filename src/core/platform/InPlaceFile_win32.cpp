#include "platform/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/Interruption.h"
#include "platform/WideText_win32.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace zentory::platform {

namespace {

HANDLE handleOf(int fd) {
    return LongToHandle(fd);
}

int setEnd(HANDLE h, off_t end) {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = end;
    return SetFileInformationByHandle(h, FileEndOfFileInfo, &info, sizeof info)
               ? 0
               : errnoOf(GetLastError());
}

int flush(HANDLE h) {
    return FlushFileBuffers(h) ? 0 : errnoOf(GetLastError());
}

} // namespace

InPlaceFile::InPlaceFile(int fd, std::string target, std::string folder, bool readable)
    : m_fd(fd), m_target(std::move(target)), m_readable(readable),
      m_text(folder, Spool::Prefer::Temporary),
      m_oldBytes(std::move(folder), Spool::Prefer::Beside) {
    try {
        lock();
        LARGE_INTEGER size;
        if (!GetFileSizeEx(handleOf(m_fd), &size)) {
            throw FileError(m_target, "open", windowsErrorText(GetLastError()));
        }
        m_oldSize = size.QuadPart; // read under the lock: another writer's text is whole by now
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
        CloseHandle(handleOf(m_fd)); // also lets go of the lock
        m_fd = -1;
    }
}

void InPlaceFile::lock() {
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::seconds(kLockWaitSeconds);
    for (;;) {
        OVERLAPPED whole{};
        if (LockFileEx(handleOf(m_fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                       MAXDWORD, MAXDWORD, &whole)) {
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            throw FileError(m_target, "lock", windowsErrorText(error));
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
        throw FileError(m_target, "find room to hold the new text of", err);
    }
}

void InPlaceFile::commit() {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    // From here on Ctrl+C waits until the file is whole again, old or new.
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
    if (!CloseHandle(handleOf(fd))) {
        throw FileError(m_target, "close", windowsErrorText(GetLastError()));
    }
}

// Windows sets no size limit on a process's files.
void InPlaceFile::checkSizeLimit(off_t) const {}

// Room for the whole new text before the first old byte changes: the file
// grows to its new length when that is longer. (The length is put back with
// the old bytes on a failure.)
void InPlaceFile::reserve(off_t end) {
    if (end <= m_oldSize) {
        return;
    }
    if (const int err = setEnd(handleOf(m_fd), end)) {
        throw FileError(m_target, "write to", err);
    }
}

void InPlaceFile::overwrite() {
    const off_t end = m_text.size();
    int err = m_text.copyTo(m_fd, 0);
    if (err == 0) {
        err = setEnd(handleOf(m_fd), end);
    }
    if (err == 0) {
        err = flush(handleOf(m_fd));
    }
    if (err != 0) {
        restore(err);
    }
}

void InPlaceFile::restore(int err) {
    bool back = m_readable && m_oldBytes.copyTo(m_fd, 0) == 0;
    back = back && setEnd(handleOf(m_fd), m_oldSize) == 0;
    back = back && flush(handleOf(m_fd)) == 0;
    close();
    if (!back) {
        throw FileError(m_target, "write to",
                        errorText(err) + "; its old text could not be put back");
    }
    throw FileError(m_target, "write to", err);
}

} // namespace zentory::platform
