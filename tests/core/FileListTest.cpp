// The file list: each folder's path held once, every entry given back whole.

#include "FolderScanFixture.h"

using namespace zentory;
using zentory::test::touch;

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
