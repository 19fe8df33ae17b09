// A file rewritten through its own inode (it has two names here) keeps its old
// text when a write fails or is abandoned, when another writer holds it and
// when its old bytes find no room; a name of one of this process's descriptors is written
// through that descriptor, at its offset and in its append mode.

#include "platform/FileError.h"
#include "platform/InPlaceFile.h"
#include "platform/SafeFile.h"
#include "platform/TextFile.h"

#include "Files.h"
#include "FullFileSystem.h"
#include "Process.h"
#include "SurvivalLog.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using zentory::platform::FileError;
using zentory::platform::InPlaceFile;
using zentory::platform::SafeFile;
using zentory::platform::writeText;
using namespace zentory::test;

namespace {

// Bytes that differ from place to place, so that a shifted or partial
// restore shows.
std::string pattern(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + static_cast<char>(i % 251));
    }
    return bytes;
}

class SafeFileRewrite : public ::testing::Test {
protected:
    SafeFileRewrite() {
        writeBytes(path, old);
        fs::create_hard_link(path, dir / "other-name.txt");
    }
    void expectOldTextUnderBothNames() {
        EXPECT_EQ(readBytes(path), old);
        EXPECT_EQ(readBytes(dir / "other-name.txt"), old);
        EXPECT_EQ(fs::hard_link_count(path), 2u);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
    }

    TempDir dir;
    const std::string path = dir / "list.txt";
    const std::string old = pattern(size_t{3} << 20, 'a');
};

} // namespace

TEST_F(SafeFileRewrite, SizeLimitFailsBeforeAnOldByteIsOverwritten) {
    // A file size limit of 12 MiB, below the new text's 20 MiB.
    const Observed o = runInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{size_t{12} << 20, size_t{12} << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SafeFile file(path);
        const std::string piece = pattern(65536, 'A');
        for (int i = 0; i < 320; ++i) { // 20 MiB
            file.write(piece);
        }
        file.commit();
        return std::string("written");
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "cannot write to '" + path + "': " + zentory::platform::errorText(EFBIG));
    expectOldTextUnderBothNames();
}

TEST_F(SafeFileRewrite, AbandonedRewritePutsTheOldTextBack) {
    {
        SafeFile file(path);
        file.write(pattern(size_t{9} << 20, 'A')); // more than memory holds: set aside on disk
        EXPECT_TRUE(readBytes(dir / "other-name.txt") == old) << "overwritten before commit";
    }
    expectOldTextUnderBothNames();
}

// A large old text is kept in a file of its own, not in memory.
TEST(SafeFileLargeRewrite, LargeOldTextIsPutBackWithoutBeingHeldInMemory) {
    const TempDir dir;
    const std::string path = dir / "list.txt";
    const std::string old = pattern(size_t{64} << 20, 'a');
    writeBytes(path, old);
    fs::create_hard_link(path, dir / "other-name.txt");
    const Observed o = runInChild([&] {
        SafeFile file(path);
        const std::string piece = pattern(size_t{1} << 20, 'A');
        for (int i = 0; i < 72; ++i) {
            file.write(piece);
        }
        return std::string("abandoned");
    });
    EXPECT_EQ(o.out, "abandoned");
    if (!builtWithSanitizers()) {
        EXPECT_LT(o.peakKiB, 40 * 1024) << "the 64 MiB of old text were held in memory";
    }
    EXPECT_TRUE(readBytes(path) == old);
    EXPECT_TRUE(readBytes(dir / "other-name.txt") == old);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"list.txt", "other-name.txt"}));
}

TEST_F(SafeFileRewrite, ShorterTextIsCutToItsLength) {
    for (const std::string text : {"new", ""}) {
        SafeFile file(path);
        file.write(text);
        file.commit();
        EXPECT_EQ(readBytes(dir / "other-name.txt"), text);
    }
}

TEST(SafeFileDescriptorName, OwnDescriptorIsWrittenAtItsOffsetAndInItsMode) {
    const TempDir dir;
    writeBytes(dir / "log.txt", "earlier\n");
    writeBytes(dir / "fresh.txt", "to be overwritten from the start, not cut\n");
    const int appending = ::open((dir / "log.txt").c_str(), O_WRONLY | O_APPEND);
    const int atOffset = ::open((dir / "fresh.txt").c_str(), O_WRONLY);
    ASSERT_EQ(::write(atOffset, "ab", 2), 2);
    for (const int fd : {appending, atOffset}) {
        SafeFile file("/dev/fd/" + std::to_string(fd));
        file.write("NEW");
        file.commit();
    }
    EXPECT_EQ(::write(appending, ".\n", 2), 2); // the descriptor stays open and usable
    ::close(appending);
    ::close(atOffset);
    EXPECT_EQ(readBytes(dir / "log.txt"), "earlier\nNEW.\n");
    EXPECT_EQ(readBytes(dir / "fresh.txt"), "abNEW overwritten from the start, not cut\n");
}

// A second writer waits for the first; one that holds on too long makes it
// give up with the file named, its text untouched.
TEST_F(SafeFileRewrite, SecondWriterGivesUpAfterTheWaitNamingTheFile) {
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
    EXPECT_GE(o.seconds, InPlaceFile::kLockWaitSeconds - 0.5);
    expectOldTextUnderBothNames();
    recordSurvival("export target", "a file with two names that another program keeps locked",
                   "waits " + secondsText(o.seconds) +
                       ", then \"cannot lock '...': another program is still writing it\"; the "
                       "old text");
}

// Of the old file only the bytes the new text overwrites are kept; when even
// those find no room, nothing is changed and the message says so.
TEST(SafeFileNoRoom, OldTextThatCannotBeKeptLeavesTheFileAndSaysSo) {
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
TEST(SafeFileKillWindow, RewriteInPlaceOfA20MBListIsShort) {
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
