// The folder walk and the order of the file list, on real temporary trees.

#include "listing/FolderScan.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using zentory::FileList;
using zentory::ScanFolder;
using zentory::ScanResult;
using zentory::test::TempDir;
using zentory::test::writeBytes;

namespace {

std::vector<std::string> entriesOf(const FileList& files) {
    std::vector<std::string> entries;
    for (size_t i = 0; i < files.size(); ++i) {
        entries.emplace_back(files.entry(i));
    }
    return entries;
}

// Entries "folder/name" + LF for each name, in the order given.
std::vector<std::string> entries(const std::string& folder, std::vector<std::string> names) {
    for (auto& name : names) {
        name = folder + "/" + name + "\n";
    }
    return names;
}

// Where two lists part, for a readable failure message on long lists.
std::string firstDifference(const std::vector<std::string>& got,
                            const std::vector<std::string>& expected) {
    const auto [g, e] = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
    if (g == got.end() && e == expected.end()) {
        return "none";
    }
    return "entry " + std::to_string(g - got.begin()) + " of " + std::to_string(got.size()) + "/" +
           std::to_string(expected.size()) + ": got '" + (g == got.end() ? "(end)" : *g) +
           "', expected '" + (e == expected.end() ? "(end)" : *e) + "'";
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

void touch(const std::string& path) {
    writeBytes(path, "x");
}

// A file in the working folder.
// A random tree of tricky names below `root`, made of `steps` tries: each picks
// a parent (any folder, or one of the `recent` newest when that is not 0) and a
// name of one to `maxParts` pieces, and makes a folder one time in `folderOdds`,
// else a file. `expected` holds the entries a walk must list (names ending in
// "." never are).
struct RandomTree {
    std::vector<std::string> folders;
    std::vector<std::string> expected;
};

RandomTree makeRandomTree(const std::string& root, const std::vector<std::string>& parts,
                          unsigned seed, int steps, size_t maxParts, size_t folderOdds,
                          size_t recent) {
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    RandomTree tree;
    tree.folders = {root};
    for (int i = 0; i < steps; ++i) {
        auto& folders = tree.folders;
        const std::string& parent =
            recent == 0 ? folders[pick(folders.size())]
                        : folders[folders.size() - 1 - pick(std::min(folders.size(), recent))];
        std::string name = parts[pick(parts.size())];
        for (size_t more = pick(maxParts); more > 0; --more) {
            name += parts[pick(parts.size())];
        }
        const std::string path = parent + "/" + name;
        if (name == "." || name == ".." || fs::exists(fs::symlink_status(path))) {
            continue;
        }
        if (pick(folderOdds) == 0) {
            fs::create_directory(path);
            folders.push_back(path);
        } else {
            touch(path);
            if (name.back() != '.') {
                tree.expected.push_back(path + "\n");
            }
        }
    }
    return tree;
}

void touchHere(const std::string& name) {
    std::ofstream(name) << "x";
}

// Creates `depth` nested folders "d" below `base` by relative steps, so no path
// limit applies; `atLevel(level)` runs inside each new folder to add more.
void makeChain(const std::string& base, int depth, const std::function<void(int)>& atLevel) {
    const fs::path saved = fs::current_path();
    fs::current_path(base);
    for (int level = 1; level <= depth; ++level) {
        fs::create_directory("d");
        fs::current_path("d");
        atLevel(level);
    }
    fs::current_path(saved);
}

// A temporary folder for a very deep tree, on the RAM file system when there is
// one (creating and removing 100,000 nested folders on a disk takes half a
// minute), removed by rm, which unlike std::filesystem has no path limit.
class DeepTreeDir {
public:
    DeepTreeDir() {
        std::error_code ec;
        const bool ram = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0;
        std::string pattern = (ram ? std::string("/dev/shm") : fs::temp_directory_path().string()) +
                              "/zentory-deep-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
    }
    ~DeepTreeDir() { (void)std::system(("rm -rf '" + m_path + "'").c_str()); }
    DeepTreeDir(const DeepTreeDir&) = delete;
    DeepTreeDir& operator=(const DeepTreeDir&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

std::string repeat(const std::string& part, int times) {
    std::string s;
    s.reserve(part.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; ++i) {
        s += part;
    }
    return s;
}

class FolderScan : public ::testing::Test {
protected:
    ScanResult scan(bool subFolders) {
        ScanResult result = ScanFolder(root, subFolders);
        EXPECT_FALSE(result.folderError.has_value());
        return result;
    }

    TempDir dir;
    const std::string root = dir.path();
};

} // namespace

TEST_F(FolderScan, WithoutSubFoldersListsOnlyTheFolderOwnFiles) {
    touch(root + "/b.txt");
    touch(root + "/.hidden");
    touch(root + "/with space.txt");
    touch(root + "/trailing.");
    touch(root + "/sub/inner.txt");
    fs::create_directory(root + "/empty");

    ScanResult result = scan(false);
    EXPECT_EQ(entriesOf(result.files), entries(root, {".hidden", "b.txt", "with space.txt"}));
    EXPECT_TRUE(result.unreadableFolders.empty());
    EXPECT_EQ(result.files.path(1), root + "/b.txt");
    EXPECT_EQ(result.files.name(1), "b.txt");
}

TEST_F(FolderScan, WithSubFoldersListsFilesOfEveryDepth) {
    touch(root + "/top.txt");
    touch(root + "/a/one.txt");
    touch(root + "/a/b/c/deep.txt");
    touch(root + "/a/b/c/.hidden");
    touch(root + "/folder./inside.txt"); // a folder's name may end with a dot
    fs::create_directories(root + "/only/folders/here");

    ScanResult result = scan(true);
    EXPECT_EQ(entriesOf(result.files),
              entries(root, {"a/b/c/.hidden", "a/b/c/deep.txt", "a/one.txt", "folder./inside.txt",
                             "top.txt"}));
}

TEST_F(FolderScan, EmptyFolderGivesAnEmptyList) {
    ScanResult result = scan(true);
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(result.unreadableFolders.empty());
}

TEST_F(FolderScan, OrderIsByteOrderWithSubFolderFilesWhereTheirNameAndSeparatorSort) {
    for (const char* name :
         {"a.txt", "B.txt", "B/x.txt", "B-c.txt", "Z.txt", "0.txt", "b.txt", "ä.txt", "z.txt"}) {
        touch(root + "/" + name);
    }
    ScanResult result = scan(true);
    // Upper case before lower case, digits before both; "B/" after "B.txt"
    // ('.' is 0x2E, '/' 0x2F) and after "B-c.txt", before "Z.txt" and "a.txt";
    // UTF-8 bytes (0xC3) after every ASCII letter.
    EXPECT_EQ(entriesOf(result.files),
              entries(root, {"0.txt", "B-c.txt", "B.txt", "B/x.txt", "Z.txt", "a.txt", "b.txt",
                             "z.txt", "ä.txt"}));
}

TEST_F(FolderScan, NamesKeepTheirExactBytesIncludingLineFeedsAndInvalidUtf8) {
    const std::vector<std::string> names = {"line\nfeed", "tab\there", "bad\xff\xfe",
                                            "ü.txt",      "\x01start", "del\x7f"};
    for (const auto& name : names) {
        touch(root + "/" + name);
        touch(root + "/x/" + name);
    }
    ScanResult result = scan(true);
    std::vector<std::string> expected = entries(root, names);
    for (const auto& e : entries(root + "/x", names)) {
        expected.push_back(e);
    }
    EXPECT_EQ(entriesOf(result.files), sorted(expected));
}

// A sub-folder whose name shares a prefix with files, with bytes below and
// above '/' and LF right after the shared part: the folder-by-folder order must
// equal one plain sort of the whole entries.
TEST_F(FolderScan, GeneratedTreeComesOutAsOnePlainSortWouldOrderIt) {
    const std::vector<std::string> parts = {"a", "A",  "b",    ".",        "-",    " ",
                                            "0", "\n", "\x01", "\xc3\xa4", "\xff", "~"};
    const std::vector<std::string> expected =
        makeRandomTree(root, parts, 20240601, 1500, 3, 4, 0).expected;
    ScanResult result = scan(true);
    const auto got = entriesOf(result.files);
    EXPECT_EQ(got, sorted(expected));
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    EXPECT_GT(got.size(), 800u);
}

TEST_F(FolderScan, LinksCountAsWhatTheyLeadTo) {
    touch(root + "/real/file.txt");
    fs::create_symlink("real/file.txt", root + "/to-file");
    fs::create_symlink("nowhere", root + "/dangling");
    fs::create_directory_symlink("real", root + "/to-folder");

    EXPECT_EQ(entriesOf(scan(false).files), entries(root, {"dangling", "to-file"}));
    EXPECT_EQ(entriesOf(scan(true).files),
              entries(root, {"dangling", "real/file.txt", "to-file", "to-folder/file.txt"}));
}

TEST_F(FolderScan, LinkBackToAFolderOnTheWayDownIsNotEnteredAgain) {
    touch(root + "/a/file.txt");
    touch(root + "/a/b/deep.txt");
    touch(root + "/c/other.txt");
    fs::create_directory_symlink("..", root + "/a/up");          // to the chosen folder
    fs::create_directory_symlink(".", root + "/a/b/here");       // to itself
    fs::create_directory_symlink("../../a", root + "/a/b/back"); // to a parent
    fs::create_directory_symlink("../../c", root + "/a/b/side"); // to a folder beside: walked

    ScanResult result = scan(true);
    EXPECT_EQ(entriesOf(result.files),
              entries(root, {"a/b/deep.txt", "a/b/side/other.txt", "a/file.txt", "c/other.txt"}));
    EXPECT_TRUE(result.unreadableFolders.empty());
}

TEST_F(FolderScan, UnreadableFolderContributesNothingAndIsNamed) {
    touch(root + "/open.txt");
    touch(root + "/locked/secret.txt");
    touch(root + "/later/after.txt");
    for (const char* folder : {"", "/locked", "/later"}) {
        zentory::test::openUpForEveryone(root + folder);
    }
    fs::permissions(root + "/locked", fs::perms::none);

    const int status = zentory::test::runAsNobody([&] {
        ScanResult result = ScanFolder(root, true);
        const bool listed =
            entriesOf(result.files) == entries(root, {"later/after.txt", "open.txt"});
        const bool named = result.unreadableFolders.size() == 1 &&
                           result.unreadableFolders[0].path() == root + "/locked" &&
                           std::string(result.unreadableFolders[0].what()) ==
                               "cannot read folder '" + root + "/locked': Permission denied";
        return (listed ? 0 : 1) + (named ? 0 : 2);
    });
    EXPECT_EQ(status, 0) << "1: wrong list, 2: folder not reported";
}

TEST_F(FolderScan, ChosenFolderThatCannotBeOpenedIsAnError) {
    touch(root + "/file.txt");
    ScanResult missing = ScanFolder(root + "/missing", true);
    ASSERT_TRUE(missing.folderError.has_value());
    EXPECT_STREQ(missing.folderError->what(),
                 ("cannot open folder '" + root + "/missing': No such file or directory").c_str());
    EXPECT_TRUE(missing.files.empty());

    ScanResult file = ScanFolder(root + "/file.txt", false);
    ASSERT_TRUE(file.folderError.has_value());
    EXPECT_EQ(file.folderError->reason(), "Not a directory");
}

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
            touchHere("f");
            expected.push_back(root + repeat("/d", level) + "/f\n");
        }
        if (level % 25000 == 0) {
            fs::create_directory("e");
            touchHere("e/g");
            expected.push_back(root + repeat("/d", level) + "/e/g\n");
        }
    });
    ScanResult result = ScanFolder(root, true);
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
            touchHere("bottom");
        }
    });
    fs::create_directory_symlink("../target", root + "/x/link");

    ScanResult result = scan(true);
    const std::string chain = repeat("/d", 150) + "/bottom";
    EXPECT_EQ(entriesOf(result.files),
              entries(root, {"target" + chain, "x/a.txt", "x/link" + chain, "x/zz/z.txt"}));
    EXPECT_TRUE(result.unreadableFolders.empty());
}

namespace {

// Runs `body` in a child process with at most `openFiles` open files and
// returns its exit code, or -1 when it did not exit normally.
int withOpenFileLimit(rlim_t openFiles, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const struct rlimit limit = {openFiles, openFiles};
        ::_exit(::setrlimit(RLIMIT_NOFILE, &limit) == 0 ? body() : 99);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

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
            const ScanResult result = ScanFolder(root, true, threads);
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
            zentory::test::openUpForEveryone(e.path().string());
        }
    }
    zentory::test::openUpForEveryone(root);
    for (const auto& folder : locked) {
        fs::permissions(folder, fs::perms::none);
    }
    const std::vector<std::string> listed = sorted(readable);
    const std::vector<std::string> named = sorted(locked);

    const int status = zentory::test::runAsNobody([&] {
        for (unsigned threads : {1u, 2u, 8u}) {
            for (int run = 0; run < 3; ++run) {
                const ScanResult result = ScanFolder(root, true, threads);
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
            const ScanResult result = ScanFolder(root, true, threads);
            if (entriesOf(result.files) != expected || !result.unreadableFolders.empty()) {
                return static_cast<int>(threads);
            }
        }
        return 0;
    });
    EXPECT_EQ(status, 0) << "the walk on that many threads went wrong";
}

// The list keeps each folder's path once; every entry still gives its exact bytes.
TEST(FileListEntries, EveryEntryGivesBackItsBytesAndItsFolder) {
    const std::vector<std::string> paths = {"/w/a.txt", "/w/line\nfeed", "/w/sub/b", "/w/c",
                                            "loose",    "/top",          "//root",   "/w/c/"};
    FileList list;
    for (const auto& path : paths) {
        list.append(path);
    }
    list.append("/w/sub", "x/y.z"); // a separator inside the name moves to the folder
    ASSERT_EQ(list.size(), paths.size() + 1);
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(list.entry(i), paths[i] + "\n");
        EXPECT_EQ(list.path(i), paths[i]);
        const size_t slash = paths[i].rfind('/');
        EXPECT_EQ(list.name(i), slash == std::string::npos ? paths[i] : paths[i].substr(slash + 1));
        EXPECT_EQ(list.folderPath(list.folderIndex(i)),
                  slash == std::string::npos ? "" : paths[i].substr(0, slash));
    }
    EXPECT_EQ(list.folderIndex(4), FileList::kNoFolder);
    EXPECT_EQ(list.name(7), "");
    EXPECT_EQ(list.path(8), "/w/sub/x/y.z");
    EXPECT_EQ(list.folderPath(list.folderIndex(8)), "/w/sub/x");
    // Neighbours in one folder share its path.
    EXPECT_EQ(list.folderIndex(0), list.folderIndex(1));
    EXPECT_NE(list.folderIndex(1), list.folderIndex(2));

    list.clear();
    EXPECT_TRUE(list.empty());
    list.append("/again/f");
    EXPECT_EQ(list.entry(0), "/again/f\n");
    EXPECT_EQ(list.folderCount(), 1u);
}

// A walk holds each folder's path once, not once per file.
TEST_F(FolderScan, ListHoldsEachFolderOnce) {
    for (const char* file : {"a/1", "a/B/3", "a/z", "c/5", "c/6", "7"}) {
        touch(root + "/" + file);
    }
    const ScanResult result = scan(true);
    ASSERT_EQ(result.files.size(), 6u);
    EXPECT_EQ(result.files.path(3), root + "/a/z");
    // "a" comes back after "a/B", still as the same folder.
    EXPECT_EQ(result.files.folderCount(), 4u);
    EXPECT_EQ(result.files.folderIndex(1), result.files.folderIndex(3));
    EXPECT_EQ(result.files.nameBytes(), 6u);
}
