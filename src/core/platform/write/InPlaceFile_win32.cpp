#include "platform/write/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/StepFailure.h"
#include "platform/win32/ErrorCode.h"

namespace zentory::platform {

namespace {

HANDLE handleOf(int fd) {
    return LongToHandle(fd);
}

} // namespace

InPlaceFile::Lock InPlaceFile::tryLock() {
    OVERLAPPED whole{};
    if (LockFileEx(handleOf(m_fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &whole)) {
        return Lock::Taken;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
        throw FileError(m_target, "lock", windowsErrorText(error));
    }
    return Lock::HeldByWriter;
}

off_t InPlaceFile::currentSize() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handleOf(m_fd), &size)) {
        throw FileError(m_target, "open", windowsErrorText(GetLastError()));
    }
    return size.QuadPart;
}

// Windows sets no size limit on a process's files.
void InPlaceFile::checkSizeLimit(off_t) const {}

// Room for the whole new text before the first old byte changes, taken as
// disk space only: the file's visible length stays until the new bytes are
// there, so a program killed meanwhile leaves the old text, not the old text
// and zero bytes after it.
void InPlaceFile::reserve(off_t end) {
    if (end <= m_oldSize) {
        return;
    }
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize.QuadPart = end;
    if (!SetFileInformationByHandle(handleOf(m_fd), FileAllocationInfo, &room, sizeof room)) {
        const DWORD error = GetLastError();
        // A file system that keeps no room aside (a share, Wine) leaves the
        // check to the writes, whose failure puts the old text back.
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_INVALID_FUNCTION && error != ERROR_CALL_NOT_IMPLEMENTED) {
            throw FileError(m_target, "write to", errnoOf(error));
        }
    }
}

int InPlaceFile::cutTo(off_t end) noexcept {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = end;
    return SetFileInformationByHandle(handleOf(m_fd), FileEndOfFileInfo, &info, sizeof info)
               ? 0
               : errnoOf(GetLastError());
}

int InPlaceFile::flushToDisk() noexcept {
    return FlushFileBuffers(handleOf(m_fd)) ? 0 : errnoOf(GetLastError());
}

void InPlaceFile::close() noexcept {
    if (m_fd >= 0) {
        CloseHandle(handleOf(m_fd)); // also lets go of the lock; the text is decided by now
        m_fd = -1;
    }
}

void InPlaceFile::closeCommitted() {
    const int fd = m_fd;
    m_fd = -1;
    if (!CloseHandle(handleOf(fd))) {
        throw FileError(m_target, "close", windowsErrorText(GetLastError()));
    }
}

} // namespace zentory::platform
