#include "platform/Interruption.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace zentory::platform {

namespace {

volatile std::sig_atomic_t g_caught = 0;
std::atomic<int> g_guards{0};
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

void onSignal(int signal) {
    if (g_guards.load() == 0) {
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
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

InterruptionGuard::InterruptionGuard() noexcept {
    ++g_guards;
}

InterruptionGuard::~InterruptionGuard() {
    --g_guards;
}

void catchInterruptions() {
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
