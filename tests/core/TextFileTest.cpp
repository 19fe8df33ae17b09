#include "platform/TextFile.h"
#include "platform/FileError.h"

#include "TempDir.h"

#include <gtest/gtest.h>

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
