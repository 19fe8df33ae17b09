// The walk on very deep trees, on several threads, and with few open files.

#include "FolderScanFixture.h"
#include "Process.h"

#include <filesystem>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

// 100,000 levels: no recursion limit, paths far beyond PATH_MAX, and a bounded
// number of open folders that are opened again on the way up (the sibling "e"
// of a deep level needs its parent after the whole chain below it).
TEST(FolderScanDepth, VeryDeepTreeIsWalkedCompletely) {
    constexpr int kDepth = 100000;
    DeepTreeDir dir;
    const std::string root = dir.path();
    std::vector<std::string> expected;
    makeChain(root, kDepth, [&](int level) {
        if (level % 20000 == 0 || level == kDepth) {
            touch("f");
            expected.push_back(root + repeat("/d", level) + "/f\n");
        }
        if (level % 25000 == 0) {
            fs::create_directory("e");
            touch("e/g");
            expected.push_back(root + repeat("/d", level) + "/e/g\n");
        }
    });
    ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true));
    EXPECT_FALSE(result.folderError.has_value());
    EXPECT_TRUE(result.unreadableFolders.empty());
    EXPECT_EQ(entriesOf(result.files), sorted(expected));
}

// Coming back up from deep below a link, the folder above the link cannot be
// reached through ".." and is opened again by name.
TEST_F(FolderScan, DeepTreeBelowALinkIsLeftCorrectly) {
    touch(root + "/x/a.txt");
    touch(root + "/x/zz/z.txt");
    fs::create_directory(root + "/target");
    makeChain(root + "/target", 150, [&](int level) {
        if (level == 150) {
            touch("bottom");
        }
    });
    fs::create_directory_symlink("../target", root + "/x/link");

    ScanResult result = scan(true);
    const std::string chain = repeat("/d", 150) + "/bottom";
    EXPECT_EQ(entriesOf(result.files),
              entries(root, {"target" + chain, "x/a.txt", "x/link" + chain, "x/zz/z.txt"}));
    EXPECT_TRUE(result.unreadableFolders.empty());
}

// Folders are read on several threads at once; whichever thread reads which
// folder, and in whatever order they finish, the list is the plain sort.
TEST(FolderScanThreads, AnyNumberOfThreadsGivesThePlainSortEveryTime) {
    DeepTreeDir dir; // thousands of files: on the RAM file system when there is one
    const std::string root = dir.path();
    const std::vector<std::string> parts = {"a",    "A",        "b",    ".", "-",  " ",   "0", "\n",
                                            "\x01", "\xc3\xa4", "\xff", "~", "ab", "a.b", "zz"};
    // Mostly below the newest folders, so the tree is deep as well as wide.
    auto [folders, expected] = makeRandomTree(root, parts, 7, 4000, 4, 3, 40);
    // A link to a folder beside is walked; a link up to the chosen folder is not.
    touch(root + "/side/s1");
    touch(root + "/side/s2");
    fs::create_directory_symlink(root + "/side", folders[folders.size() / 2] + "/to-side");
    fs::create_directory_symlink(root, folders.back() + "/to-top");
    for (const std::string& under : {root + "/side", folders[folders.size() / 2] + "/to-side"}) {
        expected.push_back(under + "/s1\n");
        expected.push_back(under + "/s2\n");
    }
    expected = sorted(expected);
    ASSERT_GT(folders.size(), 800u);

    for (unsigned threads : {1u, 2u, 3u, 8u, 16u}) {
        for (int run = 0; run < 4; ++run) {
            const ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true, threads));
            const auto got = entriesOf(result.files);
            ASSERT_TRUE(got == expected)
                << threads << " threads, run " << run << ", " << firstDifference(got, expected);
            EXPECT_TRUE(result.unreadableFolders.empty());
        }
    }
}

TEST_F(FolderScan, UnreadableFoldersAreNamedInListOrderOnAnyNumberOfThreads) {
    std::vector<std::string> locked;
    for (const char* folder : {"b/locked", "a/x/locked", "c", "a/locked", "b/y/z/locked"}) {
        touch(root + "/" + folder + "/secret");
        locked.push_back(root + "/" + folder);
    }
    std::vector<std::string> readable;
    for (const char* file : {"a/x/1", "a/2", "b/y/z/3", "b/y/4", "5", "d/6"}) {
        touch(root + "/" + file);
        readable.push_back(root + "/" + file + "\n");
    }
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_directory()) {
            openUpForEveryone(e.path().string());
        }
    }
    openUpForEveryone(root);
    for (const auto& folder : locked) {
        fs::permissions(folder, fs::perms::none);
    }
    const std::vector<std::string> listed = sorted(readable);
    const std::vector<std::string> named = sorted(locked);

    const int status = runAsNobody([&] {
        for (unsigned threads : {1u, 2u, 8u}) {
            for (int run = 0; run < 3; ++run) {
                const ScanResult result =
                    ScanFolder(root, zentory::ScanOptions::all(true, threads));
                std::vector<std::string> reported;
                for (const auto& error : result.unreadableFolders) {
                    reported.push_back(error.path());
                }
                if (entriesOf(result.files) != listed) {
                    return 1;
                }
                if (reported != named) {
                    return 2;
                }
            }
        }
        return 0;
    });
    EXPECT_EQ(status, 0) << "1: wrong list, 2: folders not named in list order";
}

// With few open files allowed, folders waiting for their sub-folders to be read
// are closed and opened again through their path from above, links included.
TEST(FolderScanThreads, FewOpenFilesAreEnoughForManyFoldersWaitingAtOnce) {
    DeepTreeDir dir;
    const std::string root = dir.path();
    constexpr int kDepth = 200;
    std::vector<std::string> expected;
    std::string level = root + "/real";
    for (int i = 1; i <= kDepth; ++i) {
        touch(level + "/b/f");
        touch(level + "/x");
        for (const char* top : {"/link", "/real"}) {
            const std::string here = root + top + level.substr(root.size() + 5);
            expected.push_back(here + "/b/f\n");
            expected.push_back(here + "/x\n");
        }
        level += "/a";
    }
    fs::create_directory_symlink("real", root + "/link");
    expected = sorted(expected);

    const int status = withOpenFileLimit(64, [&] {
        for (unsigned threads : {1u, 2u, 8u}) {
            const ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true, threads));
            if (entriesOf(result.files) != expected || !result.unreadableFolders.empty()) {
                return static_cast<int>(threads);
            }
        }
        return 0;
    });
    EXPECT_EQ(status, 0) << "the walk on that many threads went wrong";
}
