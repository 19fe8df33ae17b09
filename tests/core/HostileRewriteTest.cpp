// Rewrites that others could bend: another writer holding the file, too
// little room to keep the old text, a folder's default access list and file
// flags; and how long an in-place rewrite leaves the file open to SIGKILL.

#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "platform/write/InPlaceFile.h"
#include "platform/write/SafeFile.h"

#include "Files.h"
#include "FullFileSystem.h"
#include "Nobody.h"
#include "Process.h"
#include "ShortLockWait.h"
#include "SurvivalLog.h"
#include "TempDir.h"
#include "TwoNames.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;
using zentory::platform::SafeFile;
using zentory::platform::writeText;
using namespace zentory::test;

namespace {

class HostileRewrite : public TwoNames {
protected:
    HostileRewrite() : TwoNames("the earlier list") {}
};

} // namespace

// A second writer waits for the first; one that holds on too long makes it
// give up with the file named, its text untouched.
TEST_F(HostileRewrite, SecondWriterGivesUpAfterTheWaitNamingTheFile) {
    const ShortLockWait wait;
    const int held = ::open(path.c_str(), O_RDWR);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    ASSERT_EQ(::fcntl(held, F_OFD_SETLK, &whole), 0);
    const Observed o = runInChild([&] {
        writeText(path, "new");
        return std::string("written");
    });
    ::close(held);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "cannot lock '" + path + "': another program is still writing it");
    EXPECT_GE(o.seconds, ShortLockWait::atLeast());
    expectOldTextUnderBothNames();
    recordSurvival("export target", "a file with two names that another program keeps locked",
                   ShortLockWait::described(secondsText(o.seconds)) +
                       ", then \"cannot lock '...': another program is still writing it\"; the "
                       "old text");
}

// Of the old file only the bytes the new text overwrites are kept; when even
// those find no room, nothing is changed and the message says so.
TEST(HostileRewriteSpace, OldTextThatCannotBeKeptLeavesTheFileAndSaysSo) {
    const TempDir dir;
    const FullFileSystem small(dir / "small", "24m");
    if (!small.mounted()) {
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    }
    const std::string path = dir / "small/list.txt";
    const std::string old = pattern(size_t{12} << 20, 'a');
    writeBytes(path, old);
    fs::create_hard_link(path, dir / "small/copy.txt");
    const Observed o = runInChild([&] {
        ::setenv("TMPDIR", (dir / "small").c_str(), 1);
        writeText(path, pattern(size_t{10} << 20, 'A'));
        return std::string("written");
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "cannot find room to keep the old text of '" + path +
                         "': " + zentory::platform::errorText(ENOSPC));
    EXPECT_TRUE(readBytes(dir / "small/copy.txt") == old);
    EXPECT_EQ(namesIn(dir / "small"), (std::vector<std::string>{"copy.txt", "list.txt"}));
    recordSurvival("export target",
                   "a 10 MB list over a 12 MB file with two names, where only the new text finds "
                   "room aside",
                   "exit 1, \"cannot find room to keep the old text of '...'\"; the old text (was: "
                   "a copy of the whole old file needed, and \"cannot read\")");
}

// The file's bytes change only at the end of commit; the whole commit of a
// 20 MB list (holding its old bytes aside included) bounds that window.
TEST(HostileRewriteSpace, RewriteInPlaceOfA20MBListChangesTheFileOnlyAtTheEnd) {
    const TempDir dir;
    const std::string path = dir / "list.txt";
    writeBytes(path, pattern(size_t{20} << 20, 'a'));
    fs::create_hard_link(path, dir / "copy.txt");
    const std::string text = pattern(size_t{20} << 20, 'A');
    SafeFile file(path);
    file.write(text);
    const auto start = std::chrono::steady_clock::now();
    file.commit();
    const double seconds = secondsSince(start);
    EXPECT_TRUE(readBytes(dir / "copy.txt") == text);
    EXPECT_LT(seconds, kGenerousSeconds);
    recordSurvival("export target",
                   "SIGKILL or power loss while a 20 MB list rewrites a file "
                   "with two names",
                   "the only moment a mix can be left: the file's bytes change in the last " +
                       std::to_string(static_cast<int>(seconds * 1000)) +
                       " ms of the export (its whole commit: old bytes kept, written, flushed)");
}

// A replacement would take what a new file takes from its folder (a default
// access list) and lose what only the old file has (file flags): such a file
// is rewritten where it is instead, and nobody gains access to it.
TEST(HostileRewriteAccess, FolderDefaultsAndFileFlagsNeverReachTheRewrittenFile) {
    const TempDir dir;
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
