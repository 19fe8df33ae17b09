// The window asked to end by a signal, as a process of its own (offscreen): at
// rest, while a folder is read with the progress window up, with the About box
// open, and in the middle of a save over a file with two names. It ends by
// that signal, soon, and leaves the old text or the whole new list.

#include "FileEventStop.h"
#include "GuiTestSupport.h"
#include "Process.h"
#include "RamDir.h"
#include "SurvivalLog.h"

#include "export/TextExport.h"
#include "listing/FolderScan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

namespace {

const std::string kWindow = ZENTORY_GUI_PATH;
const std::string kDriver = ZENTORY_WINDOW_DRIVER_PATH;
const std::string kOldText = "earlier export";

// `exe` in a folder of its own beside the shipped data files, set to English.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::string& exe) : m_exe(m_dir / fs::path(exe).filename()) {
        std::error_code ec;
        fs::create_hard_link(exe, m_exe, ec);
        if (ec) {
            fs::copy_file(exe, m_exe);
        }
        std::string config = readBytes(shippedFile("config.ini"));
        config.replace(config.find("[----]"), 6, "[1033]");
        writeBytes(m_dir / "config.ini", config);
        writeBytes(m_dir / "zentorytrl.ini", readBytes(shippedFile("zentorytrl.ini")));
    }
    const std::string& exe() const { return m_exe; }
    const std::string& folder() const { return m_dir.path(); }

private:
    TempDir m_dir;
    std::string m_exe;
};

// A window process: its id and the reading end of its standard output.
struct Started {
    pid_t pid = -1;
    int out = -1;
};

Started start(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("LC_ALL", "C", 1);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(pipeFds[1], 1);
        ::dup2(null, 2);
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

// Whether `fd` becomes readable within `ms` milliseconds.
bool readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1;
}

// Whether the driver said "ready" (its only output) within thirty seconds.
bool waitForReady(const Started& window) {
    char said[6] = {};
    return readable(window.out, 30000) && ::read(window.out, said, sizeof said) == 6 &&
           std::string(said, 6) == "ready\n";
}

// Whether the folder watched by `events` (IN_CLOSE_NOWRITE) was closed within
// thirty seconds: a window that reads it without its sub-folders has read it.
bool closedAfterReading(int events) {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        if (!readable(events, 30000)) {
            return false;
        }
        const ssize_t got = ::read(events, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((e->mask & IN_CLOSE_NOWRITE) != 0 && e->len == 0) {
                return true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
}

struct Ending {
    int signal = 0; // the signal that ended it; 0 when it exited or hung
    bool hung = false;
    double seconds = 0; // from the signal to the end
};

// Sends `signal` (unless 0) and waits up to a minute for the process to end;
// kills it when it does not.
Ending endBy(const Started& window, int signal) {
    const auto sent = std::chrono::steady_clock::now();
    if (signal != 0) {
        ::kill(window.pid, signal);
    }
    Ending ending;
    int raw = 0;
    while (::waitpid(window.pid, &raw, WNOHANG) == 0) {
        if (secondsSince(sent) > kGenerousSeconds) {
            ending.hung = true;
            ::kill(window.pid, SIGKILL);
            ::waitpid(window.pid, &raw, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ending.seconds = secondsSince(sent);
    ending.signal = !ending.hung && WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    ::close(window.out);
    return ending;
}

// A bound that only a window that does not end passes: ending takes
// milliseconds; the slow read would take half a minute.
constexpr double kPromptly = 5;

// The names and bytes of every file in `folder`.
std::vector<std::string> contentsOf(const std::string& folder) {
    std::vector<std::string> contents;
    for (const auto& name : namesIn(folder)) {
        contents.push_back(name + ": " + readBytes(folder + "/" + name));
    }
    return contents;
}

// A moment to end the window at: the zentory program itself at rest once it
// has read its folder (no `mode`), or the driver in a dialog: the progress
// window of a slow read (which has threads of its own), the About box (a
// modal loop of its own).
struct SignalCase {
    const char* name;
    const char* mode;
    int signal;
    const char* situation; // the survival table's case
};

void PrintTo(const SignalCase& c, std::ostream* out) {
    *out << c.name;
}

const char* const kAtRest = "SIGTERM, SIGHUP, SIGINT while it waits with a folder read";
const SignalCase kSignalCases[] = {
    {"AtRestTerm", "", SIGTERM, kAtRest},
    {"AtRestHangUp", "", SIGHUP, kAtRest},
    {"AtRestInterrupt", "", SIGINT, kAtRest},
    {"SlowReadWithProgressWindow", "read", SIGTERM,
     "SIGTERM while a slow read of 400 folders shows its progress window"},
    {"AboutBoxOpen", "about", SIGTERM, "SIGTERM while the About box is open"},
};

class HostileWindowSignal : public ::testing::TestWithParam<SignalCase> {};

} // namespace

TEST_P(HostileWindowSignal, TheWindowEndsByTheSignalPromptlyAndWritesNothing) {
    const SignalCase& c = GetParam();
    const bool atRest = *c.mode == '\0';
    const ProgramCopy program(atRest ? kWindow : kDriver);
    RamDir tree;
    for (int i = 0; i < 400; ++i) {
        writeBytes(tree / ("folder-" + std::to_string(i) + "/file.txt"), "x");
    }
    const std::vector<std::string> before = contentsOf(program.folder());
    const int events = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(events, tree.path().c_str(), IN_OPEN | IN_CLOSE_NOWRITE), 0);
    const Started window =
        start(atRest ? std::vector<std::string>{program.exe(), tree.path()}
                     : std::vector<std::string>{program.exe(), c.mode, tree.path()});
    ASSERT_GT(window.pid, 0);
    // At rest: the folder is read once the event loop runs, and soon done.
    const bool ready = atRest ? closedAfterReading(events) : waitForReady(window);
    ::close(events);
    const Ending ending = endBy(window, c.signal);
    ASSERT_TRUE(ready) << "the window did not get there";
    EXPECT_FALSE(ending.hung);
    EXPECT_EQ(ending.signal, c.signal);
    EXPECT_LT(ending.seconds, kPromptly);
    EXPECT_EQ(contentsOf(program.folder()), before);
    recordSurvival("the window", c.situation,
                   std::string("ended by SIG") + sigabbrev_np(c.signal) + " in " +
                       std::to_string(static_cast<long>(ending.seconds * 1000)) +
                       " ms, nothing written" + (atRest ? "" : ", the dialog closed") +
                       (std::string(c.mode) == "read" ? ", the read cancelled" : ""));
}

INSTANTIATE_TEST_SUITE_P(Moments, HostileWindowSignal, ::testing::ValuesIn(kSignalCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The save rewrites the file in place (it has a second name); SIGTERM comes
// once the file itself has begun to change.
TEST(HostileWindowInterrupt, DuringASaveOverAFileWithTwoNamesTheOldTextOrTheWholeListStays) {
    const ProgramCopy program(kDriver);
    // 20,000 files below a path of 1,500 bytes: with full paths a list of 31 MB.
    RamDir root;
    std::string folder = root.path();
    for (int level = 0; level < 6; ++level) {
        folder += "/" + std::string(250, static_cast<char>('a' + level));
    }
    fs::create_directories(folder);
    for (int i = 0; i < 20000; ++i) {
        touch(folder + "/file-" + std::to_string(i));
    }
    const TempDir dir;
    writeBytes(dir / "list.txt", kOldText);
    fs::create_hard_link(dir / "list.txt", dir / "copy.txt");

    FileEventStop events(dir / "list.txt", IN_MODIFY);
    const Started window = start({program.exe(), "save", folder, dir / "list.txt"});
    ASSERT_GT(window.pid, 0);
    // Once the file itself has begun to change.
    const bool begun = events.signalAt(window.pid, SIGTERM, [](pid_t) { return true; });
    const Ending ending = endBy(window, 0);
    ASSERT_TRUE(begun) << "the save ended before it could be stopped";
    EXPECT_FALSE(ending.hung);
    EXPECT_EQ(ending.signal, SIGTERM);

    ExportOptions options;
    options.showFullPath = true;
    options.showDateTime = false;
    const ScanResult scan = ScanFolder(folder, zentory::ScanOptions::all(false));
    const std::string whole =
        composeExport({scan.files, folder, options, {"Contents of", "Folder"}, {}});
    const std::string left = readBytes(dir / "list.txt");
    EXPECT_TRUE(left == kOldText || left == whole)
        << "a mix: " << left.size() << " bytes, the list has " << whole.size();
    EXPECT_EQ(fs::hard_link_count(dir / "list.txt"), 2u);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"copy.txt", "list.txt"}));
    recordSurvival("the window", "SIGTERM while a 31 MB list is saved over a file with two links",
                   std::string("ended by SIGTERM; ") +
                       (left == kOldText ? "the old text put back" : "the whole new list") +
                       " under both names, no box shown");
}
