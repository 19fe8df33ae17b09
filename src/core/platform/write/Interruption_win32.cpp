#include "platform/write/Interruption.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <windows.h>

namespace zentory::platform {

namespace {

std::atomic<int> g_caught{0};
std::atomic<int> g_guards{0};
std::atomic<int> g_held{0};
std::atomic<bool> g_eventLoop{false};

// What Windows itself gives a program that Ctrl+C ends.
constexpr UINT kEndedByControlC = 0xC000013A;

int signalOf(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    default: // the console closed, the user logs off, the system shuts down
        return SIGTERM;
    }
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI onControl(DWORD event) {
    // Steps that must not be cut in two finish first.
    while (g_held.load() > 0) {
        Sleep(1);
    }
    if (!g_eventLoop.load() && g_guards.load() == 0) {
        return FALSE; // nothing to take back: the default handler ends the program
    }
    int expected = 0;
    g_caught.compare_exchange_strong(expected, signalOf(event));
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The process ends when this returns: give the write its time to
        // take itself back (the system allows about five seconds).
        for (int waited = 0; g_guards.load() > 0 && waited < 4500; waited += 10) {
            Sleep(10);
        }
    }
    return TRUE;
}

void install() {
    if (!SetConsoleCtrlHandler(onControl, TRUE)) {
        return; // no console: no Ctrl+C can come, and the flag stays 0
    }
}

} // namespace

InterruptionGuard::InterruptionGuard() noexcept {
    ++g_guards;
}

InterruptionGuard::~InterruptionGuard() {
    --g_guards;
}

SignalsHeld::SignalsHeld() noexcept : m_old{} {
    ++g_held;
}

SignalsHeld::~SignalsHeld() {
    --g_held;
}

void catchInterruptions() {
    install();
}

void catchInterruptionsForEventLoop() {
    g_eventLoop = true;
    install();
}

int interruptionDescriptor() noexcept {
    return -1;
}

int caughtInterruption() noexcept {
    return g_caught.load();
}

void throwIfInterrupted() {
    if (const int signal = g_caught.load(); signal != 0) {
        throw Interrupted(signal);
    }
}

void endByInterruption(int) {
    ExitProcess(kEndedByControlC);
}

} // namespace zentory::platform
