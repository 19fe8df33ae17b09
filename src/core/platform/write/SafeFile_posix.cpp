#include "platform/write/SafeFile.h"

#include "platform/FileError.h"
#include "platform/StepFailure.h"
#include "platform/posix/Descriptor.h"
#include "platform/write/InPlaceFile.h"
#include "platform/write/Interruption.h"
#include "platform/write/posix/FileTarget.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the target as a shell's `>` would, without cutting it: the kernel
// follows its links, and refuses what its protections of shared folders refuse.
int openAsTheShellWould(const std::string& target, int access) {
    return ::open(target.c_str(), access | O_CREAT | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0666);
}

// A rename that the name itself stops, though the file may be written: a
// file mounted over the name (a bind mount), or a name on another mount.
bool renameStoppedByTheName(int err) {
    return err == EBUSY || err == EXDEV;
}

// The failure armed for `step`, else `call`'s: 0 or an errno value.
template <typename Call> int stepResult(Step step, Call call) {
    if (const int err = failingStep(step)) {
        return err;
    }
    return call();
}

int errnoUnless(int result) {
    return result == 0 ? 0 : errno;
}

// What a failure after the new text took the name adds to its message.
const char* const kNewTextInPlace = "the new text is in place";

} // namespace

struct SafeFile::State {
    State(std::string target, bool durable);
    ~State() { discard(); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void openMissing();
    void openExisting();
    void openWrittenThrough(int fd);
    bool openReplacement(int folder, const struct stat* old);
    bool replaceWhereItIs(int fd, const struct stat& st);
    void openInPlace(int fd);
    void rewriteInstead();
    void write(std::string_view bytes);
    void writeAll(std::string_view bytes);
    void commit();
    void putInPlace();
    void discard() noexcept;

    std::string m_target; // as the caller named it, for messages
    std::unique_ptr<InPlaceFile> m_inPlace;
    int m_fd = -1;           // the replacement, or the file written through
    int m_folder = -1;       // the folder of a replacement
    std::string m_name;      // its name there
    std::string m_tempName;  // the replacement's short name, where it has one
    bool m_replaces = false; // a file is at m_name, to be renamed over
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
    if (const std::string link = foreignLinkInSharedFolder(m_target); !link.empty()) {
        throw FileError(m_target, "open",
                        "'" + link +
                            "' is another user's link in a shared folder; it is not followed");
    }
    try {
        switch (const DescriptorName named = descriptorName(m_target); named.kind) {
        case DescriptorName::Own:
            m_fd = ::fcntl(named.descriptor, F_DUPFD_CLOEXEC, 0);
            if (m_fd < 0) {
                throw FileError(m_target, "open", errno);
            }
            return;
        case DescriptorName::Other: {
            // Another process's open file is added to, never cut.
            const int fd =
                ::open(m_target.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                throw FileError(m_target, "open", errno);
            }
            openWrittenThrough(fd);
            return;
        }
        case DescriptorName::None:
            break;
        }
        struct stat st;
        if (::lstat(m_target.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                throw FileError(m_target, "open", errno);
            }
            openMissing();
            return;
        }
        openExisting();
    } catch (...) {
        discard();
        throw;
    }
}

void SafeFile::State::openMissing() {
    const std::string folder = folderOf(m_target);
    m_name = nameOf(m_target);
    if (m_name.empty() || m_name == "." || m_name == "..") {
        throw FileError(m_target, "open", EISDIR);
    }
    m_folder = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        throw FileError(folder, "create a file in", errno);
    }
    openReplacement(m_folder, nullptr);
}

void SafeFile::State::openExisting() {
    int fd = openAsTheShellWould(m_target, O_WRONLY);
    if (fd < 0) {
        throw FileError(m_target, "open", errno);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw FileError(m_target, "open", err);
    }
    if (!S_ISREG(st.st_mode)) {
        openWrittenThrough(fd);
        return;
    }
    if (replaceWhereItIs(fd, st)) {
        ::close(fd);
        return;
    }
    openInPlace(fd);
}

// Rewrites the regular file open at `fd` where it is; its old bytes are kept
// when it can be read.
void SafeFile::State::openInPlace(int fd) {
    const int readable = reopenForReading(m_target, fd);
    const bool canRead = readable >= 0;
    if (canRead) {
        ::close(fd);
        fd = readable;
    }
    m_inPlace =
        std::make_unique<InPlaceFile>(fileHandleOf(fd), m_target, folderOf(m_target), canRead);
}

void SafeFile::State::openWrittenThrough(int fd) {
    m_fd = fd;
    // O_NONBLOCK only kept a FIFO without a reader from hanging the open.
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        throw FileError(m_target, "open", errno);
    }
}

// Whether the regular file open at `fd` can be replaced by a new one that
// looks the same to everyone; if so, opens that replacement.
bool SafeFile::State::replaceWhereItIs(int fd, const struct stat& st) {
    if (st.st_nlink != 1 || hasExtendedAttributes(fd)) {
        return false;
    }
    const FileFolder home = folderHolding(m_target, fd);
    if (home.folder < 0) {
        return false;
    }
    struct stat named, folder;
    const uid_t me = ::geteuid();
    // In a sticky folder such as /tmp only the owner of the file or of the
    // folder may rename over the file.
    const bool ok =
        ::fstatat(home.folder, home.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(named, st) && ::fstat(home.folder, &folder) == 0 &&
        ((folder.st_mode & S_ISVTX) == 0 || me == 0 || me == st.st_uid || me == folder.st_uid);
    m_folder = home.folder;
    if (!ok || !openReplacement(m_folder, &st) || fileFlags(m_fd) != fileFlags(fd)) {
        discard();
        return false;
    }
    m_name = home.name;
    m_replaces = true;
    return true;
}

// Creates the replacement in `folder`: unnamed where the file system allows.
// With `old`, the file it is to replace, gives it that file's owner, group
// and exact mode and returns false (leaving nothing behind) where that cannot
// be done or where it would differ otherwise; without, throws.
bool SafeFile::State::openReplacement(int folder, const struct stat* old) {
    const mode_t mode = old != nullptr ? old->st_mode & 07777 : 0666;
    const NewFile made = createIn(folder, mode);
    if (made.fd < 0) {
        if (old != nullptr) {
            return false;
        }
        throw FileError(folderOf(m_target), "create a file in", made.error);
    }
    m_fd = made.fd;
    m_tempName = made.name;
    if (old == nullptr) {
        return true;
    }
    // The umask applied at creation, and a folder's default access list
    // would give the new file access the old one did not have.
    struct stat st;
    bool same = ::fstat(m_fd, &st) == 0;
    if (same && (st.st_uid != old->st_uid || st.st_gid != old->st_gid)) {
        same = ::fchown(m_fd, old->st_uid, old->st_gid) == 0;
    }
    same = same && ::fchmod(m_fd, mode) == 0 && ::fstat(m_fd, &st) == 0 &&
           st.st_uid == old->st_uid && st.st_gid == old->st_gid && (st.st_mode & 07777) == mode &&
           !hasExtendedAttributes(m_fd);
    return same;
}

void SafeFile::State::discard() noexcept {
    m_inPlace.reset(); // leaves the file as it was
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.empty() && m_folder >= 0) {
        // A named replacement that cannot be removed stays; nothing more can be done here.
        ::unlinkat(m_folder, m_tempName.c_str(), 0);
    }
    m_tempName.clear();
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
    m_replaces = false;
}

void SafeFile::State::write(std::string_view bytes) {
    if (m_inPlace) {
        m_inPlace->write(bytes);
    } else {
        writeAll(bytes);
    }
}

void SafeFile::State::writeAll(std::string_view bytes) {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    while (!bytes.empty()) {
        ssize_t n = -1;
        if (const int failed = failingStep(Step::Write)) {
            errno = failed;
        } else {
            n = ::write(m_fd, bytes.data(), bytes.size());
        }
        if (n < 0) {
            if (errno == EINTR) {
                throwIfInterrupted();
                continue;
            }
            throw FileError(m_target, "write to", errno);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

void SafeFile::State::commit() {
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
            const int fd = m_fd;
            m_fd = -1;
            if (::close(fd) != 0) {
                throw FileError(m_target, "close", errno);
            }
            return;
        }
        if (m_durable) {
            if (const int err =
                    stepResult(Step::Flush, [&] { return errnoUnless(::fdatasync(m_fd)); })) {
                throw FileError(m_target, "write to", err);
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

// Gives the written replacement the target's name.
void SafeFile::State::putInPlace() {
    if (!m_tempName.empty()) {
        // A named temporary file: closed first, as some file systems report
        // a failed write only then.
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) {
            throw FileError(m_target, "close", errno);
        }
    } else if (!m_replaces) {
        // Nothing was there: the name is made, never taken from another file.
        if (const int err =
                stepResult(Step::Rename, [&] { return linkUnnamed(m_fd, m_folder, m_name); });
            err != 0) {
            throw FileError(m_target, "create", err);
        }
    } else if (const int err = stepResult(Step::Rename, [&] {
                   m_tempName = linkUnnamedAside(m_fd, m_folder);
                   return m_tempName.empty() ? errno : 0;
               })) {
        if (renameStoppedByTheName(err)) {
            rewriteInstead();
            return;
        }
        throw FileError(m_target, "replace", err);
    }
    if (!m_tempName.empty()) {
        if (const int err =
                stepResult(Step::Rename,
                           [&] {
                               return errnoUnless(::renameat(m_folder, m_tempName.c_str(), m_folder,
                                                             m_name.c_str()));
                           });
            err != 0) {
            if (m_replaces && renameStoppedByTheName(err)) {
                rewriteInstead();
                return;
            }
            throw FileError(m_target, "replace", err);
        }
        m_tempName.clear();
    }
    // The new text has the name: what fails from here on says so.
    if (m_fd >= 0) {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) {
            throw FileError(m_target, "close", errno, kNewTextInPlace);
        }
    }
    if (m_durable) {
        if (const int err = stepResult(Step::Flush, [&] { return syncFolder(m_folder); })) {
            throw FileError(m_target, "write to", err, kNewTextInPlace);
        }
    }
}

// The name refused to be renamed over, though the file behind it may be
// written: the new text is written into that file where it is, as for a file
// with other names.
void SafeFile::State::rewriteInstead() {
    const int text =
        m_tempName.empty()
            ? ::open(("/proc/self/fd/" + std::to_string(m_fd)).c_str(), O_RDONLY | O_CLOEXEC)
            : ::openat(m_folder, m_tempName.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (text < 0 || ::fstat(text, &st) != 0) {
        const int err = errno;
        if (text >= 0) {
            ::close(text);
        }
        throw FileError(m_target, "replace", err);
    }
    try {
        const int fd = openAsTheShellWould(m_target, O_WRONLY);
        if (fd < 0) {
            throw FileError(m_target, "open", errno);
        }
        openInPlace(fd);
        m_inPlace->writeFrom(fileHandleOf(text), st.st_size);
    } catch (...) {
        ::close(text);
        throw;
    }
    ::close(text);
    m_inPlace->commit();
    m_inPlace.reset();
}

} // namespace zentory::platform
