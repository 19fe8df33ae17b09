#include "platform/SafeFile.h"

#include "platform/FileError.h"
#include "platform/InPlaceFile.h"
#include "platform/Interruption.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <random>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool onProcFileSystem(const std::string& folder) {
    struct statfs fs;
    return ::statfs(folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

struct Resolved {
    std::string path;
    bool descriptorName = false; // a name on the proc file system: an open descriptor
};

// Follows symbolic links to the path that a write would land on. A dangling
// link resolves to the missing file it names. A name on the proc file system
// (where /dev/stdout and /dev/fd/N lead) stands for an open descriptor: its
// link is never followed by hand, as it leads to no name on disk.
Resolved followLinks(const std::string& target) {
    std::string path = target;
    for (int hops = 0; hops < 40; ++hops) {
        if (onProcFileSystem(folderOf(path))) {
            return {path, true};
        }
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return {path, false};
        }
        std::string buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return {path, false};
        }
        buf.resize(static_cast<size_t>(n));
        path = (!buf.empty() && buf[0] == '/') ? buf : folderOf(path) + "/" + buf;
    }
    throw FileError(target, "open", ELOOP);
}

// This process's descriptor N when `path` (a name such as /dev/fd/N) leads to
// the same file as it, else -1.
int ownDescriptor(const std::string& path) {
    const std::string name = nameOf(path);
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != name.npos) {
        return -1;
    }
    const int fd = std::stoi(name);
    struct stat named, own;
    if (::stat(path.c_str(), &named) != 0 || ::fstat(fd, &own) != 0 || named.st_dev != own.st_dev ||
        named.st_ino != own.st_ino) {
        return -1;
    }
    return fd;
}

// Whether a file renamed over the regular file `path` could look the same to
// everyone: one name, nothing a new file would lose, and a folder that lets
// this process rename over it. Owner, group and mode are checked on the new file.
bool replaceable(const std::string& path, const struct stat& st) {
    if (st.st_nlink != 1) {
        return false;
    }
    // Access lists and other extended attributes would not pass to a new file.
    if (::listxattr(path.c_str(), nullptr, 0) > 0) {
        return false;
    }
    struct stat folder;
    if (::stat(folderOf(path).c_str(), &folder) != 0) {
        return false;
    }
    // In a sticky folder such as /tmp only the owner of the file or of the
    // folder may rename over the file.
    const uid_t me = ::geteuid();
    return (folder.st_mode & S_ISVTX) == 0 || me == 0 || me == st.st_uid || me == folder.st_uid;
}

// A short name of fixed length: it fits wherever the target's name fits.
std::string temporaryName() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".zentory-xxxxxxxx.tmp";
    for (size_t i = 9; i < 17; ++i) {
        name[i] = digits[rng() % (sizeof digits - 1)];
    }
    return name;
}

} // namespace

SafeFile::SafeFile(std::string target, bool durable)
    : m_target(std::move(target)), m_durable(durable) {
    throwIfInterrupted();
    if (m_target.empty()) {
        throw FileError(m_target, "open", ENOENT);
    }
    const Resolved resolved = followLinks(m_target);
    m_finalPath = resolved.path;
    if (resolved.descriptorName) {
        openWrittenThrough(m_finalPath, true);
        return;
    }
    const std::string folder = folderOf(m_finalPath);
    struct stat st;
    if (::stat(m_finalPath.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            throw FileError(m_target, "open", errno);
        }
        openReplacement(folder, 0666, nullptr);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        throw FileError(m_target, "open", EISDIR);
    }
    if (!S_ISREG(st.st_mode)) {
        openWrittenThrough(m_finalPath, false);
        return;
    }
    if (::faccessat(AT_FDCWD, m_finalPath.c_str(), W_OK, AT_EACCESS) != 0) {
        throw FileError(m_target, "open", errno);
    }
    if (replaceable(m_finalPath, st) && openReplacement(folder, st.st_mode & 07777, &st)) {
        return;
    }
    openInPlace(folder);
}

void SafeFile::openInPlace(const std::string& folder) {
    bool readable = true;
    int fd = ::open(m_finalPath.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == EACCES) {
        readable = false; // written, but its old bytes cannot be kept
        fd = ::open(m_finalPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0) {
        throw FileError(m_target, "open", errno);
    }
    m_inPlace = std::make_unique<InPlaceFile>(fd, m_target, folder, readable);
}

void SafeFile::openWrittenThrough(const std::string& path, bool descriptorName) {
    if (descriptorName) {
        if (const int own = ownDescriptor(path); own >= 0) {
            m_fd = ::fcntl(own, F_DUPFD_CLOEXEC, 0);
            if (m_fd < 0) {
                throw FileError(m_target, "open", errno);
            }
            return;
        }
    }
    // O_NONBLOCK: a FIFO without a reader fails at once instead of hanging.
    // No O_TRUNC; another process's open file is added to, never cut.
    int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    m_fd = ::open(path.c_str(), descriptorName ? flags | O_APPEND : flags);
    if (m_fd < 0) {
        throw FileError(m_target, "open", errno);
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
}

// Creates the temporary file in `folder`. With `old`, the file it is to
// replace, gives it that file's owner, group and exact mode and returns false
// (leaving nothing behind) where that cannot be done; without, throws.
bool SafeFile::openReplacement(const std::string& folder, mode_t mode, const struct stat* old) {
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tempPath = folder + "/" + temporaryName();
        m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        err = m_fd < 0 ? errno : 0;
        if (m_fd < 0 && err != EEXIST) {
            break;
        }
    }
    if (m_fd < 0) {
        m_tempPath.clear();
        if (old != nullptr) {
            return false;
        }
        throw FileError(folder, "create a file in", err);
    }
    if (old == nullptr) {
        return true;
    }
    // The umask applied at creation; the owner and group may not be ours to give.
    struct stat made;
    if (::fstat(m_fd, &made) == 0 && (made.st_uid != old->st_uid || made.st_gid != old->st_gid)) {
        (void)::fchown(m_fd, old->st_uid, old->st_gid);
    }
    (void)::fchmod(m_fd, mode);
    if (::fstat(m_fd, &made) == 0 && made.st_uid == old->st_uid && made.st_gid == old->st_gid &&
        (made.st_mode & 07777) == mode) {
        return true;
    }
    discard();
    return false;
}

SafeFile::~SafeFile() {
    discard();
}

void SafeFile::discard() noexcept {
    m_inPlace.reset(); // puts the old bytes back
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

void SafeFile::write(std::string_view bytes) {
    if (caughtInterruption() != 0) {
        discard();
        throwIfInterrupted();
    }
    if (m_inPlace) {
        m_inPlace->write(bytes);
        return;
    }
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    while (!bytes.empty()) {
        ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR && caughtInterruption() == 0) {
                continue;
            }
            if (errno == EINTR) {
                discard();
                throwIfInterrupted();
            }
            int err = errno;
            discard();
            throw FileError(m_target, "write to", err);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void SafeFile::commit() {
    if (m_inPlace) {
        m_inPlace->commit();
        m_inPlace.reset();
        return;
    }
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    if (m_durable && !m_tempPath.empty() && ::fdatasync(m_fd) != 0) {
        int err = errno;
        discard();
        throw FileError(m_target, "write to", err);
    }
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        int err = errno;
        discard();
        throw FileError(m_target, "close", err);
    }
    if (m_tempPath.empty()) {
        return;
    }
    if (caughtInterruption() != 0) {
        discard();
        throwIfInterrupted();
    }
    if (::rename(m_tempPath.c_str(), m_finalPath.c_str()) != 0) {
        int err = errno;
        discard();
        throw FileError(m_target, "replace", err);
    }
    m_tempPath.clear();
    if (m_durable) {
        int dir = ::open(folderOf(m_finalPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            (void)::fsync(dir);
            ::close(dir);
        }
    }
}

} // namespace zentory::platform
