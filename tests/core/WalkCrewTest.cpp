// How many threads the walk keeps reading: the rule that sizes the crew from
// the rate it achieves, against file systems made up as rates, and the walk
// itself on a slow file system (a watch that makes each folder wait).

#include "listing/WalkCrew.h"
#include "listing/FolderScan.h"
#include "listing/StatFiles.h"

#include "Files.h"
#include "SlowWatch.h"
#include "TempDir.h"
#include "Trees.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace zentory;
using namespace std::chrono_literals;
using walk::Crew;
using walk::CrewSize;

namespace {

// A file system seen from the walk: the folders per second that `threads`
// threads read in window number `window`.
using RateOf = std::function<double(unsigned threads, int window)>;

// Folders that each wait `ms` milliseconds for a server that serves at most
// `atOnce` requests together.
RateOf share(double ms, unsigned atOnce) {
    return [=](unsigned threads, int) { return 1000.0 / ms * std::min(threads, atOnce); };
}

// Cached folders on a machine with `cores` cores: more threads only cost.
RateOf cached(unsigned cores) {
    return [=](unsigned threads, int) {
        return threads <= cores ? 40000.0 * threads : 40000.0 * cores * 0.9;
    };
}

} // namespace

TEST(WalkCrewSize, GrowsWhileDoublingPaysAndGoesBackWhenItDoesNot) {
    struct Case {
        const char* what;
        Crew crew;
        RateOf rate;
        std::vector<unsigned> sizes; // after each window
    };
    const std::vector<Case> cases = {
        {"cached folders, two cores: one try at four, then two again",
         {2, 64},
         cached(2),
         {4, 2, 2, 2, 2}},
        {"a share that serves 64 at once: four times as many after each step that waited",
         {2, 64},
         share(5, 64),
         {4, 16, 64, 64, 64}},
        {"a share that serves 256 at once", {2, 256}, share(1, 256), {4, 16, 64, 256, 256}},
        {"a share that serves 12 at once: doubling once the rate lags",
         {2, 64},
         share(1, 12),
         {4, 16, 32, 16, 16}},
        {"a disk that gains, but not as much as it was given",
         {2, 64},
         [](unsigned threads, int) {
             return 1000.0 * (threads < 8 ? threads : 8 + threads / 16.0);
         },
         {4, 16, 32, 16, 16}},
        {"the bound holds on a share that would take more", {2, 8}, share(1, 1000), {4, 8, 8, 8}},
        {"a crew fixed by the person", {3, 3}, share(1, 64), {3, 3, 3}},
        {"cached at first, then folders that wait: grows again",
         {2, 64},
         [](unsigned threads, int window) {
             return window < 3 ? cached(2)(threads, window) : share(2, 64)(threads, window);
         },
         {4, 2, 2, 4, 16, 64, 64}},
        {"a crew that grew stays when the rate only wobbles",
         {2, 64},
         [](unsigned threads, int window) {
             return share(1, 16)(threads, window) * (window > 4 && window % 2 == 1 ? 0.6 : 1.0);
         },
         {4, 16, 64, 16, 16, 16, 16, 16, 16}},
    };
    for (const Case& c : cases) {
        CrewSize size(c.crew);
        std::vector<unsigned> sizes;
        for (size_t window = 0; window < c.sizes.size(); ++window) {
            sizes.push_back(size.measured(c.rate(size.threads(), static_cast<int>(window))));
        }
        EXPECT_EQ(sizes, c.sizes) << c.what;
    }
}

// Each folder waits 2 ms, as on a share: the walk keeps many reads in flight,
// or exactly as many as it was told.
TEST(WalkCrewSize, ASlowFileSystemGetsManyReadsInFlightAndAFixedCrewNoMore) {
    const test::TempDir dir;
    test::makeNestedTree(dir.path(), 600); // 120 folders
    for (const char* more : {"/more", "/yet more"}) {
        std::filesystem::create_directory(dir.path() + more);
        test::makeNestedTree(dir.path() + more, 600);
    }
    struct Case {
        unsigned threads;
        size_t fewest, most; // threads reading at once, at the busiest
    };
    const Case cases[] = {{0, 8, walk::kMostThreads}, {3, 3, 3}, {1, 1, 1}};
    const ScanResult plain = ScanFolder(dir.path(), ScanOptions::all(true));
    for (const Case& c : cases) {
        test::CrowdWatch watch(2ms);
        const ScanResult result = ScanFolder(dir.path(), ScanOptions::all(true, c.threads), &watch);
        EXPECT_EQ(result.files.size(), plain.files.size());
        EXPECT_GE(watch.mostAtOnce(), c.fewest) << c.threads << " thread(s) asked for";
        EXPECT_LE(watch.mostAtOnce(), c.most) << c.threads << " thread(s) asked for";
    }
}

// On a slow file system the files of one folder are looked up by whichever
// threads wait for work, in chunks: each file still gets its own size and time.
TEST(WalkCrewSize, SizesAndTimesLookedUpByManyThreadsAreEachFilesOwn) {
    const test::TempDir dir;
    for (int folder = 0; folder < 4; ++folder) {
        for (int file = 0; file <= 40 * (folder % 3); ++file) {
            const std::string path =
                dir.path() + "/f" + std::to_string(folder) + "/s" + std::to_string(file) + ".txt";
            test::writeBytes(path, std::string(static_cast<size_t>(folder * 100 + file), 'x'));
        }
    }
    // More threads than folders: those without one wait, and take look-ups.
    ScanOptions options = ScanOptions::all(true, 8);
    options.fileStats = true;
    test::CrowdWatch watch(2ms);
    const ScanResult result = ScanFolder(dir.path(), options, &watch);
    ASSERT_EQ(result.stats.size(), result.files.size());
    const std::vector<FileStat> oneByOne = statFiles(result.files);
    for (size_t i = 0; i < result.files.size(); ++i) {
        EXPECT_EQ(result.stats[i].size, oneByOne[i].size) << result.files.entry(i);
        EXPECT_EQ(result.stats[i].modified, oneByOne[i].modified) << result.files.entry(i);
    }
}
