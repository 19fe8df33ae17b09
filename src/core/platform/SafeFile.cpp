#include "platform/SafeFile.h"

#include "platform/FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
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

// Follows symbolic links to the path that a write would land on. A dangling
// link resolves to the missing file it names.
std::string followLinks(const std::string& target) {
    std::string path = target;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return path;
        }
        buf.resize(static_cast<size_t>(n));
        path = (!buf.empty() && buf[0] == '/') ? buf : folderOf(path) + "/" + buf;
    }
    throw FileError(target, "open", ELOOP);
}

std::string randomSuffix() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s(8, 'x');
    for (auto& c : s) {
        c = digits[rng() % (sizeof digits - 1)];
    }
    return s;
}

} // namespace

SafeFile::SafeFile(std::string target, bool durable)
    : m_target(std::move(target)), m_durable(durable) {
    m_finalPath = followLinks(m_target);
    struct stat st;
    bool exists = ::stat(m_finalPath.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        // O_NONBLOCK: a FIFO without a reader fails at once instead of hanging.
        m_fd = ::open(m_finalPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0) {
            throw FileError(m_target, "open", errno);
        }
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        return;
    }
    if (exists && ::faccessat(AT_FDCWD, m_finalPath.c_str(), W_OK, AT_EACCESS) != 0) {
        throw FileError(m_target, "open", errno);
    }
    const std::string folder = folderOf(m_finalPath);
    const std::string name = m_finalPath.substr(m_finalPath.rfind('/') + 1);
    mode_t mode = exists ? (st.st_mode & 07777) : 0666;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tempPath = folder + "/." + name + "." + randomSuffix() + ".tmp";
        m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (m_fd < 0 && errno != EEXIST) {
            int err = errno;
            m_tempPath.clear();
            throw FileError(m_target, "create", err);
        }
    }
    if (m_fd < 0) {
        m_tempPath.clear();
        throw FileError(m_target, "create", EEXIST);
    }
    if (exists) {
        // The umask applied at creation; the replaced file keeps its exact bits and owner.
        (void)::fchmod(m_fd, mode);
        if (::geteuid() == 0) {
            (void)::fchown(m_fd, st.st_uid, st.st_gid);
        }
    }
}

SafeFile::~SafeFile() {
    discard();
}

void SafeFile::discard() noexcept {
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
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    while (!bytes.empty()) {
        ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int err = errno;
            discard();
            throw FileError(m_target, "write to", err);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void SafeFile::commit() {
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
