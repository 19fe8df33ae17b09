#pragma once
// SIGINT, SIGTERM and SIGHUP turned into a flag that long writes look at, so
// that a command-line export stopped by the user unwinds: its temporary file
// goes and the old file stays whole. The program then ends as the signal
// would have ended it. While no write is under way (no InterruptionGuard
// lives) a caught signal ends the program at once, as if it were not caught.

#include <exception>

namespace zentory::platform {

// Thrown by writes that see a caught signal.
class Interrupted : public std::exception {
public:
    explicit Interrupted(int signal) : m_signal(signal) {}
    const char* what() const noexcept override { return "interrupted"; }
    int signal() const { return m_signal; }

private:
    int m_signal;
};

// Lives while a write has something to take back: a caught signal then only
// sets the flag.
class InterruptionGuard {
public:
    InterruptionGuard() noexcept;
    ~InterruptionGuard();
    InterruptionGuard(const InterruptionGuard&) = delete;
    InterruptionGuard& operator=(const InterruptionGuard&) = delete;
};

// From now on SIGINT, SIGTERM and SIGHUP only set the flag. A blocked write
// returns early, without restarting, so that the flag is seen at once.
void catchInterruptions();
// The caught signal, or 0.
int caughtInterruption() noexcept;
// Throws Interrupted when a signal was caught.
void throwIfInterrupted();
// Ends the process by `signal` with its default action.
[[noreturn]] void endByInterruption(int signal);

} // namespace zentory::platform
