#include "platform/write/Spool.h"

#include "platform/Environment.h"
#include "platform/StepFailure.h"
#include "platform/posix/Descriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

namespace zentory::platform {

namespace {

// Bytes up to this many stay in memory.
constexpr off_t kInMemory = off_t{8} << 20;
// The piece copied at a time where the kernel cannot copy between the files.
constexpr size_t kCopyPiece = size_t{1} << 20;

// A failure that another file system may not have.
bool forWantOfRoom(int err) {
    return err == ENOSPC || err == EDQUOT || err == EFBIG;
}

// Writes all of `bytes` into `fd` at `offset`. Returns 0, or the errno.
int writeAll(int fd, std::string_view bytes, off_t offset) noexcept {
    while (!bytes.empty()) {
        if (const int err = failingStep(Step::Write)) {
            return err;
        }
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
        offset += n;
    }
    return 0;
}

// Copies `count` bytes through memory, a piece at a time.
int copyThroughMemory(int in, off_t from, int out, off_t to, off_t count) noexcept {
    const std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyPiece]);
    if (!buffer) {
        return ENOMEM;
    }
    while (count > 0) {
        const ssize_t n = ::pread(in, buffer.get(),
                                  static_cast<size_t>(std::min<off_t>(count, kCopyPiece)), from);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO; // a file that ended early counts as a failed read
        }
        if (const int err = writeAll(out, {buffer.get(), static_cast<size_t>(n)}, to)) {
            return err;
        }
        from += n;
        to += n;
        count -= n;
    }
    return 0;
}

// Copies `count` bytes from `in` at `from` to `out` at `to`, in the kernel
// where it can. Returns 0, or the errno of the failure.
int copyRange(int in, off_t from, int out, off_t to, off_t count) noexcept {
    while (count > 0) {
        if (const int err = failingStep(Step::Write)) {
            return err;
        }
        const ssize_t n = ::copy_file_range(in, &from, out, &to, static_cast<size_t>(count), 0);
        if (n < 0 &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            return copyThroughMemory(in, from, out, to, count);
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO; // a file that ended early counts as a failed read
        }
        count -= n;
    }
    return 0;
}

// Where spilled bytes may go, in the order they are tried. A TMPDIR that the
// person set is the one temporary folder.
std::vector<std::string> spillPlaces(const std::string& beside, Spool::Prefer prefer) {
    const std::string tmp = environmentValue("TMPDIR");
    std::vector<std::string> places;
    if (tmp.empty()) {
        places = {"/tmp", "/var/tmp"};
    } else {
        places = {tmp};
    }
    places.insert(prefer == Spool::Prefer::Beside ? places.begin() : places.end(), beside);
    return places;
}

} // namespace

Spool::~Spool() {
    if (m_spill.valid()) {
        ::close(descriptorOf(m_spill));
    }
}

// Moves the bytes held (in memory, or in the spill file of a place that ran
// out of room) into a file in the next place that has room for them.
int Spool::spill() noexcept {
    std::vector<std::string> places;
    try {
        places = spillPlaces(m_folder, m_prefer);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    int err = ENOENT;
    for (; m_place < places.size(); ++m_place) {
        int fd = -1;
        if (err = failingStep(Step::Spill); err == 0) {
            fd = ::open(places[m_place].c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            err = fd < 0 ? errno : 0;
        }
        if (fd < 0) {
            continue;
        }
        err = m_spill.valid() ? copyRange(descriptorOf(m_spill), 0, fd, 0, m_size)
                              : writeAll(fd, m_memory, 0);
        if (err != 0) {
            ::close(fd);
            if (forWantOfRoom(err)) {
                continue;
            }
            return err;
        }
        if (m_spill.valid()) {
            ::close(descriptorOf(m_spill)); // gives the full place its room back
        }
        m_spill = fileHandleOf(fd);
        ++m_place;
        m_memory = std::string();
        return 0;
    }
    return err;
}

int Spool::append(std::string_view bytes) {
    if (!m_spill.valid() && m_size + static_cast<off_t>(bytes.size()) > kInMemory) {
        if (const int err = spill(); err != 0) {
            return err;
        }
    }
    if (!m_spill.valid()) {
        m_memory.append(bytes);
        m_size += static_cast<off_t>(bytes.size());
        return 0;
    }
    for (;;) {
        const int err = writeAll(descriptorOf(m_spill), bytes, m_size);
        if (err == 0) {
            break;
        }
        if (!forWantOfRoom(err) || spill() != 0) {
            return err;
        }
    }
    m_size += static_cast<off_t>(bytes.size());
    return 0;
}

int Spool::appendFrom(FileHandle file, std::int64_t from, std::int64_t count) {
    const int fd = descriptorOf(file);
    if (!m_spill.valid() && m_size + count > kInMemory) {
        if (const int err = spill(); err != 0) {
            return err;
        }
    }
    if (m_spill.valid()) {
        for (;;) {
            const int err = copyRange(fd, from, descriptorOf(m_spill), m_size, count);
            if (err == 0) {
                break;
            }
            if (!forWantOfRoom(err) || spill() != 0) {
                return err;
            }
        }
        m_size += count;
        return 0;
    }
    const size_t have = m_memory.size();
    m_memory.resize(have + static_cast<size_t>(count));
    for (size_t done = have; done < m_memory.size();) {
        const ssize_t n = ::pread(fd, m_memory.data() + done, m_memory.size() - done,
                                  from + static_cast<off_t>(done - have));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_memory.resize(have);
            return n < 0 ? errno : EIO;
        }
        done += static_cast<size_t>(n);
    }
    m_size += count;
    return 0;
}

int Spool::copyTo(FileHandle file, std::int64_t offset) const noexcept {
    const int fd = descriptorOf(file);
    if (m_spill.valid()) {
        return copyRange(descriptorOf(m_spill), 0, fd, offset, m_size);
    }
    return writeAll(fd, m_memory, offset);
}

std::string Spool::saveCopy(const std::string& name) const noexcept {
    try {
        for (const std::string& place : spillPlaces(m_folder, Prefer::Beside)) {
            for (int n = 1; n < 100; ++n) {
                const std::string path =
                    place + "/" + name + ".old" + (n > 1 ? "-" + std::to_string(n) : "");
                const int fd = ::open(path.c_str(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                if (fd < 0 && errno == EEXIST) {
                    continue;
                }
                if (fd < 0) {
                    break; // the next place
                }
                const bool kept = copyTo(fileHandleOf(fd), 0) == 0 && ::fsync(fd) == 0;
                ::close(fd);
                if (kept) {
                    return path;
                }
                ::unlink(path.c_str());
                break;
            }
        }
    } catch (const std::bad_alloc&) {
    }
    return {};
}

} // namespace zentory::platform
