#include "platform/write/SafeFile.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"

#include "Files.h"
#include "Nobody.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using zentory::platform::FileError;
using zentory::platform::SafeFile;
using zentory::platform::writeText;
using namespace zentory::test;

class SafeFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(SafeFileTest, CreatesAndReplacesWithCrLfText) {
    const std::string path = dir / "list.txt";
    writeText(path, "one\ntwo\n");
    EXPECT_EQ(readBytes(path), "one\r\ntwo\r\n");
    writeText(path, "three");
    EXPECT_EQ(readBytes(path), "three");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
}

TEST_F(SafeFileTest, ReplacedFileKeepsItsPermissionBits) {
    const std::string path = dir / "list.txt";
    writeBytes(path, "old");
    fs::permissions(path, fs::perms(0640), fs::perm_options::replace);
    writeText(path, "new");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(readBytes(path), "new");
}

TEST_F(SafeFileTest, SymbolicLinkStaysAndItsFileIsReplaced) {
    writeBytes(dir / "real.txt", "old");
    fs::create_symlink("real.txt", dir / "link.txt");
    writeText(dir / "link.txt", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(readBytes(dir / "real.txt"), "new");

    fs::create_symlink("absent.txt", dir / "dangling.txt");
    writeText(dir / "dangling.txt", "made");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(readBytes(dir / "absent.txt"), "made");
}

TEST_F(SafeFileTest, AbandonedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const std::string path = dir / "list.txt";
    writeBytes(path, "old");
    {
        SafeFile file(path);
        file.write("half of the new content");
    }
    EXPECT_EQ(readBytes(path), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
}

TEST_F(SafeFileTest, FullDiskIsReportedAndTheDeviceStays) {
    ASSERT_TRUE(isCharDevice("/dev/full"));
    try {
        writeText("/dev/full", "data\n");
        FAIL() << "no exception";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), "/dev/full");
        EXPECT_EQ(e.errnum(), ENOSPC);
    }
    EXPECT_TRUE(isCharDevice("/dev/full"));
    writeText("/dev/null", "data\n");
    EXPECT_TRUE(isCharDevice("/dev/null"));
}

TEST_F(SafeFileTest, FolderNameOrMissingFolderIsReported) {
    fs::create_directory(dir / "sub");
    EXPECT_THROW(writeText(dir / "sub", "x"), FileError);
    EXPECT_TRUE(fs::is_directory(dir / "sub"));
    EXPECT_THROW(writeText(dir / "nowhere/list.txt", "x"), FileError);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"sub"});
}

// A writable file in a read-only folder is rewritten where it is; a new file
// there is refused with the folder named; a read-only file is refused.
TEST_F(SafeFileTest, ReadOnlyFolderTakesNoNewFileAndReadOnlyFileIsKept) {
    openUpForEveryone(dir.path());
    const std::string locked = dir / "locked";
    writeBytes(locked + "/list.txt", "old");
    fs::permissions(locked + "/list.txt", fs::perms(0666), fs::perm_options::replace);
    fs::permissions(locked, fs::perms(0555), fs::perm_options::replace);
    writeBytes(dir / "readonly.txt", "kept");
    fs::permissions(dir / "readonly.txt", fs::perms(0444), fs::perm_options::replace);

    int code = runAsNobody([&] {
        int refused = 0;
        writeText(locked + "/list.txt", "new\n");
        try {
            writeText(locked + "/new.txt", "new");
        } catch (const FileError& e) {
            refused |= e.errnum() == EACCES && e.path() == locked ? 1 : 0;
        }
        try {
            writeText(dir / "readonly.txt", "new");
        } catch (const FileError& e) {
            refused |= e.errnum() == EACCES && e.path() == dir / "readonly.txt" ? 2 : 0;
        }
        return refused;
    });
    EXPECT_EQ(code, 3);
    EXPECT_EQ(readBytes(locked + "/list.txt"), "new\r\n");
    EXPECT_EQ(namesIn(locked), std::vector<std::string>{"list.txt"});
    EXPECT_EQ(readBytes(dir / "readonly.txt"), "kept");
}
