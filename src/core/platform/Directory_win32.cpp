#include "platform/Directory.h"

#include "platform/FileError.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf16.h"

#include <cerrno>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

namespace zentory::platform {

namespace {

int64_t unixSeconds(FILETIME t) {
    const auto ticks = (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    constexpr int64_t kTicksPerSecond = 10'000'000;
    constexpr int64_t kFrom1601To1970 = 11'644'473'600;
    const int64_t seconds = ticks / kTicksPerSecond;
    return seconds - kFrom1601To1970;
}

// Opens the folder at `path` as `folder`, or else clears `path` and returns
// the errno value: the handle keeps it from going away while it is read. Its
// identity comes with the check that it is a folder. Only the attributes are
// asked for, so a folder that may be listed but not changed opens.
int openFolder(std::string& path, FileHandle& folder, FolderIdentity& identity) {
    HANDLE h = CreateFileW(longPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const int err = errnoOf(GetLastError());
        path.clear();
        return err;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) {
        const int err = errnoOf(GetLastError());
        CloseHandle(h);
        path.clear();
        return err;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        CloseHandle(h);
        path.clear();
        return ENOTDIR;
    }
    // A junction or a directory link and the folder it leads to share these,
    // so a loop of them is entered once.
    identity.device = info.dwVolumeSerialNumber;
    identity.inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    folder = fileHandleOf(h);
    return 0;
}

} // namespace

// Size and time by name, of each entry of the last read that is neither a
// folder nor a link or other reparse point (whose listed size and time are
// its own, not those of what it leads to).
struct Directory::Sizes {
    std::unordered_map<std::string, std::pair<int64_t, int64_t>> byName;
};

Directory::Directory() = default;

Directory::~Directory() {
    close();
}

Directory::Directory(Directory&& other) noexcept
    : m_handle(std::exchange(other.m_handle, FileHandle())), m_path(std::move(other.m_path)),
      m_identity(other.m_identity), m_sizes(std::move(other.m_sizes)) {}

Directory& Directory::operator=(Directory&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, FileHandle());
        m_path = std::move(other.m_path);
        m_identity = other.m_identity;
        m_sizes = std::move(other.m_sizes);
    }
    return *this;
}

void Directory::close() noexcept {
    if (m_handle.valid()) {
        CloseHandle(handleOf(m_handle));
    }
    m_handle = FileHandle();
    m_path.clear();
    m_sizes.reset();
}

int Directory::open(const std::string& path) {
    close();
    // Only the folder a person named goes through the system's path rules;
    // the names below it are added to the prefixed form as they are, so that
    // one ending in a space or a dot is not trimmed into another name.
    m_path = narrow(longPath(path));
    return openFolder(m_path, m_handle, m_identity);
}

int Directory::openIn(const Directory& parent, const char* relative) {
    close();
    if (!parent.isOpen()) {
        return EBADF;
    }
    m_path = parent.m_path;
    if (m_path.empty() || (m_path.back() != '\\' && m_path.back() != '/')) {
        m_path += '\\';
    }
    for (const char* c = relative; *c != '\0'; ++c) {
        m_path += *c == '/' ? '\\' : *c;
    }
    return openFolder(m_path, m_handle, m_identity);
}

int Directory::identity(FolderIdentity& out) const {
    if (!isOpen()) {
        return EBADF;
    }
    out = m_identity;
    return 0;
}

int Directory::read(Visitor& visitor) {
    if (!isOpen()) {
        return EBADF;
    }
    std::wstring pattern = longPath(m_path);
    if (!pattern.empty() && pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';
    // FindExInfoBasic leaves out the short names; the large fetch reads many
    // entries per call. The entries' attributes come with them: nothing is
    // opened, so a cloud placeholder is listed without being fetched.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : errnoOf(error);
    }
    if (visitor.wantsSizes()) {
        m_sizes = std::make_unique<Sizes>();
    }
    std::string name;
    do {
        name = narrow(data.cFileName);
        constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (m_sizes && (data.dwFileAttributes & kNotPlain) == 0) {
            const auto size = static_cast<int64_t>(
                (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
            m_sizes->byName.emplace(name, std::make_pair(size, unixSeconds(data.ftLastWriteTime)));
        }
        // The folder's identity is told when it is opened.
        if (!visitor.entry(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           EntryIdentity())) {
            FindClose(find);
            return ECANCELED;
        }
    } while (FindNextFileW(find, &data));
    const DWORD error = GetLastError();
    FindClose(find);
    return error == ERROR_NO_MORE_FILES ? 0 : errnoOf(error);
}

int Directory::statEntry(const char* name, int64_t& size, int64_t& modified) const {
    if (!isOpen()) {
        return EBADF;
    }
    if (m_sizes) {
        if (const auto it = m_sizes->byName.find(name); it != m_sizes->byName.end()) {
            size = it->second.first;
            modified = it->second.second;
            return 0;
        }
    }
    std::string path = m_path;
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    path += name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(longPath(path).c_str(), GetFileExInfoStandard, &data)) {
        return errnoOf(GetLastError());
    }
    size =
        static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    modified = unixSeconds(data.ftLastWriteTime);
    return 0;
}

size_t openFileLimit() {
    // Handles have no per-process limit worth the name; this keeps the walk's
    // open folders as on a generous POSIX system.
    return 4096;
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(longPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string workingDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    while (n > 0) {
        std::wstring buf(n, L'\0');
        const DWORD got = GetCurrentDirectoryW(n, buf.data());
        if (got == 0) {
            break;
        }
        if (got < n) {
            buf.resize(got);
            // The folder as a person writes it, not the prefixed form.
            return plainPath(narrow(buf));
        }
        n = got;
    }
    throw FileError(".", "name the working folder", errnoOf(GetLastError()));
}

} // namespace zentory::platform
