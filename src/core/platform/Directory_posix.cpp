#include "platform/Directory.h"

#include "platform/FileError.h"
#include "platform/StepFailure.h"
#include "platform/posix/Descriptor.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zentory::platform {

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

// Room for about five hundred entries of ordinary length per system call.
constexpr size_t kReadBuffer = 16 * 1024;

// Keeps `fd`, just opened, as `folder`. Returns 0 or the errno of the open.
int adopt(FileHandle& folder, int fd) {
    if (fd < 0) {
        return errno;
    }
    folder = fileHandleOf(fd);
    return 0;
}

} // namespace

// The listing here tells no sizes: statEntry asks each file.
struct Directory::Sizes {};

Directory::Directory() = default;

Directory::~Directory() {
    close();
}

Directory::Directory(Directory&& other) noexcept
    : m_handle(std::exchange(other.m_handle, FileHandle())), m_sizes(std::move(other.m_sizes)) {}

Directory& Directory::operator=(Directory&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, FileHandle());
        m_sizes = std::move(other.m_sizes);
    }
    return *this;
}

void Directory::close() noexcept {
    if (m_handle.valid()) {
        ::close(descriptorOf(m_handle));
    }
    m_handle = FileHandle();
}

int Directory::open(const std::string& path) {
    close();
    return adopt(m_handle, ::open(path.c_str(), kOpenFlags));
}

int Directory::openIn(const Directory& parent, const char* relative) {
    close();
    if (!parent.isOpen()) {
        return EBADF;
    }
    if (const int err = failingStep(Step::OpenFolder); err != 0) {
        return err;
    }
    return adopt(m_handle, ::openat(descriptorOf(parent.m_handle), relative, kOpenFlags));
}

int Directory::identity(FolderIdentity& out) const {
    if (!isOpen()) {
        return EBADF;
    }
    struct stat st;
    if (::fstat(descriptorOf(m_handle), &st) != 0) {
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
    alignas(dirent64) char buffer[kReadBuffer];
    for (;;) {
        const ssize_t filled = ::getdents64(descriptorOf(m_handle), buffer, sizeof buffer);
        if (filled < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (filled == 0) {
            return 0;
        }
        for (ssize_t at = 0; at < filled;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            bool isFolder = d->d_type == DT_DIR;
            EntryIdentity identity;
            identity.id.inode = d->d_ino;
            // A btrfs subvolume (or snapshot) is a file system of its own
            // without a mount: its top folder always has this number.
            constexpr ino64_t kSubvolumeTop = 256;
            identity.source = d->d_ino == kSubvolumeTop ? EntryIdentity::Source::None
                                                        : EntryIdentity::Source::Entry;
            // The type of every other entry is trusted as it is; only a link
            // (which may lead to a folder) and an entry of unknown type cost a
            // lookup.
            if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN) {
                struct stat st;
                isFolder = ::fstatat(descriptorOf(m_handle), d->d_name, &st, 0) == 0 &&
                           S_ISDIR(st.st_mode);
                if (isFolder) {
                    identity.source = EntryIdentity::Source::Lookup;
                    identity.id = {static_cast<uint64_t>(st.st_dev),
                                   static_cast<uint64_t>(st.st_ino)};
                }
            }
            if (!visitor.entry(std::string_view(d->d_name, std::strlen(d->d_name)), isFolder,
                               identity)) {
                return ECANCELED;
            }
        }
    }
}

int Directory::statEntry(const char* name, int64_t& size, int64_t& modified) const {
    if (!isOpen()) {
        return EBADF;
    }
    // Not synced: the look-up of the name has just brought the file's
    // attributes, and a network file system would otherwise ask the server
    // for them once more, a second round trip for every file.
    struct statx st;
    if (::statx(descriptorOf(m_handle), name, AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                STATX_SIZE | STATX_MTIME, &st) != 0) {
        return errno;
    }
    size = static_cast<int64_t>(st.stx_size);
    modified = st.stx_mtime.tv_sec;
    return 0;
}

size_t openFileLimit() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 1024;
    }
    return static_cast<size_t>(limit.rlim_cur);
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
