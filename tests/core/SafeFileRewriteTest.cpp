// A file rewritten through its own inode (it has two names here) keeps its old
// text when a write fails or is abandoned; a name of one of this process's descriptors is written
// through that descriptor, at its offset and in its append mode.

#include "platform/FileError.h"
#include "platform/write/SafeFile.h"

#include "Files.h"
#include "Process.h"
#include "TempDir.h"
#include "TwoNames.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using zentory::platform::FileError;
using zentory::platform::SafeFile;
using namespace zentory::test;

namespace {

using SafeFileRewrite = TwoNames;

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
