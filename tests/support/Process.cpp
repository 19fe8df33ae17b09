#include "Process.h"

#include "Files.h"
#include "TempDir.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentory::test {

namespace {

// Waits for `pid` up to `limitSeconds`, killing it (and its group) at the limit.
void reap(pid_t pid, double limitSeconds, std::chrono::steady_clock::time_point start,
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

long statusField(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(field)) {
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
        }
    }
    return 0;
}

// In the child of runProcess: standard streams, folder and locale, then the program.
// With `openFiles`, the program may hold that many files open, and holds
// none but its standard streams when it starts.
[[noreturn]] void execIn(const std::vector<std::string>& argv, const std::string& cwd,
                         const std::string& outPath, const std::string& errPath,
                         unsigned long openFiles = 0) {
    ::setpgid(0, 0);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0 || ::chdir(cwd.c_str()) != 0) {
        ::_exit(127);
    }
    if (openFiles > 0) {
        const struct rlimit limit = {openFiles, openFiles};
        if (::close_range(3, ~0U, 0) != 0 || ::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            ::_exit(127);
        }
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

// In the child of runInChild: the peak, then "R" and the result or "E" and the error.
[[noreturn]] void workIn(const std::function<std::string()>& work, int fd) {
    const PeakMemory peak;
    char kind = 'R';
    std::string body;
    int status = 0;
    try {
        body = work();
    } catch (const std::exception& e) {
        kind = 'E';
        body = e.what();
        status = 1;
    }
    // Appended in order: putting the kind in front of the body would make
    // GCC 12 at -O3 warn of a memcpy overlap that cannot happen.
    const std::string text = std::to_string(peak.growthKiB()) + "\n" + kind + body;
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    ::_exit(status);
}

// Reads `fd` to its end or until `limitSeconds` after `start`.
std::string readUntil(int fd, double limitSeconds, std::chrono::steady_clock::time_point start) {
    std::string text;
    char buf[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const double left = limitSeconds - secondsSince(start);
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) {
            break;
        }
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    return text;
}

} // namespace

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Observed runProcess(const std::vector<std::string>& argv, const std::string& cwd,
                    double limitSeconds) {
    return runProcessWithOpenFileLimit(argv, cwd, 0, limitSeconds);
}

Observed runProcessWithOpenFileLimit(const std::vector<std::string>& argv, const std::string& cwd,
                                     unsigned long openFiles, double limitSeconds) {
    TempDir io;
    const std::string outPath = io / "out";
    const std::string errPath = io / "err";
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        execIn(argv, cwd, outPath, errPath, openFiles);
    }
    Observed o;
    reap(pid, limitSeconds, start, o);
    o.out = readBytes(outPath);
    o.err = readBytes(errPath);
    return o;
}

Observed runInChild(const std::function<std::string()>& work, double limitSeconds) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        workIn(work, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    std::string text = readUntil(pipeFds[0], limitSeconds, start);
    ::close(pipeFds[0]);
    Observed o;
    const size_t newline = text.find('\n');
    if (newline != std::string::npos && newline + 1 < text.size()) {
        o.peakKiB = std::max(1L, std::strtol(text.c_str(), nullptr, 10));
        (text[newline + 1] == 'R' ? o.out : o.err) = text.substr(newline + 2);
    }
    reap(pid, limitSeconds, start, o);
    return o;
}

int withOpenFileLimit(unsigned long openFiles, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const struct rlimit limit = {openFiles, openFiles};
        ::_exit(::setrlimit(RLIMIT_NOFILE, &limit) == 0 ? body() : 99);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

PeakMemory::PeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from now
    m_base = statusField("VmRSS:");
}

long PeakMemory::growthKiB() const {
    return std::max(0L, statusField("VmHWM:") - m_base);
}

std::string secondsText(double seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", seconds);
    return buf;
}

std::string costText(const Observed& o) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f s, %ld MiB", o.seconds, (o.peakKiB + 1023) / 1024);
    return buf;
}

} // namespace zentory::test
