#pragma once
// Shared by the hostile tests: zentory-cli run as a real process, and work
// done in a child process, each with a time limit and its peak memory measured,
// so that a hang or a runaway shows as a result instead of stopping the run.

#include "TestSupport.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace zentory::test {

inline const std::string kCliPath = ZENTORY_CLI_PATH;
inline const std::string kResFolder = std::string(ZENTORY_SOURCE_DIR) + "/res";

inline bool builtWithSanitizers() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

// What came of a process or a child's work.
struct Observed {
    int status = -1;       // exit status; -1 when it did not exit normally
    bool timedOut = false; // killed at the time limit
    double seconds = 0;    // wall-clock time
    long peakKiB = 0;      // peak resident memory (the growth, for work in a child)
    std::string out, err;  // standard output and error (the result, for work in a child)
};

// "0.3 s" for the table.
inline std::string secondsText(double seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", seconds);
    return buf;
}

// "0.3 s, 42 MiB" for the table.
inline std::string costText(const Observed& o) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f s, %ld MiB", o.seconds, (o.peakKiB + 1023) / 1024);
    return buf;
}

namespace detail {

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Waits for `pid` up to `limitSeconds`, killing it (and its group) at the limit.
inline void reap(pid_t pid, double limitSeconds, std::chrono::steady_clock::time_point start,
                 Observed& o) {
    int raw = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(pid, &raw, WNOHANG, &usage);
        if (done == pid) {
            break;
        }
        if (secondsSince(start) > limitSeconds) {
            o.timedOut = true;
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            ::wait4(pid, &raw, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    o.seconds = secondsSince(start);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (o.peakKiB == 0) {
        o.peakKiB = usage.ru_maxrss;
    }
}

inline long statusField(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(field)) {
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
        }
    }
    return 0;
}

} // namespace detail

// How far this process's resident memory rises above its size at construction.
class PeakMemory {
public:
    PeakMemory() {
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from now
        m_base = detail::statusField("VmRSS:");
    }
    long growthKiB() const { return std::max(0L, detail::statusField("VmHWM:") - m_base); }

private:
    long m_base = 0;
};

// Runs `argv` (argv[0] a path) in `cwd` with the C locale, standard input from
// /dev/null, and kills it after `limitSeconds`.
inline Observed runProcess(const std::vector<std::string>& argv, const std::string& cwd,
                           double limitSeconds = 30) {
    TempDir io;
    const std::string outPath = io / "out";
    const std::string errPath = io / "err";
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(cwd.c_str()) != 0) {
            ::_exit(127);
        }
        ::setenv("LC_ALL", "C", 1);
        ::unsetenv("LANG");
        ::unsetenv("LC_MESSAGES");
        std::vector<char*> args;
        for (const auto& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    Observed o;
    detail::reap(pid, limitSeconds, start, o);
    o.out = readBytes(outPath);
    o.err = readBytes(errPath);
    return o;
}

// `argv` run as the unprivileged user "nobody" when the tests run as root.
inline std::vector<std::string> asNobody(std::vector<std::string> argv) {
    if (runningAsRoot()) {
        argv.insert(argv.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    return argv;
}

// Runs `work` in a child process and gives back the text it returned (in
// `out`; an escaping exception's message in `err`, with status 1), the time it
// took and how far it raised the peak memory. The child is killed after
// `limitSeconds`.
inline Observed runInChild(const std::function<std::string()>& work, double limitSeconds = 30) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const PeakMemory peak;
        std::string text;
        int status = 0;
        try {
            text = "R" + work();
        } catch (const std::exception& e) {
            text = std::string("E") + e.what();
            status = 1;
        }
        text = std::to_string(peak.growthKiB()) + "\n" + text;
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(pipeFds[1], text.data() + done, text.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        ::_exit(status);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buf[65536];
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        const double left = limitSeconds - detail::secondsSince(start);
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) {
            break;
        }
        const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    Observed o;
    const size_t newline = text.find('\n');
    if (newline != std::string::npos && newline + 1 < text.size()) {
        o.peakKiB = std::max(1L, std::strtol(text.c_str(), nullptr, 10));
        (text[newline + 1] == 'R' ? o.out : o.err) = text.substr(newline + 2);
    }
    detail::reap(pid, limitSeconds, start, o);
    return o;
}

// A temporary folder on the RAM file system when there is one (large trees are
// made and removed there in a fraction of the time), else like TempDir.
class RamDir : public TempDir {
public:
    RamDir() : TempDir(::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : tempBase()) {}

private:
    static std::string tempBase() { return std::filesystem::temp_directory_path().string(); }
};

// Makes this process the unprivileged user "nobody" when it runs as root, so
// that permission bits count. Only for a child process.
inline bool becomeNobody() {
    return !runningAsRoot() ||
           (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
            ::setresuid(65534, 65534, 65534) == 0);
}

// A folder with zentory-cli and the given data files beside it: the program
// then uses these as its "config.ini" and translation file.
class CliCopy {
public:
    CliCopy() {
        m_cli = m_dir / "zentory-cli";
        std::error_code ec;
        std::filesystem::create_hard_link(kCliPath, m_cli, ec);
        if (ec) {
            std::filesystem::copy_file(kCliPath, m_cli);
        }
        openUpForEveryone(m_dir.path());
    }
    void put(const std::string& name, const std::string& bytes) const {
        writeBytes(m_dir / name, bytes);
    }
    const std::string& folder() const { return m_dir.path(); }

    Observed run(std::vector<std::string> args, const std::string& cwd = "/",
                 double limitSeconds = 30) const {
        args.insert(args.begin(), m_cli);
        return runProcess(args, cwd, limitSeconds);
    }

private:
    TempDir m_dir;
    std::string m_cli;
};

// The first line of `text`, for the table.
inline std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// `text` with every `from` replaced by `to`.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

} // namespace zentory::test
