// The folder walk and the order of the file list, on real temporary trees.

#include "FolderScanFixture.h"

#include "platform/StepFailure.h"

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

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
        openUpForEveryone(root + folder);
    }
    fs::permissions(root + "/locked", fs::perms::none);

    const int status = runAsNobody([&] {
        ScanResult result = ScanFolder(root, zentory::ScanOptions::all(true));
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
    ScanResult missing = ScanFolder(root + "/missing", zentory::ScanOptions::all(true));
    ASSERT_TRUE(missing.folderError.has_value());
    EXPECT_STREQ(missing.folderError->what(),
                 ("cannot open folder '" + root + "/missing': No such file or directory").c_str());
    EXPECT_TRUE(missing.files.empty());

    ScanResult file = ScanFolder(root + "/file.txt", zentory::ScanOptions::all(false));
    ASSERT_TRUE(file.folderError.has_value());
    EXPECT_EQ(file.folderError->reason(), "Not a directory");
}

class FolderScanShortOfResources : public FolderScan {
protected:
    void TearDown() override { platform::clearStepFailures(); }
};

// A folder that cannot be opened for lack of open files or memory is opened
// again once there is room; one that stays out of reach is named apart from
// the unreadable ones, as the list then lacks its files. A refusal for what
// the folder is (its permissions) is not tried again.
TEST_F(FolderScanShortOfResources, OpensAgainOrNamesTheFolderAsLost) {
    for (const char* file : {"/top.txt", "/a/one.txt", "/a/b/c/deep.txt", "/d/e/f.txt", "/g/h"}) {
        touch(root + file);
    }
    const auto whole =
        entries(root, {"a/b/c/deep.txt", "a/one.txt", "d/e/f.txt", "g/h", "top.txt"});
    struct Case {
        int error;
        int nth; // 0: every open fails
        unsigned threads;
        std::vector<std::string> listed;
        std::vector<std::string> lost;
        std::vector<std::string> unreadable;
    };
    const Case cases[] = {
        {EMFILE, 1, 1, whole, {}, {}},
        {ENFILE, 3, 4, whole, {}, {}},
        {ENOMEM, 2, 2, whole, {}, {}},
        {EMFILE, 5, 8, whole, {}, {}},
        {EMFILE, 0, 2, entries(root, {"top.txt"}), {"/a", "/d", "/g"}, {}},
        {EACCES, 1, 1, entries(root, {"d/e/f.txt", "g/h", "top.txt"}), {}, {"/a"}},
    };
    const auto paths = [](const std::vector<platform::FileError>& errors) {
        std::vector<std::string> named;
        for (const auto& e : errors) {
            named.push_back(e.path());
        }
        return named;
    };
    const auto under = [this](std::vector<std::string> names) {
        for (auto& name : names) {
            name = root + name;
        }
        return names;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.error) + " at open " + std::to_string(c.nth) + " on " +
                     std::to_string(c.threads) + " threads");
        if (c.nth == 0) {
            platform::failStepAlways(platform::Step::OpenFolder, c.error);
        } else {
            platform::failStep(platform::Step::OpenFolder, c.error, c.nth);
        }
        const ScanResult result = ScanFolder(root, ScanOptions::all(true, c.threads));
        platform::clearStepFailures();
        EXPECT_EQ(entriesOf(result.files), c.listed);
        EXPECT_EQ(paths(result.lostFolders), under(c.lost));
        EXPECT_EQ(paths(result.unreadableFolders), under(c.unreadable));
        for (const auto& lost : result.lostFolders) {
            EXPECT_EQ(lost.errnum(), c.error);
            EXPECT_STREQ(lost.what(), ("cannot read folder '" + lost.path() +
                                       "': " + platform::errorText(c.error))
                                          .c_str());
        }
    }
}
