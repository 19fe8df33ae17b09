#include "platform/ProgramFolders.h"

#include "platform/Environment.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "platform/posix/OpenedFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zentory::platform {

namespace {

constexpr const char* kSettingsName = "/config.ini";
constexpr const char* kInstalledData = "/share/zentory";
constexpr const char* kProgramName = "/zentory";
// As many links as the kernel follows in one look-up.
constexpr int kMostLinks = 40;

std::atomic<SettingsStepHook> g_stepHook{nullptr};

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

// One name of a path still to be looked up.
struct Part {
    std::string name;
    std::string shown; // the path that messages name for it
    bool ownOnly;      // root's will not do, it must be the user's own
};

// The names of `path` from the top down, each shown as the path up to it:
// "/a/b" gives a ("/a") and b ("/a/b"). Repeated and trailing separators add
// no step. The last one is `ownOnly`.
std::vector<Part> partsOf(const std::string& path, bool ownOnly) {
    std::vector<Part> parts;
    size_t start = 0;
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') {
            continue;
        }
        start = path.find_first_not_of('/', start);
        if (start < i) {
            parts.push_back({path.substr(start, i - start), path.substr(0, i), false});
        }
        start = i;
    }
    if (!parts.empty()) {
        parts.back().ownOnly = ownOnly;
    }
    return parts;
}

// Why what `st` describes may not be trusted with the settings: another
// user's (root's counts as the user's own unless `ownOnly`), or a folder that
// every user may change.
std::string untrusted(const std::string& path, const struct stat& st, bool ownOnly) {
    const uid_t me = ::geteuid();
    if (st.st_uid != me && (ownOnly || st.st_uid != 0)) {
        return "'" + path + "' belongs to another user (uid " + std::to_string(st.st_uid) + ")";
    }
    // In a sticky folder nobody but its owner may rename or remove what another put there.
    if (S_ISDIR(st.st_mode) && (st.st_mode & S_IWOTH) != 0 && (st.st_mode & S_ISVTX) == 0) {
        return "every user may change '" + path + "'";
    }
    return {};
}

// The text of the link open (O_PATH) at `fd`; false when it cannot be read.
bool linkText(int fd, std::string& text) {
    text.assign(4096, '\0');
    const ssize_t n = ::readlinkat(fd, "", text.data(), text.size());
    if (n < 0 || static_cast<size_t>(n) >= text.size()) {
        return false;
    }
    text.resize(static_cast<size_t>(n));
    return true;
}

// How the last part is opened: only looked at, or for reading.
enum class Last { Look, Read };

// Where a walk ended.
struct Walk {
    Descriptor fd;       // the last part reached (the start while none is)
    std::string refused; // why a part may not be trusted
    std::string stopped; // the path of the part the walk stopped at
    int error = 0;       // ENOENT: nothing there; else it could not be opened
};

// Opens `parts` one by one from the folder `start`, judging each by the
// descriptor opened for it: no link is followed by the kernel, each one is read
// and its target walked the same way. With `create`, a missing part is made as
// a folder private to the user.
Walk walk(int start, std::vector<Part> parts, Last last, bool create) {
    Walk w;
    w.fd.reset(::openat(start, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (w.fd.get() < 0) {
        w.error = errno;
        return w;
    }
    std::vector<Part> pending(parts.rbegin(), parts.rend());
    int links = 0;
    while (!pending.empty()) {
        const Part part = std::move(pending.back());
        pending.pop_back();
        const bool read = pending.empty() && last == Last::Read;
        const int at = w.fd.get();
        const char* name = part.name.c_str();
        // A FIFO must not hold the open until a writer comes.
        int fd = ::openat(
            at, name, (read ? O_RDONLY | O_NONBLOCK | O_NOCTTY : O_PATH) | O_NOFOLLOW | O_CLOEXEC);
        bool looked = false;
        if (fd < 0 && errno == ELOOP && read) {
            fd = ::openat(at, name, O_PATH | O_NOFOLLOW | O_CLOEXEC); // a link, looked at
            looked = true;
        }
        if (fd < 0 && errno == ENOENT && create) {
            if (::mkdirat(at, name, 0700) != 0 && errno != EEXIST) {
                w.error = errno;
                w.stopped = part.shown;
                return w;
            }
            // Made by this user, or by someone who was quicker: judged as any other.
            fd = ::openat(at, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        }
        if (fd < 0) {
            // "a/file/b": nothing is there to read, though nothing can be made there.
            w.error = errno == ENOTDIR && !create ? ENOENT : errno;
            w.stopped = part.shown;
            return w;
        }
        Descriptor opened(fd);
        struct stat st;
        if (::fstat(fd, &st) != 0) {
            w.error = errno;
            w.stopped = part.shown;
            return w;
        }
        w.refused = untrusted(part.shown, st, part.ownOnly);
        if (!w.refused.empty()) {
            w.stopped = part.shown;
            return w;
        }
        if (const SettingsStepHook hook = g_stepHook.load(); hook != nullptr) {
            hook(part.shown);
        }
        const bool isLink = S_ISLNK(st.st_mode);
        // Opened to be looked at because it was a link, and now no longer one.
        const bool again = read && looked && !isLink;
        if ((isLink || again) && ++links > kMostLinks) {
            w.error = ELOOP;
            w.stopped = part.shown;
            return w;
        }
        if (again) {
            pending.push_back(part);
            continue;
        }
        if (!isLink) {
            w.fd = std::move(opened);
            continue;
        }
        std::string target;
        if (!linkText(fd, target)) {
            w.error = errno != 0 ? errno : ENAMETOOLONG;
            w.stopped = part.shown;
            return w;
        }
        if (!target.empty() && target.front() == '/') {
            w.fd.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        }
        // What the link leads to stands for the link: named as it, and the
        // last of it as strictly judged.
        std::vector<Part> through = partsOf(target, part.ownOnly);
        for (auto it = through.rbegin(); it != through.rend(); ++it) {
            it->shown = part.shown;
            pending.push_back(std::move(*it));
        }
    }
    return w;
}

// walk() from the start of `path`: the root for an absolute path, else the
// working folder.
Walk walkPath(const std::string& path, std::vector<Part> parts, Last last, bool create) {
    if (path.empty() || path.front() != '/') {
        return walk(AT_FDCWD, std::move(parts), last, create);
    }
    const Descriptor root(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0) {
        Walk w;
        w.error = errno;
        w.stopped = "/";
        return w;
    }
    return walk(root.get(), std::move(parts), last, create);
}

// The parts of folder/name: the folder and the file both the user's own.
std::vector<Part> settingsParts(const std::string& folder, const std::string& name) {
    std::vector<Part> parts = partsOf(folder, true);
    parts.push_back({name, folder + "/" + name, true});
    return parts;
}

// createFolders, giving the folder made or found, open.
Descriptor makeFolders(const std::string& folder) {
    Walk w = walkPath(folder, partsOf(folder, true), Last::Look, true);
    if (!w.refused.empty()) {
        throw FileError(w.stopped, "create folder", w.refused);
    }
    if (w.error != 0) {
        throw FileError(w.stopped.empty() ? folder : w.stopped, "create folder", w.error);
    }
    struct stat st;
    if (::fstat(w.fd.get(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        throw FileError(folder, "create folder", ENOTDIR);
    }
    return std::move(w.fd);
}

// `error` with the path `from` at its front put back as `to`.
FileError named(const FileError& error, const std::string& from, const std::string& to) {
    auto replaced = [&](std::string text) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), to);
            at += to.size();
        }
        return text;
    };
    const std::string path = replaced(error.path());
    return error.errnum() != 0 ? FileError(path, error.operation(), error.errnum())
                               : FileError(path, error.operation(), replaced(error.reason()));
}

} // namespace

ProgramFolders programFolders() {
    const std::string exe = executableFolder();
    if (pathExists(exe + kSettingsName)) {
        return {exe, {}, false, {}};
    }
    // The executable's path has its links resolved, so its parent is the prefix.
    const std::string installed = exe.substr(0, exe.rfind('/')) + kInstalledData;
    if (pathExists(installed + kSettingsName)) {
        const std::string own = userSettingsFolder();
        return {installed, own, true,
                own.empty() ? std::string() : foreignSettingsReason(own, kSettingsName + 1)};
    }
    return {exe, {}, false, {}};
}

std::string userSettingsFolder() {
    // Only an absolute path counts; a relative one would depend on the working folder.
    const std::string configHome = environmentValue("XDG_CONFIG_HOME");
    if (!configHome.empty() && configHome.front() == '/') {
        return configHome + kProgramName;
    }
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config" + kProgramName;
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

std::string foreignSettingsReason(const std::string& folder, const std::string& name) {
    return walkPath(folder, settingsParts(folder, name), Last::Look, false).refused;
}

UserSettingsFile readUserSettings(const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    Walk w = walkPath(folder, settingsParts(folder, name), Last::Read, false);
    if (!w.refused.empty()) {
        return {w.refused, false, {}};
    }
    if (w.error == ENOENT) {
        return {};
    }
    if (w.error != 0) {
        throw FileError(path, "open", w.error);
    }
    return {{}, true, readOpenedFile(w.fd.release(), path, kTextFileLimit)};
}

void writeUserSettings(const std::string& folder, const std::string& name, std::string_view text,
                       std::string_view tail) {
    const Descriptor made = makeFolders(folder);
    const std::string path = folder + "/" + name;
    const Walk file = walk(made.get(), {{name, path, true}}, Last::Look, false);
    if (!file.refused.empty()) {
        throw FileError(path, "write to", file.refused);
    }
    // The file is written in the folder held open since it was checked, by
    // the kernel's name of that descriptor; without a proc file system, by its
    // path, whose every step is then the user's or root's and stays so.
    const std::string held = "/proc/self/fd/" + std::to_string(made.get());
    if (::access(held.c_str(), F_OK) != 0) {
        writeText(path, text, /*durable=*/true, tail);
        return;
    }
    try {
        writeText(held + "/" + name, text, /*durable=*/true, tail);
    } catch (const FileError& error) {
        throw named(error, held, folder);
    }
}

void createFolders(const std::string& folder) {
    makeFolders(folder);
}

void setSettingsStepHook(SettingsStepHook hook) {
    g_stepHook.store(hook);
}

std::string systemExecutableFolder() {
    std::string path(4096, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            break;
        }
        path.resize(path.size() * 2);
    }
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace zentory::platform
