// zentory-cli stopped by SIGINT, SIGTERM or SIGHUP in the middle of writing a
// long list: its temporary file is gone, a file rewritten where it is has its
// old text back, and the process ends as that signal ends it.

#include "CliSupport.h"
#include "RamDir.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory::test;

namespace {

// 50,000 files below a path of 1,500 bytes: with -f the list runs to about 77 MB.
class LongListTree {
public:
    LongListTree() {
        m_folder = m_root.path();
        for (int level = 0; level < 6; ++level) {
            m_folder += "/" + std::string(250, static_cast<char>('a' + level));
        }
        fs::create_directories(m_folder);
        for (int i = 0; i < 50000; ++i) {
            ::close(::open((m_folder + "/file-" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY,
                           0644));
        }
    }
    const std::string& folder() const { return m_folder; }

private:
    RamDir m_root;
    std::string m_folder;
};

struct Interruption {
    bool midWrite = false; // the CLI was stopped while the list was being written
    int signal = 0;        // the signal that ended it, 0 when it exited
    std::string err;
};

// Runs the CLI writing `tree` to `target`. At the first `mask` event on
// `watched` it is stopped; when `midWrite` then says the list is half written,
// `signal` is sent before it goes on.
Interruption interrupt(const std::string& target, const std::string& tree,
                       const std::string& watched, uint32_t mask, int signal,
                       const std::function<bool()>& midWrite) {
    const TempDir io;
    const int events = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(events, watched.c_str(), mask);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open((io / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(err, 2);
        ::execl(kCliPath.c_str(), kCliPath.c_str(), "-f", "-o", target.c_str(), tree.c_str(),
                nullptr);
        ::_exit(127);
    }
    Interruption result;
    pollfd p{events, POLLIN, 0};
    if (::poll(&p, 1, 30000) == 1) {
        ::kill(pid, SIGSTOP);
        int raw = 0;
        if (::waitpid(pid, &raw, WUNTRACED) == pid && WIFSTOPPED(raw)) {
            result.midWrite = midWrite();
            ::kill(pid, result.midWrite ? signal : SIGKILL);
            ::kill(pid, SIGCONT);
        }
    }
    ::close(events);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    result.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    result.err = readBytes(io / "err");
    return result;
}

class HostileInterrupt : public ::testing::Test {
protected:
    HostileInterrupt() { writeBytes(dir / "list.txt", "earlier export"); }

    TempDir dir;
};

} // namespace

TEST_F(HostileInterrupt, SignalDuringAReplacementRemovesTheTemporaryFile) {
    const LongListTree tree;
    std::string outcome;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const Interruption r = interrupt(dir / "list.txt", tree.folder(), dir.path(), IN_CREATE,
                                         signal, [&] { return namesIn(dir.path()).size() == 2; });
        ASSERT_TRUE(r.midWrite) << "the export ended before it could be stopped";
        EXPECT_EQ(r.signal, signal);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(readBytes(dir / "list.txt"), "earlier export");
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
        outcome += (outcome.empty() ? "SIG" : ", SIG") + std::string(sigabbrev_np(signal));
    }
    recordSurvival(
        "export target", "SIGINT, SIGTERM, SIGHUP while a 77 MB list is written beside the file",
        "ended by the signal (" + outcome + "), silent; the earlier file whole, no temporary file");
}

TEST_F(HostileInterrupt, SignalDuringARewriteInPlacePutsTheOldTextBack) {
    const LongListTree tree;
    fs::create_hard_link(dir / "list.txt", dir / "copy.txt");
    const Interruption r =
        interrupt(dir / "list.txt", tree.folder(), dir / "list.txt", IN_MODIFY, SIGTERM,
                  [&] { return readBytes(dir / "copy.txt") != "earlier export"; });
    ASSERT_TRUE(r.midWrite) << "the export ended before it could be stopped";
    EXPECT_EQ(r.signal, SIGTERM);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readBytes(dir / "list.txt"), "earlier export");
    EXPECT_EQ(fs::hard_link_count(dir / "list.txt"), 2u);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"copy.txt", "list.txt"}));
    recordSurvival("export target", "SIGTERM while a 77 MB list overwrites a file with two links",
                   "ended by SIGTERM; the old text put back under both names");
}
