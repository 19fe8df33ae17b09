#include "platform/write/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/StepFailure.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"

namespace zentory::platform {

InPlaceFile::Lock InPlaceFile::tryLock() {
    OVERLAPPED whole{};
    if (LockFileEx(handleOf(m_file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                   MAXDWORD, MAXDWORD, &whole)) {
        return Lock::Taken;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
        throw FileError(m_target, "lock", windowsErrorText(error));
    }
    return Lock::HeldByWriter;
}

std::int64_t InPlaceFile::currentSize() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handleOf(m_file), &size)) {
        throw FileError(m_target, "open", windowsErrorText(GetLastError()));
    }
    return size.QuadPart;
}

// Windows sets no size limit on a process's files.
void InPlaceFile::checkSizeLimit(std::int64_t) const {}

// Room for the whole new text before the first old byte changes, taken as
// disk space only: the file's visible length stays until the new bytes are
// there, so a program killed meanwhile leaves the old text, not the old text
// and zero bytes after it.
void InPlaceFile::reserve(std::int64_t end) {
    if (end <= m_oldSize) {
        return;
    }
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize.QuadPart = end;
    if (!SetFileInformationByHandle(handleOf(m_file), FileAllocationInfo, &room, sizeof room)) {
        const DWORD error = GetLastError();
        // A file system that keeps no room aside (a share, Wine) leaves the
        // check to the writes, whose failure puts the old text back.
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_INVALID_FUNCTION && error != ERROR_CALL_NOT_IMPLEMENTED) {
            throw FileError(m_target, "write to", errnoOf(error));
        }
    }
}

int InPlaceFile::cutTo(std::int64_t end) noexcept {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = end;
    return SetFileInformationByHandle(handleOf(m_file), FileEndOfFileInfo, &info, sizeof info)
               ? 0
               : errnoOf(GetLastError());
}

int InPlaceFile::flushToDisk() noexcept {
    return FlushFileBuffers(handleOf(m_file)) ? 0 : errnoOf(GetLastError());
}

void InPlaceFile::close() noexcept {
    if (m_file.valid()) {
        CloseHandle(handleOf(m_file)); // also lets go of the lock; the text is decided by now
        m_file = FileHandle();
    }
}

void InPlaceFile::closeCommitted() {
    const FileHandle file = m_file;
    m_file = FileHandle();
    if (!CloseHandle(handleOf(file))) {
        throw FileError(m_target, "close", windowsErrorText(GetLastError()));
    }
}

} // namespace zentory::platform
