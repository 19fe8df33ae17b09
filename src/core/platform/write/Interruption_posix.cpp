#include "platform/write/Interruption.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

volatile std::sig_atomic_t g_caught = 0;
std::atomic<int> g_guards{0};
std::atomic<bool> g_eventLoop{false};
int g_wake[2] = {-1, -1}; // a pipe: the handler writes, the event loop reads
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");
static_assert(sizeof(sigset_t) <= 128, "SignalsHeld keeps a sigset_t");

void onSignal(int signal) {
    if (!g_eventLoop.load() && g_guards.load() == 0) {
        // Nothing to take back: end as the signal's default action ends the
        // program. The signal is blocked in here and comes again on return.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        ::sigaction(signal, &action, nullptr);
        ::raise(signal);
        return;
    }
    if (g_caught == 0) {
        g_caught = signal;
    }
    if (g_wake[1] >= 0) {
        const int saved = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_wake[1], &byte, 1);
        errno = saved;
    }
}

// A size limit makes the write fail with EFBIG, which the writer rolls back.
void onFileSizeLimit(int) {}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

sigset_t caughtSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kSignals) {
        sigaddset(&set, signal);
    }
    sigaddset(&set, SIGXFSZ);
    return set;
}

void install() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a write blocked on a pipe returns EINTR
    for (int signal : kSignals) {
        struct sigaction old {};
        // A signal that the shell set to be ignored (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
    // A handler rather than SIG_IGN: programs started from here get the default back.
    struct sigaction limit {};
    limit.sa_handler = onFileSizeLimit;
    sigemptyset(&limit.sa_mask);
    limit.sa_flags = SA_RESTART;
    ::sigaction(SIGXFSZ, &limit, nullptr);
}

} // namespace

InterruptionGuard::InterruptionGuard() noexcept {
    ++g_guards;
}

InterruptionGuard::~InterruptionGuard() {
    --g_guards;
}

SignalsHeld::SignalsHeld() noexcept {
    const sigset_t set = caughtSet();
    sigset_t old;
    ::pthread_sigmask(SIG_BLOCK, &set, &old);
    std::memcpy(m_old, &old, sizeof old);
}

SignalsHeld::~SignalsHeld() {
    sigset_t old;
    std::memcpy(&old, m_old, sizeof old);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

void catchInterruptions() {
    install();
}

void catchInterruptionsForEventLoop() {
    if (g_wake[0] < 0 && ::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_wake[0] = g_wake[1] = -1; // the flag still works; nothing wakes the loop
    }
    g_eventLoop = true;
    install();
}

int interruptionDescriptor() noexcept {
    return g_wake[0];
}

int caughtInterruption() noexcept {
    return g_caught;
}

void throwIfInterrupted() {
    if (g_caught != 0) {
        throw Interrupted(g_caught);
    }
}

void endByInterruption(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal); // not reached: the default action ends the process
}

} // namespace zentory::platform
