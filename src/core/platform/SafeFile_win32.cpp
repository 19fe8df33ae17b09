#include "platform/SafeFile.h"

#include "platform/FileError.h"
#include "platform/InPlaceFile.h"
#include "platform/Interruption.h"
#include "platform/Paths.h"
#include "platform/WideText_win32.h"

#include <cerrno>

namespace zentory::platform {

// On Windows m_fd holds a handle (HandleToLong), m_folder is 0 for a
// replacement and -1 for a name written through, m_name is the target's
// absolute path and m_tempName the replacement's, beside it.
namespace {

HANDLE handleOf(int fd) {
    return LongToHandle(fd);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The one message for a file that another program (a viewer, a spreadsheet)
// holds open without letting others write.
[[noreturn]] void fail(const std::string& path, const char* operation, DWORD error) {
    // ReplaceFileW says UNABLE_TO_REMOVE_REPLACED for a file another program
    // keeps open without letting it go; the file is then as it was.
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
        error == ERROR_UNABLE_TO_REMOVE_REPLACED) {
        throw FileError(path, operation, "another program has the file open");
    }
    throw FileError(path, operation, windowsErrorText(error));
}

} // namespace

SafeFile::SafeFile(std::string target, bool durable)
    : m_target(std::move(target)), m_durable(durable) {
    throwIfInterrupted();
    if (m_target.empty()) {
        throw FileError(m_target, "open", ENOENT);
    }
    try {
        const std::wstring full = longPath(m_target);
        m_name = narrow(full);
        // Asks what the name is without taking any access a reader could mind.
        Handle probe(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!probe.valid()) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND) {
                fail(m_target, "open", error);
            }
            openMissing();
            return;
        }
        const DWORD type = GetFileType(probe.get());
        probe.close();
        if (type != FILE_TYPE_DISK) {
            openWrittenThrough(-1);
            return;
        }
        openExisting();
    } catch (...) {
        discard();
        throw;
    }
}

// The new text goes to a file beside the target, which takes its name once
// it is whole.
void SafeFile::openMissing() {
    const std::string name = nameOf(m_target);
    if (name.empty() || name == "." || name == "..") {
        throw FileError(m_target, "open", EISDIR);
    }
    const std::string folder = folderOf(m_name);
    static volatile LONG counter = 0;
    for (int attempt = 0;; ++attempt) {
        m_tempName = folder + "\\~" + nameOf(m_name) + "." + std::to_string(GetCurrentProcessId()) +
                     "-" + std::to_string(InterlockedIncrement(&counter)) + ".tmp";
        HANDLE h = CreateFileW(prefixedPath(widen(m_tempName)).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            m_fd = HandleToLong(h);
            m_folder = 0;
            return;
        }
        const DWORD error = GetLastError();
        m_tempName.clear();
        if (error != ERROR_FILE_EXISTS || attempt > 100) {
            fail(folderOf(m_target), "create a file in", error);
        }
    }
}

void SafeFile::openExisting() {
    // Opened for writing as a shell's ">" would open it (a read-only file or
    // one another program holds refuses here, before anything is written).
    Handle file(CreateFileW(widen(m_name).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        fail(m_target, "open", GetLastError());
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) {
        fail(m_target, "open", GetLastError());
    }
    // The system refuses to write a read-only file; so does this, also where
    // the open above let an administrator through.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        fail(m_target, "open", ERROR_ACCESS_DENIED);
    }
    if (info.nNumberOfLinks > 1) {
        // A replacement would part the file from its other names.
        m_inPlace = std::make_unique<InPlaceFile>(HandleToLong(file.release()), m_target,
                                                  folderOf(m_name), true);
        return;
    }
    file.close();
    m_replaces = true;
    openMissing();
}

// CON, NUL, a pipe: written as they are, never replaced.
void SafeFile::openWrittenThrough(int) {
    HANDLE h = CreateFileW(widen(m_name).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail(m_target, "open", GetLastError());
    }
    m_fd = HandleToLong(h);
    m_folder = -1;
}

void SafeFile::writeAll(std::string_view bytes) {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    std::string pending; // a console takes whole characters; a list ends with a whole line
    if (const DWORD error = writeAllTo(handleOf(m_fd), bytes, pending)) {
        fail(m_target, "write to", error);
    }
}

void SafeFile::commit() {
    try {
        if (m_inPlace) {
            m_inPlace->commit();
            m_inPlace.reset();
            return;
        }
        if (m_fd < 0) {
            throw FileError(m_target, "write to", EBADF);
        }
        if (m_folder < 0) { // written through
            const HANDLE h = handleOf(m_fd);
            m_fd = -1;
            if (!CloseHandle(h)) {
                fail(m_target, "close", GetLastError());
            }
            return;
        }
        if (m_durable && !FlushFileBuffers(handleOf(m_fd))) {
            fail(m_target, "write to", GetLastError());
        }
        throwIfInterrupted();
        putInPlace();
    } catch (...) {
        discard();
        throw;
    }
    discard();
}

void SafeFile::putInPlace() {
    const HANDLE h = handleOf(m_fd);
    m_fd = -1;
    if (!CloseHandle(h)) {
        fail(m_target, "write to", GetLastError());
    }
    const std::wstring temp = prefixedPath(widen(m_tempName));
    const std::wstring target = widen(m_name);
    if (!m_replaces) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            m_tempName.clear();
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            fail(m_target, "create", error);
        }
        // Someone made the file meanwhile: it is replaced as any other.
    }
    // The old file's attributes, access list and streams stay with the name.
    if (!ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                      nullptr, nullptr)) {
        fail(m_target, "replace", GetLastError());
    }
    m_tempName.clear();
}

void SafeFile::discard() noexcept {
    m_inPlace.reset();
    if (m_fd >= 0) {
        CloseHandle(handleOf(m_fd));
        m_fd = -1;
    }
    if (!m_tempName.empty()) {
        DeleteFileW(prefixedPath(widen(m_tempName)).c_str());
        m_tempName.clear();
    }
}

} // namespace zentory::platform
