#include "platform/write/posix/FileTarget.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

bool onProcFileSystem(const std::string& folder) {
    struct statfs fs;
    return ::statfs(folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// The name on the proc file system that `target` leads to, if it leads there.
// The links are read only to tell what kind of name this is; the file is
// always opened by the name the person gave.
std::string procNameOf(const std::string& target) {
    std::string path = target;
    for (int hops = 0; hops < 40; ++hops) {
        if (onProcFileSystem(folderOf(path))) {
            return path;
        }
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return {};
        }
        std::string buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return {};
        }
        buf.resize(static_cast<size_t>(n));
        path = (!buf.empty() && buf[0] == '/') ? buf : folderOf(path) + "/" + buf;
    }
    return {};
}

std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// The kernel's path of the file open at `fd`; "" when it has none.
std::string kernelPath(int fd) {
    std::string buf(4097, '\0');
    const ssize_t n = ::readlink(descriptorPath(fd).c_str(), buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size() || buf[0] != '/') {
        return {};
    }
    buf.resize(static_cast<size_t>(n));
    return buf;
}

// Opens the folder `path` without following any link on the way, or -1.
int openFolderFollowingNoLink(const std::string& path) {
    struct open_how how {};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how));
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

DescriptorName descriptorName(const std::string& target) {
    const std::string proc = procNameOf(target);
    if (proc.empty()) {
        return {};
    }
    const std::string name = nameOf(proc);
    const bool number = !name.empty() && name.size() <= 9 &&
                        name.find_first_not_of("0123456789") == std::string::npos;
    // The kernel's own look-up, with its protections, must agree.
    const int looked = ::open(target.c_str(), O_PATH | O_CLOEXEC);
    struct stat found, own;
    const bool same = number && looked >= 0 && ::fstat(looked, &found) == 0 &&
                      ::fstat(std::stoi(name), &own) == 0 && found.st_dev == own.st_dev &&
                      found.st_ino == own.st_ino;
    if (looked >= 0) {
        ::close(looked);
    }
    if (same) {
        return {DescriptorName::Own, std::stoi(name)};
    }
    return {DescriptorName::Other, -1};
}

std::string foreignLinkInSharedFolder(const std::string& target) {
    const uid_t me = ::geteuid();
    // The path walked so far, free of links ("" for the root).
    std::string walked = target.starts_with('/') ? "" : ".";
    std::deque<std::string> rest;
    const auto push = [&rest](const std::string& path) {
        std::deque<std::string> parts;
        for (size_t from = 0; from <= path.size();) {
            const size_t to = std::min(path.find('/', from), path.size());
            if (to > from) {
                parts.push_back(path.substr(from, to - from));
            }
            from = to + 1;
        }
        rest.insert(rest.begin(), parts.begin(), parts.end());
    };
    push(target);
    for (int hops = 0; !rest.empty();) {
        const std::string part = rest.front();
        rest.pop_front();
        if (part == ".") {
            continue;
        }
        const std::string path = walked + "/" + part;
        struct stat link, folder;
        if (::lstat(path.c_str(), &link) != 0) {
            return {}; // the kernel tells what is missing
        }
        if (!S_ISLNK(link.st_mode)) {
            walked = path;
            continue;
        }
        if (++hops > 40 || ::stat(walked.empty() ? "/" : walked.c_str(), &folder) != 0) {
            return {};
        }
        const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
        if (shared && link.st_uid != me && link.st_uid != folder.st_uid) {
            return path;
        }
        std::string to(static_cast<size_t>(link.st_size > 0 ? link.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
        if (n <= 0) {
            return {};
        }
        to.resize(static_cast<size_t>(n));
        if (to.starts_with('/')) {
            walked.clear();
        }
        push(to);
    }
    return {};
}

bool hasExtendedAttributes(int fd) {
    return ::flistxattr(fd, nullptr, 0) > 0;
}

unsigned fileFlags(int fd) {
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        return 0; // a file system without such flags
    }
    return static_cast<unsigned>(flags) & FS_FL_USER_VISIBLE;
}

FileFolder folderHolding(const std::string& target, int fd) {
    struct stat link;
    if (::lstat(target.c_str(), &link) != 0) {
        return {};
    }
    if (!S_ISLNK(link.st_mode)) {
        const int folder = ::open(folderOf(target).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        return folder < 0 ? FileFolder{} : FileFolder{folder, nameOf(target)};
    }
    const uid_t me = ::geteuid();
    const std::string path = kernelPath(fd);
    if (link.st_uid != me || path.empty()) {
        return {};
    }
    const int folder = openFolderFollowingNoLink(folderOf(path));
    struct stat st;
    if (folder >= 0 && (::fstat(folder, &st) != 0 || st.st_uid != me)) {
        ::close(folder);
        return {};
    }
    return folder < 0 ? FileFolder{} : FileFolder{folder, nameOf(path)};
}

int reopenForReading(const std::string& target, int fd) {
    const int again = ::open(descriptorPath(fd).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (again >= 0 || errno != ENOENT) {
        return again;
    }
    // No proc file system: the name once more, taken only if it is still the same file.
    const int named = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    struct stat a, b;
    if (named >= 0 && (::fstat(named, &a) != 0 || ::fstat(fd, &b) != 0 || a.st_dev != b.st_dev ||
                       a.st_ino != b.st_ino)) {
        ::close(named);
        return -1;
    }
    return named;
}

NewFile createIn(int folder, mode_t mode) {
    NewFile made;
    // An unnamed file is named through the proc file system, so it needs one.
    if (::access("/proc/self/fd", X_OK) == 0) {
        made.fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (made.fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR)) {
            made.error = made.fd < 0 ? errno : 0;
            return made;
        }
    }
    // No unnamed files here: a short name that nobody else has.
    for (int attempt = 0; attempt < 100; ++attempt) {
        made.name = temporaryName();
        made.fd =
            ::openat(folder, made.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (made.fd >= 0 || errno != EEXIST) {
            break;
        }
    }
    if (made.fd < 0) {
        made.error = errno;
        made.name.clear();
    }
    return made;
}

int linkUnnamed(int fd, int folder, const std::string& name) {
    const std::string from = descriptorPath(fd);
    return ::linkat(AT_FDCWD, from.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                          : errno;
}

std::string linkUnnamedAside(int fd, int folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryName();
        const int err = linkUnnamed(fd, folder, name);
        if (err == 0) {
            return name;
        }
        if (err != EEXIST) {
            errno = err;
            return {};
        }
    }
    errno = EEXIST;
    return {};
}

int syncFolder(int folder) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES
                   ? 0
                   : errno; // a folder the writer may not read: its entry stays unsynced
    }
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

} // namespace zentory::platform
