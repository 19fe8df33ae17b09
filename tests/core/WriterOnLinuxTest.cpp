// The writer against what Linux alone puts in its way: a file mounted over
// the name, a small temporary folder, another user's link in a sticky shared
// folder, and locks that readers and writers hold.

#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "platform/write/InPlaceFile.h"
#include "platform/write/SafeFile.h"

#include "EnvironmentVariable.h"
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
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using zentory::platform::FileError;
using zentory::platform::SafeFile;
using zentory::platform::writeText;
using namespace zentory::test;

namespace {

constexpr uid_t kNobody = 65534;

} // namespace

// `mount --bind src.txt m/list.txt`: the name cannot be renamed over, but the
// file behind it takes the new text as the shell's `>` would give it.
TEST(HostileWriterOnLinux, FileMountedOverTheNameIsRewrittenWhereItIs) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "a bind mount needs root";
    }
    const TempDir dir;
    const std::string source = dir / "src.txt", target = dir / "m/list.txt";
    writeBytes(source, "the earlier list");
    writeBytes(target, "under the mount");
    const Observed o = runInChild([&] {
        // A mount namespace of the child's own: the mount goes with it.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return std::string("no mount");
        }
        writeText(target, "the new list");
        return readBytes(target) + "|" + std::to_string(namesIn(dir / "m").size());
    });
    if (o.out == "no mount") {
        GTEST_SKIP() << "mount namespaces are not allowed here";
    }
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out, "the new list|1");
    EXPECT_EQ(readBytes(source), "the new list");
    EXPECT_EQ(readBytes(target), "under the mount");
    recordSurvival("export target",
                   "a file bind-mounted over the name (mount --bind src m/list.txt)",
                   "rewritten where it is, as `echo x > m/list.txt` writes it (was: \"cannot "
                   "replace '...': Device or resource busy\")");
}

// A temporary folder too small for a long list: the new text is held beside
// the file instead, and the rewrite goes through.
TEST(HostileWriterOnLinux, SmallTemporaryFolderDoesNotStopALongRewrite) {
    const TempDir dir;
    const FullFileSystem small(dir / "small", "1m");
    if (!small.mounted()) {
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    }
    const EnvironmentVariable tmpdir("TMPDIR");
    tmpdir.set((dir / "small").c_str());
    const std::string path = dir / "list.txt";
    writeBytes(path, pattern(size_t{4} << 20, 'a'));
    fs::create_hard_link(path, dir / "other-name.txt");
    const std::string text = pattern(size_t{12} << 20, 'A');
    SafeFile file(path);
    file.write(text);
    file.commit();
    EXPECT_TRUE(readBytes(dir / "other-name.txt") == text);
    EXPECT_EQ(namesIn(dir / "small"), std::vector<std::string>{});
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"list.txt", "other-name.txt", "small"}));
    recordSurvival("export target",
                   "a 12 MB list over a file with two names, the temporary folder a 1 MB file "
                   "system",
                   "written: the new text is held beside the file instead (was: \"cannot find "
                   "room to hold the new text\")");
}

namespace {

// A link at shared/list.txt to a file of root's, in a folder of `folderMode`.
struct LinkCase {
    const char* what;
    uid_t linkOwner;
    uid_t folderOwner;
    unsigned folderMode;
    bool folderIsLink; // the link is shared/sub, on the way to shared/sub/list.txt
    bool refused;
};

// clang-format off
const LinkCase kLinks[] = {
    {"nobody's link in root's sticky world-writable folder",   kNobody, 0,       01777, false, true},
    {"nobody's link to a folder on the way",                   kNobody, 0,       01777, true,  true},
    {"root's own link there",                                  0,       0,       01777, false, false},
    {"the folder owner's link",                                kNobody, kNobody, 01777, false, false},
    {"nobody's link in a folder that is not sticky",           kNobody, 0,       00777, false, false},
    {"nobody's link in a sticky folder others may not write",  kNobody, 0,       01775, false, false},
};
// clang-format on

} // namespace

// Whatever fs.protected_symlinks says, root never follows another user's link
// in a shared sticky folder, as the kernel refuses to when the setting is on.
TEST(HostileWriterOnLinux, AnotherUsersLinkInASharedFolderIsNotFollowed) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "giving a link to nobody needs root";
    }
    for (const LinkCase& c : kLinks) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        fs::create_directory(dir / "shared");
        fs::create_directory(dir / "private");
        writeBytes(dir / "private/list.txt", "root's list");
        const std::string link = dir / (c.folderIsLink ? "shared/sub" : "shared/list.txt");
        fs::create_symlink(dir / (c.folderIsLink ? "private" : "private/list.txt"), link);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chown((dir / "shared").c_str(), c.folderOwner, c.folderOwner), 0);
        fs::permissions(dir / "shared", fs::perms(c.folderMode), fs::perm_options::replace);
        const std::string target =
            dir / (c.folderIsLink ? "shared/sub/list.txt" : "shared/list.txt");
        std::string message;
        try {
            writeText(target, "new");
        } catch (const FileError& e) {
            message = e.what();
        }
        if (c.refused) {
            EXPECT_EQ(message, "cannot open '" + target + "': '" + link +
                                   "' is another user's link in a shared folder; it is not "
                                   "followed");
            EXPECT_EQ(readBytes(dir / "private/list.txt"), "root's list");
        } else {
            EXPECT_EQ(message, "");
            EXPECT_EQ(readBytes(dir / "private/list.txt"), "new");
        }
        EXPECT_TRUE(fs::is_symlink(link));
    }
    recordSurvival(
        "export target",
        "root's export through nobody's link in a sticky world-writable folder, whatever "
        "fs.protected_symlinks says",
        "\"cannot open '...': '...' is another user's link in a shared folder; it is "
        "not followed\", nothing changed (was: root's file rewritten)");
}

namespace {

enum class Held { OfdRead, RecordRead, FlockShared, OfdWrite, FlockExclusive };

struct LockCase {
    const char* what;
    Held held;
    const char* reason;
};

const char* const kReader = "another program has the file locked";
const char* const kWriter = "another program is still writing it";

// clang-format off
const LockCase kLocks[] = {
    {"a reader's open-file read lock", Held::OfdRead,        kReader},
    {"a reader's record read lock",    Held::RecordRead,     kReader},
    {"a reader's shared flock",        Held::FlockShared,    kReader},
    {"a writer's open-file write lock", Held::OfdWrite,      kWriter},
    {"a writer's exclusive flock",     Held::FlockExclusive, kWriter},
};
// clang-format on

// Takes the lock of `held` on `path` for this process; returns its descriptor.
int holdLock(const std::string& path, Held held) {
    const bool reads = held == Held::OfdRead || held == Held::RecordRead;
    const int fd = ::open(path.c_str(), reads ? O_RDONLY : O_RDWR);
    struct flock whole {};
    whole.l_type = reads ? F_RDLCK : F_WRLCK;
    switch (held) {
    case Held::OfdRead:
    case Held::OfdWrite:
        EXPECT_EQ(::fcntl(fd, F_OFD_SETLK, &whole), 0);
        break;
    case Held::RecordRead:
        EXPECT_EQ(::fcntl(fd, F_SETLK, &whole), 0);
        break;
    case Held::FlockShared:
        EXPECT_EQ(::flock(fd, LOCK_SH), 0);
        break;
    case Held::FlockExclusive:
        EXPECT_EQ(::flock(fd, LOCK_EX), 0);
        break;
    }
    return fd;
}

} // namespace

// Each lock on a file with two names stops a rewrite for the whole wait; the
// message then tells a reader's lock from a writer's. The cases wait side by side.
TEST(HostileWriterOnLinux, LockOfAReaderIsToldFromALockOfAWriter) {
    const ShortLockWait wait;
    const TempDir dir;
    std::vector<int> held;
    std::vector<pid_t> writers;
    for (size_t i = 0; i < std::size(kLocks); ++i) {
        const std::string path = dir / numberedName("list", static_cast<int>(i), ".txt");
        writeBytes(path, "the earlier list");
        fs::create_hard_link(path, path + ".other");
        held.push_back(holdLock(path, kLocks[i].held));
        const pid_t pid = ::fork();
        if (pid == 0) {
            try {
                writeText(path, "new");
            } catch (const FileError& e) {
                writeBytes(path + ".message", e.what());
            }
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    const auto start = std::chrono::steady_clock::now();
    for (const pid_t pid : writers) {
        ::waitpid(pid, nullptr, 0);
    }
    const double seconds = secondsSince(start);
    for (const int fd : held) {
        ::close(fd);
    }
    EXPECT_GE(seconds, ShortLockWait::atLeast());
    for (size_t i = 0; i < std::size(kLocks); ++i) {
        SCOPED_TRACE(kLocks[i].what);
        const std::string path = dir / numberedName("list", static_cast<int>(i), ".txt");
        EXPECT_EQ(readBytes(path + ".message"), "cannot lock '" + path + "': " + kLocks[i].reason);
        EXPECT_EQ(readBytes(path + ".other"), "the earlier list");
    }
    recordSurvival("export target",
                   "a file with two names that a reader holds with a shared lock (fcntl read "
                   "lock or flock -s)",
                   ShortLockWait::described(secondsText(seconds)) +
                       ", then \"cannot lock '...': another program has the file locked\"; the "
                       "old text (was: \"another program is still writing it\")");
}
