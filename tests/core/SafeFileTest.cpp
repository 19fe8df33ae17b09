#include "platform/SafeFile.h"
#include "platform/FileError.h"
#include "platform/TextFile.h"

#include "Files.h"
#include "Nobody.h"
#include "Process.h"
#include "SurvivalLog.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

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

// A replacement would take what a new file takes from its folder (a default
// access list) and lose what only the old file has (file flags): such a file
// is rewritten where it is instead, and nobody gains access to it.
TEST_F(SafeFileTest, FolderDefaultsAndFileFlagsNeverReachTheRewrittenFile) {
    openUpForEveryone(dir.path());
    const std::string privateList = dir / "private.txt";
    writeBytes(privateList, "old");
    fs::permissions(privateList, fs::perms(0640), fs::perm_options::replace);
    const std::string flagged = dir / "flagged.txt";
    writeBytes(flagged, "old");
    const int fd = ::open(flagged.c_str(), O_RDONLY);
    int flags = 0;
    const bool hasFlags = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                          (flags |= FS_NODUMP_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    const bool hasAcl =
        runProcess({"setfacl", "-d", "-m", "u:daemon:rw", dir.path()}, "/").status == 0;
    if (!hasAcl && !hasFlags) {
        ::close(fd);
        GTEST_SKIP() << "neither access lists nor file flags on this file system";
    }
    const FileIdentity privateBefore = identityOf(privateList);
    const FileIdentity flaggedBefore = identityOf(flagged);
    writeText(privateList, "new");
    writeText(flagged, "new");
    EXPECT_EQ(readBytes(privateList), "new");
    EXPECT_EQ(identityOf(privateList), privateBefore);
    EXPECT_EQ(::getxattr(privateList.c_str(), "system.posix_acl_access", nullptr, 0), -1);
    const Observed asDaemon = runProcess(
        {"setpriv", "--reuid=1", "--regid=1", "--clear-groups", "cat", privateList}, "/");
    EXPECT_NE(asDaemon.status, 0) << "daemon read the list";
    int after = 0;
    EXPECT_EQ(::ioctl(fd, FS_IOC_GETFLAGS, &after), hasFlags ? 0 : -1);
    EXPECT_EQ(after & FS_NODUMP_FL, hasFlags ? FS_NODUMP_FL : 0);
    EXPECT_EQ(identityOf(flagged), flaggedBefore);
    ::close(fd);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"flagged.txt", "private.txt"}));
    recordSurvival("export target",
                   "a private 0640 list in a folder whose default access list lets daemon read "
                   "and write; a list with the nodump flag (chattr +d)",
                   "rewritten where it is: daemon still cannot read it, the flag stays (was: the "
                   "replacement took the folder's access list)");
}
