// Following a folder walk from another thread: the files found so far, the
// folder being read, and a cancel that stops the walk at once.

#include "listing/ScanWatch.h"
#include "listing/FolderScan.h"
#include "listing/WalkCollector.h"
#include "listing/WalkCrew.h"

#include "Files.h"
#include "SlowWatch.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <set>
#include <thread>

using zentory::ScanFolder;
using zentory::ScanResult;
using zentory::ScanWatch;
using namespace zentory::test;
using namespace std::chrono_literals;

namespace {

class ScanWatchTest : public ::testing::Test {
protected:
    // 40 folders of three files each, and one file at the top.
    ScanWatchTest() {
        writeBytes(dir / "top.txt", "x");
        for (int i = 0; i < 40; ++i) {
            const std::string folder = dir / numberedName("f", i);
            folders.insert(folder);
            for (const char* name : {"/a", "/b", "/c"}) {
                writeBytes(folder + name, "x");
            }
        }
    }

    TempDir dir;
    std::set<std::string> folders;
};

} // namespace

TEST_F(ScanWatchTest, AFollowedWalkListsTheSameAndCountsEveryFile) {
    SlowWatch watch(1ms);
    EXPECT_EQ(watch.folder(), "");
    std::set<std::string> seen;
    auto walk = std::async(std::launch::async, [&] {
        return ScanFolder(dir.path(), zentory::ScanOptions::all(true), &watch);
    });
    while (walk.wait_for(2ms) != std::future_status::ready) {
        seen.insert(watch.folder());
    }
    const ScanResult followed = walk.get();
    const ScanResult plain = ScanFolder(dir.path(), zentory::ScanOptions::all(true));
    EXPECT_FALSE(followed.cancelled);
    ASSERT_EQ(followed.files.size(), 121u);
    for (size_t i = 0; i < plain.files.size(); ++i) {
        EXPECT_EQ(followed.files.entry(i), plain.files.entry(i));
    }
    EXPECT_EQ(watch.files(), 121u);
    // Each noted folder is the chosen one or a real folder below it, and the
    // walk noted more than one while it was followed.
    seen.erase("");
    EXPECT_GT(seen.size(), 2u);
    for (const auto& folder : seen) {
        EXPECT_TRUE(folder == dir.path() || folders.count(folder)) << folder;
    }
}

TEST_F(ScanWatchTest, CancelStopsTheWalkAtOnceAndLeavesNothing) {
    SlowWatch watch(50ms); // 40 folders: two seconds on one thread, one on two
    auto walk = std::async(std::launch::async, [&] {
        return ScanFolder(dir.path(), zentory::ScanOptions::all(true), &watch);
    });
    while (watch.files() < 4) {
        std::this_thread::sleep_for(1ms);
    }
    watch.cancel();
    const ScanResult result = walk.get();
    // Each thread finishes the folder it is in, and at most one that it took
    // as the cancel came: none of the 36 or more folders left is read after.
    EXPECT_LE(watch.enteredAfterCancel(), zentory::walk::crewFor(0).most);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.files.size(), 0u);
    EXPECT_FALSE(result.folderError.has_value());
    EXPECT_TRUE(result.unreadableFolders.empty());
}

TEST_F(ScanWatchTest, AWalkCancelledBeforeItStartsReadsNothing) {
    ScanWatch watch;
    watch.cancel();
    const ScanResult result = ScanFolder(dir.path(), zentory::ScanOptions::all(true), &watch);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.files.size(), 0u);
    EXPECT_EQ(watch.files(), 0u);
}

// A folder of a million files is read entry by entry for seconds on some
// systems: its count must move meanwhile, and a cancel must end that read,
// not wait for its end.
TEST(ScanWatchInAFolder, CountsAndCancelsWithinAFewThousandEntriesOfOneFolder) {
    const zentory::ListFilter rules;
    const zentory::FileFilter filter(rules);
    zentory::FolderOrder order;
    ScanWatch watch;
    zentory::walk::Collector collector(order, true, filter, 0, &watch);
    size_t taken = 0;
    while (taken < 100000 && collector.entry("file.txt", false, {})) {
        if (++taken == 10000) {
            EXPECT_GE(watch.files(), 10000u - 4096u) << "the count follows within the folder";
            EXPECT_EQ(watch.files(), collector.reported());
            watch.cancel();
        }
    }
    EXPECT_GE(taken, 10000u);
    EXPECT_LE(taken, 10000u + 4096u);
}

// On a share each size and time is a round trip: the count of a large folder
// moves as soon as its names are in, before any look-up is done.
TEST(ScanWatchOnAShare, CountMovesBeforeTheSizesAndTimesAreLookedUp) {
    const TempDir dir;
    for (int i = 0; i < 3000; ++i) {
        writeBytes(dir / numberedName("photo", i, ".jpg"), "x");
    }
    CancelGate gate; // holds the first look-up until the count has moved
    LookupWatch watch(0ms, &gate);
    zentory::ScanOptions options = zentory::ScanOptions::all(true);
    options.fileStats = true;
    auto walk =
        std::async(std::launch::async, [&] { return ScanFolder(dir.path(), options, &watch); });
    while (watch.files() < 3000 && !gate.openedByItself()) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(watch.lookups(), 0u);
    gate.open();
    const ScanResult result = walk.get();
    EXPECT_FALSE(gate.openedByItself()) << "the count waited for the look-ups";
    EXPECT_EQ(result.stats.size(), 3000u);
    EXPECT_EQ(watch.lookups(), 3000u);
}

// Cancel with 64 threads each waiting on a look-up: each ends after the file
// it is on, not after its folder or its chunk.
TEST(ScanWatchOnAShare, CancelEndsEveryThreadsLookUpsAfterTheFileItIsOn) {
    const TempDir dir;
    for (int folder = 0; folder < 64; ++folder) {
        for (int i = 0; i < 40; ++i) {
            writeBytes(dir / (numberedName("f", folder) + numberedName("/p", i)), "x");
        }
    }
    LookupWatch watch(2ms);
    zentory::ScanOptions options = zentory::ScanOptions::all(true, 64);
    options.fileStats = true;
    auto walk =
        std::async(std::launch::async, [&] { return ScanFolder(dir.path(), options, &watch); });
    while (watch.lookups() < 200) {
        std::this_thread::sleep_for(1ms);
    }
    watch.cancel();
    const ScanResult result = walk.get();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(watch.lookups(), 64u * 40u);
    EXPECT_LE(watch.lookupsAfterCancel(), 64u);
}
