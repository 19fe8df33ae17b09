// Folders that fight back: folders that vanish or lock up while the walk runs,
// 100,000 files in one folder, a loop through several links, names with every
// byte, and a FIFO, a socket and a device node among the files. Each goes
// through the walk in this process (or a child, where it could block) and
// through zentory-cli as a real process.

#include "listing/FolderScan.h"
#include "platform/TextFile.h"

#include "HostileSupport.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

namespace {

std::vector<std::string> entriesOf(const FileList& files) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < files.size(); ++i) {
        entries.emplace_back(files.entry(i));
    }
    return entries;
}

bool strictlyAscending(const std::vector<std::string>& entries) {
    return std::adjacent_find(entries.begin(), entries.end(), std::greater_equal<>()) ==
           entries.end();
}

void touch(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
        ::close(fd);
    }
}

// Counts the exported lines: CR LF pairs, and whether any line holds a control byte.
std::pair<size_t, bool> exportedLines(const std::string& text) {
    size_t lines = 0;
    bool control = false;
    for (const auto& line : platform::splitLines(text)) {
        ++lines;
        control = control || std::any_of(line.begin(), line.end(), [](char c) {
                      return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
                  });
    }
    return {lines, control};
}

// One round of the race: a tree, the files it holds, and the folders that a
// second thread removes or locks while the walk runs.
struct RaceTree {
    std::set<std::string> files;   // every entry the tree holds at the start
    std::set<std::string> folders; // every folder below the root
    std::vector<std::string> victims;

    RaceTree(const std::string& root, std::mt19937& rng) {
        for (int f = 0; f < 10; ++f) {
            addFile(root + "/f" + std::to_string(f));
        }
        for (int d = 0; d < 80; ++d) {
            const std::string folder = root + "/d" + std::to_string(d);
            addFolder(folder);
            addFolder(folder + "/s");
            for (int f = 0; f < 20; ++f) {
                addFile(folder + "/f" + std::to_string(f));
            }
            for (int f = 0; f < 5; ++f) {
                addFile(folder + "/s/g" + std::to_string(f));
            }
            if (rng() % 3 == 0) {
                victims.push_back(rng() % 3 == 0 ? folder + "/s" : folder);
            }
        }
        // Deeper than the walk keeps folders open: coming back up it opens
        // them again, also when the folder below is gone by then.
        std::string chain = root + "/deep";
        for (int level = 0; level < 90; ++level) {
            addFolder(chain);
            addFile(chain + "/f");
            chain += "/c";
            if (level == 40 + static_cast<int>(rng() % 45)) {
                victims.push_back(chain);
            }
        }
    }
    void addFolder(const std::string& path) {
        fs::create_directory(path);
        folders.insert(path);
    }
    void addFile(const std::string& path) {
        touch(path);
        files.insert(path + "\n");
    }
    // Whether `entry` lies below none of the victims.
    bool untouched(const std::string& entry) const {
        return std::none_of(victims.begin(), victims.end(),
                            [&](const std::string& v) { return entry.starts_with(v + "/"); });
    }
};

// Removes half of the victims and locks the others, the first at once and the
// others after pauses of up to `pauseMicros`, so that they land at random
// moments of the walk.
void strike(const std::vector<std::string>& victims, unsigned seed, unsigned pauseMicros) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < victims.size(); ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % pauseMicros));
        }
        std::error_code ec;
        if ((i + seed) % 2 == 0) {
            fs::remove_all(victims[i], ec);
        } else {
            fs::permissions(victims[i], fs::perms::none, ec);
        }
    }
}

// Rounds of the race as "nobody" (whose locked folders stay locked). Returns
// "rounds min max reported" or the first inconsistency found.
std::string raceRounds(const std::string& base, int rounds) {
    if (!becomeNobody()) {
        return "cannot become nobody";
    }
    size_t fewest = SIZE_MAX, most = 0, reported = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string root = base + "/r" + std::to_string(round);
        fs::create_directory(root);
        std::mt19937 rng(static_cast<unsigned>(round));
        const RaceTree tree(root, rng);
        std::thread striker(strike, std::cref(tree.victims), round, 100);
        const ScanResult result = ScanFolder(root, true);
        striker.join();
        const auto entries = entriesOf(result.files);
        if (result.folderError || !strictlyAscending(entries)) {
            return "round " + std::to_string(round) + ": no list, or not in order";
        }
        const std::set<std::string> listed(entries.begin(), entries.end());
        for (const auto& file : tree.files) {
            if (!listed.contains(file) && tree.untouched(file)) {
                return "round " + std::to_string(round) + ": lost " + file;
            }
        }
        for (const auto& entry : listed) {
            if (!tree.files.contains(entry)) {
                return "round " + std::to_string(round) + ": invented " + entry;
            }
        }
        for (const auto& e : result.unreadableFolders) {
            if (!tree.folders.contains(e.path())) {
                return "round " + std::to_string(round) + ": reported " + e.path();
            }
        }
        fewest = std::min(fewest, listed.size());
        most = std::max(most, listed.size());
        reported += result.unreadableFolders.size();
    }
    return std::to_string(rounds) + " " + std::to_string(fewest) + " " + std::to_string(most) +
           " " + std::to_string(reported);
}

class HostileFolder : public ::testing::Test {
protected:
    RamDir dir;
    const std::string root = dir.path();
};

} // namespace

TEST_F(HostileFolder, FoldersVanishingOrLockedDuringTheWalkLeaveAConsistentSubset) {
    openUpForEveryone(root);
    constexpr int kRounds = 20;
    const Observed o = runInChild([&] { return raceRounds(root, kRounds); }, 120);
    ASSERT_FALSE(o.timedOut);
    ASSERT_EQ(o.status, 0) << o.err;
    std::istringstream result(o.out);
    int rounds = 0;
    size_t fewest = 0, most = 0, reported = 0;
    result >> rounds >> fewest >> most >> reported;
    ASSERT_EQ(rounds, kRounds) << o.out;
    EXPECT_LT(fewest, most); // the strikes did land at different moments
    EXPECT_GT(reported, 0u);
    recordSurvival("folder", "sub-folders removed or locked by a second thread during the walk",
                   std::to_string(rounds) +
                       " walks of 2,100 files: no crash or hang; each list in "
                       "order, every listed file real, every untouched file listed (" +
                       std::to_string(fewest) + " to " + std::to_string(most) + " files); " +
                       std::to_string(reported) + " lost folders reported");
}

// The CLI, run as "nobody", while this process removes and locks folders.
TEST_F(HostileFolder, CliWritesAConsistentSubsetWhileFoldersVanish) {
    openUpForEveryone(root);
    constexpr int kRounds = 6;
    size_t reported = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::string top = root + "/r" + std::to_string(round);
        fs::create_directory(top);
        std::mt19937 rng(static_cast<unsigned>(100 + round));
        const RaceTree tree(top, rng);
        // The CLI needs some milliseconds to start: longer pauses spread the strikes over it.
        std::thread striker(strike, std::cref(tree.victims), round, 6000);
        const Observed cli = runProcess(asNobody({kCliPath, "-r", "-f", "-d", top}), "/", 30);
        striker.join();
        ASSERT_EQ(cli.status, 0) << cli.err;
        std::set<std::string> listed;
        for (const auto& line : platform::splitLines(cli.out)) {
            if (line.starts_with(top + "/")) {
                listed.insert(line + "\n");
            }
        }
        for (const auto& file : tree.files) {
            EXPECT_TRUE(listed.contains(file) || !tree.untouched(file)) << file;
        }
        for (const auto& file : listed) {
            EXPECT_TRUE(tree.files.contains(file)) << file;
        }
        for (const auto& line : platform::splitLines(cli.err)) {
            EXPECT_TRUE(line.starts_with("zentory-cli: cannot read folder '" + top + "/") &&
                        (line.ends_with("': Permission denied") ||
                         line.ends_with("': No such file or directory")))
                << line;
            ++reported;
        }
    }
    recordSurvival("folder", "the same, through the CLI run as nobody",
                   std::to_string(kRounds) +
                       " runs: exit 0, every listed file real, every "
                       "untouched file listed; " +
                       std::to_string(reported) +
                       " lost folders named on standard error, one line each");
}

TEST_F(HostileFolder, HundredThousandFilesInOneFolder) {
    constexpr int kFiles = 100000;
    std::mt19937 rng(7);
    for (int i = 0; i < kFiles; ++i) {
        touch(root + "/" + std::to_string(rng()) + "-" + std::to_string(i) + ".dat");
    }
    const auto start = std::chrono::steady_clock::now();
    const ScanResult result = ScanFolder(root, true);
    const double walkSeconds = detail::secondsSince(start);
    const auto entries = entriesOf(result.files);
    EXPECT_EQ(entries.size(), size_t{kFiles});
    EXPECT_TRUE(strictlyAscending(entries));
    const Observed cli = runProcess({kCliPath, "-d", root}, "/");
    EXPECT_EQ(cli.status, 0);
    EXPECT_EQ(exportedLines(cli.out).first, size_t{kFiles} + 2);
    EXPECT_LT(walkSeconds, builtWithSanitizers() ? 30 : 3);
    EXPECT_LT(cli.seconds, builtWithSanitizers() ? 30 : 3);
    if (!builtWithSanitizers()) {
        EXPECT_LT(cli.peakKiB, 64 * 1024);
    }
    recordSurvival("folder", "100,000 files in one folder",
                   "all listed in order (walk " + secondsText(walkSeconds) + "); CLI exit " +
                       std::to_string(cli.status) + ", " + std::to_string(kFiles + 2) + " lines (" +
                       costText(cli) + ")");
}

TEST_F(HostileFolder, LoopThroughSeveralLinksEndsWhereItComesBack) {
    for (const char* folder : {"a", "b", "c"}) {
        fs::create_directory(root + "/" + folder);
        touch(root + "/" + folder + "/f" + folder);
    }
    fs::create_directory_symlink("../b", root + "/a/l1");
    fs::create_directory_symlink("../c", root + "/b/l2");
    fs::create_directory_symlink("../a", root + "/c/l3");
    fs::create_directory_symlink(".", root + "/self");
    fs::create_symlink("y", root + "/x"); // links that lead to each other, never to a file
    fs::create_symlink("x", root + "/y");

    std::vector<std::string> expected;
    for (const char* path : {"a/fa", "a/l1/fb", "a/l1/l2/fc", "b/fb", "b/l2/fc", "b/l2/l3/fa",
                             "c/fc", "c/l3/fa", "c/l3/l1/fb", "x", "y"}) {
        expected.push_back(root + "/" + path + "\n");
    }
    std::sort(expected.begin(), expected.end());
    const ScanResult result = ScanFolder(root, true);
    EXPECT_EQ(entriesOf(result.files), expected);
    EXPECT_TRUE(result.unreadableFolders.empty());

    const Observed cli = runProcess({kCliPath, "-r", "-d", "-f", root}, "/", 10);
    EXPECT_EQ(cli.status, 0);
    EXPECT_EQ(cli.err, "");
    EXPECT_EQ(exportedLines(cli.out).first, 2 + expected.size() + 5 * 9); // nine folders
    recordSurvival("folder",
                   "a loop through three folder links, a link to its own folder, "
                   "two links that lead to each other",
                   "each link followed until it comes back to a folder on the way: " +
                       std::to_string(result.files.size()) +
                       " entries, the two looping links listed as files; CLI exit " +
                       std::to_string(cli.status) + " in " + secondsText(cli.seconds));
}

TEST_F(HostileFolder, NamesWithEveryByteAreListedExactlyAndExportedAsOneLineEach) {
    std::string every;
    std::vector<std::string> expected;
    for (int b = 1; b <= 0xff; ++b) {
        if (b == '/') {
            continue;
        }
        every += static_cast<char>(b);
        const std::string name = std::string("a") + static_cast<char>(b) + "z";
        touch(root + "/" + name);
        expected.push_back(root + "/" + name + "\n");
    }
    touch(root + "/" + every);
    expected.push_back(root + "/" + every + "\n");
    std::sort(expected.begin(), expected.end());

    const ScanResult result = ScanFolder(root, false);
    EXPECT_EQ(entriesOf(result.files), expected);
    const Observed cli = runProcess({kCliPath, "-d", root}, "/");
    EXPECT_EQ(cli.status, 0);
    const auto [lines, control] = exportedLines(cli.out);
    EXPECT_EQ(lines, expected.size() + 2);
    EXPECT_FALSE(control);
    EXPECT_NE(cli.out.find("\r\na\x80z\r\n"), std::string::npos);
    EXPECT_NE(cli.out.find("\r\na?z\r\n"), std::string::npos);
    recordSurvival("folder",
                   "names with every byte 0x01-0xFF (LF included), and one name "
                   "holding them all",
                   std::to_string(result.files.size()) +
                       " entries with their exact bytes, in byte order; CLI exit " +
                       std::to_string(cli.status) +
                       ", one line per file, control bytes "
                       "written as \"?\", bytes 0x80-0xFF as held");
}

TEST_F(HostileFolder, FifoSocketAndDeviceAreListedButNeverOpened) {
    fs::create_directory(root + "/sub");
    std::vector<std::string> specials = {root + "/fifo", root + "/sub/fifo"};
    for (const auto& fifo : specials) {
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    }
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string sockPath = root + "/sock";
    ASSERT_LT(sockPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, sockPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    specials.push_back(sockPath);
    const bool device = runningAsRoot(); // mknod needs root: a null device of our own
    if (device) {
        ASSERT_EQ(::mknod((root + "/dev").c_str(), S_IFCHR | 0644, ::makedev(1, 3)), 0);
        specials.push_back(root + "/dev");
    }
    fs::create_symlink("fifo", root + "/fifolink");

    // Every open of a special file shows as an event here.
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    for (const auto& path : specials) {
        ASSERT_GE(::inotify_add_watch(watch, path.c_str(), IN_OPEN | IN_ACCESS), 0);
    }
    auto opens = [&] {
        char buf[4096];
        ssize_t total = 0;
        for (ssize_t n; (n = ::read(watch, buf, sizeof buf)) > 0;) {
            total += n;
        }
        return total / static_cast<ssize_t>(sizeof(inotify_event));
    };

    const Observed walk = runInChild(
        [&] {
            std::string listed;
            for (const auto& entry : entriesOf(ScanFolder(root, true).files)) {
                listed += entry.substr(root.size() + 1);
            }
            return listed;
        },
        10);
    EXPECT_FALSE(walk.timedOut);
    EXPECT_EQ(walk.out, std::string(device ? "dev\n" : "") + "fifo\nfifolink\nsock\nsub/fifo\n");
    const Observed cli = runProcess({kCliPath, "-r", "-d", root}, "/", 10);
    EXPECT_FALSE(cli.timedOut);
    EXPECT_EQ(cli.status, 0);
    EXPECT_EQ(exportedLines(cli.out).first, 2 + specials.size() + 1 + 5);
    EXPECT_EQ(opens(), 0);

    // The watch does see an open: the zero above is no blind spot.
    const int fd = ::open(specials[0].c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_GT(opens(), 0);
    ::close(fd);
    ::close(watch);
    ::close(sock);
    recordSurvival("folder",
                   std::string("a FIFO (also in a sub-folder and through a link), a "
                               "socket") +
                       (device ? " and a device node" : ""),
                   "listed as files and never opened (no open seen by inotify); the walk took " +
                       secondsText(walk.seconds) + ", the CLI exit " + std::to_string(cli.status) +
                       " in " + secondsText(cli.seconds));
}
