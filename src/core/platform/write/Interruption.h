#pragma once
// The signals that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGPIPE) turned into a flag that long writes look at, so that an export
// stopped by the user unwinds: a replacement file goes, a file rewritten in
// place is either put back or finished, and the program then ends as the
// signal would have ended it. SIGXFSZ is caught by a handler that does
// nothing, so a file size limit makes a write fail (EFBIG) instead of killing
// the program halfway.
//
// Two ways to catch them:
//  - catchInterruptions() (the command line): while no write is under way (no
//    InterruptionGuard lives) a caught signal ends the program at once, as if
//    it were not caught.
//  - catchInterruptionsForEventLoop() (the window): a caught signal only sets
//    the flag and makes interruptionDescriptor() readable; the event loop then
//    ends the program once no write is under way.

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

// Holds the caught signals off in the calling thread while it lives: steps
// that must not be cut in two (an in-place rewrite) run under it, and a signal
// sent meanwhile is acted on once it is gone.
class SignalsHeld {
public:
    SignalsHeld() noexcept;
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    unsigned char m_old[128]; // the thread's previous signal mask (a sigset_t)
};

// From now on the signals above only set the flag (while a write is under
// way). A blocked write returns early, without restarting, so that the flag is
// seen at once.
void catchInterruptions();
// As catchInterruptions(), but a caught signal never ends the program by
// itself: it sets the flag and makes interruptionDescriptor() readable.
void catchInterruptionsForEventLoop();
// A descriptor that becomes readable when a signal was caught under
// catchInterruptionsForEventLoop(); -1 before that.
int interruptionDescriptor() noexcept;
// The caught signal, or 0.
int caughtInterruption() noexcept;
// Throws Interrupted when a signal was caught.
void throwIfInterrupted();
// Ends the process by `signal` with its default action.
[[noreturn]] void endByInterruption(int signal);

} // namespace zentory::platform
