#include "platform/Directory.h"

#include "platform/FileError.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zentory::platform {

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

DIR* stream(void* dir) {
    return static_cast<DIR*>(dir);
}

} // namespace

Directory::~Directory() {
    close();
}

Directory::Directory(Directory&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_dir(std::exchange(other.m_dir, nullptr)) {}

Directory& Directory::operator=(Directory&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_dir = std::exchange(other.m_dir, nullptr);
    }
    return *this;
}

void Directory::close() noexcept {
    if (m_dir != nullptr) {
        ::closedir(stream(m_dir));
    } else if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_dir = nullptr;
    m_fd = -1;
}

int Directory::adopt(int fd) {
    if (fd < 0) {
        return errno;
    }
    m_fd = fd;
    return 0;
}

int Directory::open(const std::string& path) {
    close();
    return adopt(::open(path.c_str(), kOpenFlags));
}

int Directory::openIn(const Directory& parent, const std::string& name) {
    close();
    if (!parent.isOpen()) {
        return EBADF;
    }
    return adopt(::openat(parent.m_fd, name.c_str(), kOpenFlags));
}

int Directory::identity(FolderIdentity& out) const {
    if (!isOpen()) {
        return EBADF;
    }
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        return errno;
    }
    out.device = static_cast<uint64_t>(st.st_dev);
    out.inode = static_cast<uint64_t>(st.st_ino);
    return 0;
}

int Directory::read(Visitor& visitor) {
    if (!isOpen()) {
        return EBADF;
    }
    if (m_dir == nullptr) {
        m_dir = ::fdopendir(m_fd);
        if (m_dir == nullptr) {
            return errno;
        }
    }
    DIR* dir = stream(m_dir);
    const int fd = m_fd;
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir);
        if (d == nullptr) {
            return errno;
        }
        bool isFolder = d->d_type == DT_DIR;
        // The type of every other entry is trusted as it is; only a link (which
        // may lead to a folder) and an entry of unknown type cost a lookup.
        if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
            struct stat st;
            isFolder = ::fstatat(fd, d->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        visitor.entry(d->d_name, isFolder);
    }
}

std::string workingDirectory() {
    std::string buf(4096, '\0');
    for (;;) {
        if (::getcwd(buf.data(), buf.size()) != nullptr) {
            buf.resize(buf.find('\0'));
            return buf;
        }
        if (errno != ERANGE) {
            throw FileError(".", "name the working folder", errno);
        }
        buf.assign(buf.size() * 2, '\0');
    }
}

} // namespace zentory::platform
