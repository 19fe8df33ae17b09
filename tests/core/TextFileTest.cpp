#include "platform/TextFile.h"
#include "platform/FileError.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using zentory::platform::FileError;
using zentory::platform::splitLines;
using Lines = std::vector<std::string>;

TEST(TextFileLines, LineEndsAndTheLastLine) {
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("\n"), Lines{""});
    EXPECT_EQ(splitLines("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
}

TEST(TextFileLines, OnlyACarriageReturnBeforeALineFeedIsDropped) {
    EXPECT_EQ(splitLines("a\rb\r\n"), Lines{"a\rb"});
    EXPECT_EQ(splitLines("a\r\r\nb\r"), (Lines{"a\r", "b\r"}));
}

TEST(TextFileLines, ByteOneAEndsTheText) {
    EXPECT_EQ(splitLines("a\r\nb\x1a"
                         "c\r\nd\r\n"),
              (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("\x1a"
                         "a\n"),
              Lines{});
}

TEST(TextFileLines, OtherBytesStayAsTheyAre) {
    const std::string odd("\xef\xbb\xbf"
                          "key\0x\xff",
                          9);
    EXPECT_EQ(splitLines(odd + "\r\n"), Lines{odd});
}

TEST(TextFileWriting, EveryLineFeedBecomesCrLf) {
    std::string out = "x";
    zentory::platform::appendCrLf(out, "a\n\nb\r\nc");
    EXPECT_EQ(out, "xa\r\n\r\nb\r\r\nc");
}

TEST(TextFileReading, MissingFileRaisesFileErrorWithPathAndReason) {
    zentory::test::TempDir dir;
    const std::string path = dir / "missing.ini";
    try {
        zentory::platform::readLines(path);
        FAIL() << "no exception";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), path);
        EXPECT_EQ(e.reason(), "No such file or directory");
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
}

// Settings and translation files are held whole in memory: one larger than the
// limit is refused by its size before a byte is read, and one that says it is
// small but goes on (a file growing while it is read) once the limit is passed.
struct SizeCase {
    const char* name;
    unsigned long long size; // made sparse: costs no disk space
    size_t limit;
    bool refused;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class TextFileSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(TextFileSize, OnlyFilesUpToTheLimitAreRead) {
    const SizeCase& c = GetParam();
    const zentory::test::TempDir dir;
    const std::string path = dir / "config.ini";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(c.size)), 0);
    ASSERT_EQ(::close(fd), 0);
    try {
        const std::string text = zentory::platform::readFile(path, c.limit);
        EXPECT_FALSE(c.refused) << "read " << text.size() << " bytes";
        EXPECT_EQ(text.size(), c.size);
    } catch (const FileError& e) {
        EXPECT_TRUE(c.refused) << e.what();
        EXPECT_EQ(e.path(), path);
        EXPECT_EQ(e.operation(), "read");
        EXPECT_EQ(e.reason(), c.limit == zentory::platform::kTextFileLimit
                                  ? "too large (over 1 MiB)"
                                  : "too large (over " + std::to_string(c.limit) + " bytes)");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TextFileSize,
    ::testing::Values(
        SizeCase{"Empty", 0, zentory::platform::kTextFileLimit, false},
        SizeCase{"ExactlyOneMebibyte", 1 << 20, zentory::platform::kTextFileLimit, false},
        SizeCase{"OneByteOver", (1 << 20) + 1, zentory::platform::kTextFileLimit, true},
        SizeCase{"FiftyGigabytesSparse", 50ULL << 30, zentory::platform::kTextFileLimit, true},
        SizeCase{"SmallLimit", 101, 100, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A file of the proc file system says it holds nothing and then gives its
// text: the same as a file that grows after its size was taken.
TEST(TextFileSizeWhileReading, ATextLongerThanItsSizeSaysIsCutAtTheLimit) {
    struct stat st;
    ASSERT_EQ(::stat("/proc/self/maps", &st), 0);
    ASSERT_EQ(st.st_size, 0);
    EXPECT_THROW(zentory::platform::readFile("/proc/self/maps", 64), FileError);
    EXPECT_FALSE(zentory::platform::readFile("/proc/self/maps", 1 << 20).empty());
}
