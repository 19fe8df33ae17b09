// Folders that fight back, through the walk in this process (or a child, where
// it could block): folders that vanish or lock up while the walk runs, 100,000
// files in one folder, a loop through several links, names with every byte,
// and a FIFO, a socket and a device node among the files. The CLI's side of
// each is in tests/cli.

#include "listing/FolderScan.h"

#include "Files.h"
#include "Nobody.h"
#include "NonRegularFiles.h"
#include "Process.h"
#include "RaceTree.h"
#include "RamDir.h"
#include "SurvivalLog.h"
#include "Trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

namespace {

bool strictlyAscending(const std::vector<std::string>& entries) {
    return std::adjacent_find(entries.begin(), entries.end(), std::greater_equal<>()) ==
           entries.end();
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
        const ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true));
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

TEST_F(HostileFolder, HundredThousandFilesInOneFolder) {
    constexpr int kFiles = 100000;
    std::mt19937 rng(7);
    for (int i = 0; i < kFiles; ++i) {
        touch(root + "/" + std::to_string(rng()) + "-" + std::to_string(i) + ".dat");
    }
    const auto start = std::chrono::steady_clock::now();
    const ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true));
    const double walkSeconds = secondsSince(start);
    const auto entries = entriesOf(result.files);
    EXPECT_EQ(entries.size(), size_t{kFiles});
    EXPECT_TRUE(strictlyAscending(entries));
    EXPECT_LT(walkSeconds, kGenerousSeconds);
    recordSurvival("folder", "100,000 files in one folder",
                   "all listed in order (walk " + secondsText(walkSeconds) + ")");
}

TEST_F(HostileFolder, LoopThroughSeveralLinksEndsWhereItComesBack) {
    const std::vector<std::string> expected = makeLinkLoops(root);
    const ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true));
    EXPECT_EQ(entriesOf(result.files), expected);
    EXPECT_TRUE(result.unreadableFolders.empty());
    recordSurvival("folder",
                   "a loop through three folder links, a link to its own folder, "
                   "two links that lead to each other",
                   "each link followed until it comes back to a folder on the way: " +
                       std::to_string(result.files.size()) +
                       " entries, the two looping links listed as files");
}

TEST_F(HostileFolder, NamesWithEveryByteAreListedExactly) {
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

    const ScanResult result = ScanFolder(root, zentory::ScanOptions::all(false));
    EXPECT_EQ(entriesOf(result.files), sorted(expected));
    recordSurvival("folder",
                   "names with every byte 0x01-0xFF (LF included), and one name "
                   "holding them all",
                   std::to_string(result.files.size()) +
                       " entries with their exact bytes, in byte order");
}

TEST_F(HostileFolder, FifoSocketAndDeviceAreListedButNeverOpened) {
    NonRegularFiles specials(root);
    ASSERT_TRUE(specials.ok());
    const Observed walk = runInChild(
        [&] {
            std::string listed;
            for (const auto& entry :
                 entriesOf(ScanFolder(root, zentory::ScanOptions::all(true)).files)) {
                listed += entry.substr(root.size() + 1);
            }
            return listed;
        },
        10);
    EXPECT_FALSE(walk.timedOut);
    EXPECT_EQ(walk.out, specials.listing());
    EXPECT_EQ(specials.opens(), 0);

    // The watch does see an open: the zero above is no blind spot.
    const int fd = ::open(specials.paths()[0].c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_GT(specials.opens(), 0);
    ::close(fd);
    recordSurvival("folder", specials.caseText(),
                   "listed as files and never opened (no open seen by inotify); the walk took " +
                       secondsText(walk.seconds));
}
