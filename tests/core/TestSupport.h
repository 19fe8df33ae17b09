#pragma once
// Small helpers for tests that work on real files in temporary folders.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentory::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() : TempDir(std::filesystem::temp_directory_path().string()) {}
    // A fresh folder below `base`.
    explicit TempDir(const std::string& base) {
        std::string pattern = base + "/zentory-test-XXXXXX";
        char* made = ::mkdtemp(pattern.data());
        if (made == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = made;
    }
    ~TempDir() {
        std::error_code ec;
        // Give back write and search bits that a test took away, so everything can go.
        for (auto it = std::filesystem::recursive_directory_iterator(
                 m_path, std::filesystem::directory_options::skip_permission_denied, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) {
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
            }
        }
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

// Runs `body` in a child process as the unprivileged user "nobody" (when the
// test runs as root; otherwise as the current user) and returns its exit code,
// or -1 when it did not exit normally. Permission bits stop nothing for root.
inline int runAsNobody(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                ::setresuid(65534, 65534, 65534) != 0) {
                ::_exit(99);
            }
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lets "nobody" reach and read `path` (temporary folders are private to root).
inline void openUpForEveryone(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::all,
                                 std::filesystem::perm_options::replace);
}

} // namespace zentory::test
