// Sizes and times looked up after a walk are the ones the walk itself takes.

#include "listing/StatFiles.h"
#include "listing/FolderScan.h"

#include "TreeDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zentory;
using namespace zentory::test;

namespace {

TEST(StatFiles, AreWhatTheWalkLooksUpForEveryFileLinkAndDanglingLink) {
    TreeDir tree;
    tree.add("a.txt", "12345");
    tree.add("img/b.png", "1234567");
    tree.add("img/deep/c", "");
    std::filesystem::create_symlink("../a.txt", tree / "img/to-a");
    std::filesystem::create_symlink("nowhere", tree / "dangling");

    ScanOptions withStats = ScanOptions::all(true);
    withStats.fileStats = true;
    const ScanResult walked = ScanFolder(tree.path(), withStats);
    const ScanResult plain = ScanFolder(tree.path(), ScanOptions::all(true));
    ASSERT_TRUE(plain.stats.empty());
    const std::vector<FileStat> looked = statFiles(plain.files);

    ASSERT_EQ(looked.size(), walked.stats.size());
    ASSERT_EQ(looked.size(), 5u);
    for (size_t i = 0; i < looked.size(); ++i) {
        SCOPED_TRACE(plain.files.path(i));
        EXPECT_EQ(looked[i].size, walked.stats[i].size);
        EXPECT_EQ(looked[i].modified, walked.stats[i].modified);
    }
    EXPECT_FALSE(looked[1].known()) << "the dangling link leads nowhere";
    EXPECT_EQ(looked.back().size, 5) << "a link counts as what it leads to";
}

TEST(StatFiles, AFolderGoneSinceTheReadLeavesItsFilesUnknown) {
    TreeDir tree;
    tree.add("gone/a.txt", "1");
    tree.add("b.txt", "22");
    const FileList files = ScanFolder(tree.path(), ScanOptions::all(true)).files;
    std::filesystem::remove_all(tree / "gone");
    const std::vector<FileStat> looked = statFiles(files);
    ASSERT_EQ(looked.size(), 2u);
    EXPECT_EQ(looked[0].size, 2);
    EXPECT_FALSE(looked[1].known());
}

} // namespace
