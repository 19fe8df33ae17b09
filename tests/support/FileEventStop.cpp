#include "FileEventStop.h"

#include "Process.h"

#include <chrono>
#include <csignal>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentory::test {

FileEventStop::FileEventStop(const std::string& path, uint32_t mask)
    : m_events(::inotify_init1(IN_CLOEXEC)) {
    ::inotify_add_watch(m_events, path.c_str(), mask);
}

FileEventStop::~FileEventStop() {
    ::close(m_events);
}

bool FileEventStop::signalAt(pid_t pid, int signal, const std::function<bool(pid_t)>& ready) {
    pollfd p{m_events, POLLIN, 0};
    if (::poll(&p, 1, 30000) != 1) {
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    // Until then, the process is looked at but never reaped: its caller waits for it.
    const auto running = [pid] {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    };
    while (!ready(pid) && secondsSince(start) < 30 && running()) {
        ::usleep(200);
    }
    ::kill(pid, SIGSTOP);
    int raw = 0;
    bool sent = false;
    if (::waitpid(pid, &raw, WUNTRACED) == pid && WIFSTOPPED(raw)) {
        sent = ready(pid);
        ::kill(pid, sent ? signal : SIGKILL);
    }
    ::kill(pid, SIGCONT);
    return sent;
}

} // namespace zentory::test
