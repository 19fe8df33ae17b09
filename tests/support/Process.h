#pragma once
// Processes for tests: a program run as a real process, or work done in a
// forked child, each with a time limit and its peak memory measured, so that a
// hang or a runaway shows as a result instead of stopping the run.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zentory::test {

// What came of a process or a child's work.
struct Observed {
    int status = -1;       // exit status; -1 when it did not exit normally
    bool timedOut = false; // killed at the time limit
    double seconds = 0;    // wall-clock time
    long peakKiB = 0;      // peak resident memory (the growth, for work in a child)
    std::string out, err;  // standard output and error (the result, for work in a child)
};

// A bound on the time of work that takes well under a second: only a hang or a
// runaway passes it, not a busy shared machine or a sanitizer build. Speed is
// measured by the benchmarks.
inline constexpr double kGenerousSeconds = 60;

double secondsSince(std::chrono::steady_clock::time_point start);

// Runs `argv` (argv[0] a path or a name on PATH) in `cwd` with the C locale,
// standard input from /dev/null, and kills it (and its group) after `limitSeconds`.
Observed runProcess(const std::vector<std::string>& argv, const std::string& cwd,
                    double limitSeconds = 30);
// As runProcess, the program allowed at most `openFiles` open files (0: as
// this process) and holding none but its standard streams at its start.
Observed runProcessWithOpenFileLimit(const std::vector<std::string>& argv, const std::string& cwd,
                                     unsigned long openFiles, double limitSeconds = 30);

// Runs `work` in a child process and gives back the text it returned (in
// `out`; an escaping exception's message in `err`, with status 1), the time it
// took and how far it raised the peak memory. The child is killed after
// `limitSeconds`.
Observed runInChild(const std::function<std::string()>& work, double limitSeconds = 30);

// Runs `body` in a child process allowed at most `openFiles` open files and
// returns its exit code, or -1 when it did not exit normally.
int withOpenFileLimit(unsigned long openFiles, const std::function<int()>& body);

// How far this process's resident memory rises above its size at construction.
class PeakMemory {
public:
    PeakMemory();
    long growthKiB() const;

private:
    long m_base = 0;
};

// Memory figures mean nothing under the sanitizers, which keep freed memory.
constexpr bool builtWithSanitizers() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

// "0.3 s" for the survival table.
std::string secondsText(double seconds);

// "0.3 s, 42 MiB" for the survival table.
std::string costText(const Observed& o);

} // namespace zentory::test
