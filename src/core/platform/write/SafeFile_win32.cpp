#include "platform/write/SafeFile.h"

#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/StepFailure.h"
#include "platform/win32/Console.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf16.h"
#include "platform/write/InPlaceFile.h"
#include "platform/write/Interruption.h"

#include <cerrno>
#include <memory>

namespace zentory::platform {

namespace {

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

// The Windows error a test's armed errno stands for.
DWORD windowsErrorOf(int err) {
    switch (err) {
    case EACCES:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case ENOENT:
        return ERROR_PATH_NOT_FOUND;
    default:
        return ERROR_GEN_FAILURE;
    }
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Whether the last part of `path` is one of the devices the system finds in
// every folder: AUX, PRN, COM1-COM9 and LPT1-LPT9 (also with the superscript
// digits), in any case, with any extension, trailing spaces and dots. A save
// there would send the list to a port and leave no file. CON and NUL are
// written through, as a person naming them means the console or nothing;
// "\\.\" and "\\?\" paths and shares name what they say.
bool isReservedDevice(const std::string& path) {
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        return false;
    }
    std::string name = nameOf(path);
    if (name.size() >= 2 && name[1] == ':') {
        name.erase(0, 2); // C:aux.txt
    }
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    for (char& c : name) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (name == "aux" || name == "prn") {
        return true;
    }
    const std::string stem = name.substr(0, 3);
    if (stem != "com" && stem != "lpt") {
        return false;
    }
    const std::string digit = name.substr(3);
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xc2\xb9" ||
           digit == "\xc2\xb2" || digit == "\xc2\xb3";
}

// A name in `folder` that nothing has, short so that it fits wherever the
// target's own name fits.
std::string shortNameIn(const std::string& folder, const char* ending) {
    static volatile LONG counter = 0;
    char name[48];
    snprintf(name, sizeof name, "\\~zt%lx-%lx%s", GetCurrentProcessId(),
             static_cast<unsigned long>(InterlockedIncrement(&counter)), ending);
    return folder + name;
}

// Asks the system to delete the file when its handle closes (`on`), or no
// longer. The replacement is marked so from its making to the commit, so that
// a program killed meanwhile leaves nothing behind.
bool setDeleteOnClose(HANDLE h, bool on) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = on ? TRUE : FALSE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
}

// MoveFileExW, which a test may make fail. Returns 0 or the Windows error.
DWORD moveFile(const std::wstring& from, const std::wstring& to) {
    if (const int err = failingStep(Step::Rename)) {
        return windowsErrorOf(err);
    }
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
}

// ReplaceFileW with a backup name. A test may make it fail with a chosen
// code; the files are then left as the system leaves them on that failure.
DWORD replaceFile(const std::wstring& target, const std::wstring& replacement,
                  const std::wstring& backup) {
    if (const int error = failingStep(Step::Replace)) {
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
            error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            MoveFileExW(target.c_str(), backup.c_str(), 0); // the old file moved aside
        }
        return static_cast<DWORD>(error);
    }
    // The old file's attributes, access list and streams stay with the name.
    return ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(),
                        REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               ? 0
               : GetLastError();
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The old file goes by way of a backup name, deleted once the new one is in
// place, so that a replacement the system stops halfway (the old file moved
// aside, the new one not moved in: ERROR_UNABLE_TO_MOVE_REPLACEMENT and _2)
// is finished or undone here, and never ends with the new text deleted as the
// only copy. `shown` is the target as the caller named it, `name` its prefixed path;
// `tempName` is cleared when the replacement must stay.
void replaceTarget(const std::string& shown, const std::string& name, std::string& tempName) {
    const std::wstring temp = prefixedPath(widen(tempName));
    const std::wstring target = widen(name);
    const std::wstring backup = prefixedPath(widen(shortNameIn(folderOf(name), ".bak")));
    const DWORD error = replaceFile(target, temp, backup);
    if (error == 0) {
        tempName.clear();
        DeleteFileW(backup.c_str()); // one left behind is the old text, no harm
        return;
    }
    if ((error != ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
         error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) ||
        exists(target) || !exists(backup)) {
        fail(shown, "replace", error); // the old file is where it was
    }
    // The new text is whole beside the name: it takes it.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT && moveFile(temp, target) == 0) {
        tempName.clear();
        DeleteFileW(backup.c_str());
        return;
    }
    if (moveFile(backup, target) == 0) {
        throw FileError(shown, "replace",
                        windowsErrorText(error) + "; the file was left as it was");
    }
    // Neither could take the name: both stay, and the message says where.
    tempName.clear();
    throw FileError(shown, "replace",
                    windowsErrorText(error) + "; its old text is in '" + plainPath(narrow(backup)) +
                        "' and the new text in '" + plainPath(narrow(temp)) + "'");
}

} // namespace

struct SafeFile::State {
    State(std::string target, bool durable);
    ~State() { discard(); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void openMissing();
    void openExisting();
    void openWrittenThrough();
    bool openReplacement();
    void write(std::string_view bytes);
    void writeAll(std::string_view bytes);
    void commit();
    void putInPlace();
    void discard() noexcept;

    // How the text reaches the target.
    enum class Way {
        WrittenThrough, // the name itself (CON, NUL, a pipe)
        Replacement,    // a file beside it, which takes the name
        DeletedOnClose  // the same, which the system deletes when its handle closes
    };

    std::string m_target; // as the caller named it, for messages
    std::unique_ptr<InPlaceFile> m_inPlace;
    Handle m_file; // the replacement, or the name written through
    Way m_way = Way::WrittenThrough;
    std::string m_name;      // the target's prefixed absolute path
    std::string m_tempName;  // the replacement's, beside it
    bool m_replaces = false; // a file is at m_name, to be replaced
    bool m_durable = false;
};

SafeFile::SafeFile(std::string target, bool durable)
    : m_target(std::move(target)), m_state(std::make_unique<State>(m_target, durable)) {}

SafeFile::~SafeFile() = default;

void SafeFile::writeNow(std::string_view bytes) {
    m_state->write(bytes);
}

void SafeFile::discard() noexcept {
    m_state->discard();
}

void SafeFile::commit() {
    m_state->commit();
}

SafeFile::State::State(std::string target, bool durable)
    : m_target(std::move(target)), m_durable(durable) {
    throwIfInterrupted();
    if (m_target.empty()) {
        throw FileError(m_target, "open", ENOENT);
    }
    if (isReservedDevice(m_target)) {
        throw FileError(m_target, "open", "the name is reserved for a device");
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
        if (GetFileType(probe.get()) != FILE_TYPE_DISK) {
            probe.close();
            openWrittenThrough();
            return;
        }
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(probe.get(), &info)) {
            fail(m_target, "open", GetLastError());
        }
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throw FileError(m_target, "open", EISDIR); // as Linux words it
        }
        probe.close();
        openExisting();
    } catch (...) {
        discard();
        throw;
    }
}

// The new text goes to a file beside the target, which takes its name once
// it is whole.
void SafeFile::State::openMissing() {
    const std::string name = nameOf(m_target);
    if (name.empty() || name == "." || name == "..") {
        throw FileError(m_target, "open", EISDIR);
    }
    if (!openReplacement()) {
        fail(folderOf(m_target), "create a file in", GetLastError());
    }
}

// Makes the replacement beside the target. False with the system's error
// (GetLastError) when the folder refuses it.
bool SafeFile::State::openReplacement() {
    const std::string folder = folderOf(m_name);
    for (int attempt = 0;; ++attempt) {
        m_tempName = shortNameIn(folder, ".tmp");
        HANDLE h = INVALID_HANDLE_VALUE;
        if (const int err = failingStep(Step::Create)) {
            SetLastError(windowsErrorOf(err));
        } else {
            h = CreateFileW(prefixedPath(widen(m_tempName)).c_str(), GENERIC_WRITE | DELETE,
                            FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (h != INVALID_HANDLE_VALUE) {
            m_file = Handle(h);
            // Where the file system cannot do this, only a kill leaves the file.
            m_way = setDeleteOnClose(h, true) ? Way::DeletedOnClose : Way::Replacement;
            return true;
        }
        const DWORD error = GetLastError();
        m_tempName.clear();
        if (error != ERROR_FILE_EXISTS || attempt > 100) {
            SetLastError(error);
            return false;
        }
    }
}

void SafeFile::State::openExisting() {
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
    m_replaces = true;
    // A replacement would part the file from its other names; and a folder
    // that refuses new files may still let this one be written.
    if (info.nNumberOfLinks == 1) {
        if (openReplacement()) {
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED) {
            fail(folderOf(m_target), "create a file in", error);
        }
    }
    m_replaces = false;
    m_inPlace = std::make_unique<InPlaceFile>(fileHandleOf(file.release()), m_target,
                                              folderOf(m_name), true);
}

// CON, NUL, a pipe: written as they are, never replaced.
void SafeFile::State::openWrittenThrough() {
    HANDLE h = CreateFileW(widen(m_name).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail(m_target, "open", GetLastError());
    }
    m_file = Handle(h);
    m_way = Way::WrittenThrough;
}

void SafeFile::State::write(std::string_view bytes) {
    if (m_inPlace) {
        m_inPlace->write(bytes);
    } else {
        writeAll(bytes);
    }
}

void SafeFile::State::writeAll(std::string_view bytes) {
    if (!m_file.valid()) {
        throw FileError(m_target, "write to", EBADF);
    }
    if (const int err = failingStep(Step::Write)) {
        throw FileError(m_target, "write to", err);
    }
    std::string pending; // a console takes whole characters; a list ends with a whole line
    if (const DWORD error = writeAllTo(m_file.get(), bytes, pending)) {
        fail(m_target, "write to", error);
    }
}

void SafeFile::State::commit() {
    try {
        if (m_inPlace) {
            m_inPlace->commit();
            m_inPlace.reset();
            return;
        }
        if (!m_file.valid()) {
            throw FileError(m_target, "write to", EBADF);
        }
        if (m_way == Way::WrittenThrough) {
            const HANDLE h = m_file.release();
            if (!CloseHandle(h)) {
                fail(m_target, "close", GetLastError());
            }
            return;
        }
        if (m_durable) {
            if (const int err = failingStep(Step::Flush)) {
                throw FileError(m_target, "write to", err);
            }
            if (!FlushFileBuffers(m_file.get())) {
                fail(m_target, "write to", GetLastError());
            }
        }
        throwIfInterrupted();
        putInPlace();
    } catch (...) {
        discard();
        throw;
    }
    discard();
}

void SafeFile::State::putInPlace() {
    // From here on the replacement outlives its handle.
    if (m_way == Way::DeletedOnClose && !setDeleteOnClose(m_file.get(), false)) {
        fail(m_target, "write to", GetLastError());
    }
    const HANDLE h = m_file.release();
    if (!CloseHandle(h)) {
        fail(m_target, "write to", GetLastError());
    }
    const std::wstring temp = prefixedPath(widen(m_tempName));
    const std::wstring target = widen(m_name);
    if (!m_replaces) {
        const DWORD error = moveFile(temp, target);
        if (error == 0) {
            m_tempName.clear();
            return;
        }
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            fail(m_target, "create", error);
        }
        // Someone made the file meanwhile: it is replaced as any other.
    }
    replaceTarget(m_target, m_name, m_tempName);
}

void SafeFile::State::discard() noexcept {
    m_inPlace.reset();
    m_file.close(); // a replacement marked to go goes now
    if (!m_tempName.empty()) {
        DeleteFileW(prefixedPath(widen(m_tempName)).c_str());
        m_tempName.clear();
    }
}

} // namespace zentory::platform
