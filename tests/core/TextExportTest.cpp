// The composition of the exported text, its time stamp and its writing.

#include "export/TextExport.h"
#include "i18n/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/FileError.h"

#include "Files.h"
#include "TempDir.h"
#include "TextDiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

using zentory::composeExport;
using zentory::CSettingsStore;
using zentory::ExportOptions;
using zentory::FileList;
using zentory::formatExportDate;
using namespace zentory::test;

namespace {

const std::string kTitle = "Contents of";
const std::string kHeading = "Folder";
constexpr zentory::platform::LocalTime kStamp{2007, 5, 17, 14, 30};

FileList listOf(const std::vector<std::string>& paths) {
    FileList files;
    for (const auto& path : paths) {
        files.append(path);
    }
    return files;
}

// The worked example: C:\Work read with its sub-folders, "/" as the separator.
FileList workList() {
    return listOf({"C:/Work/Budget.xls", "C:/Work/img/logo.png", "C:/Work/img/old/logo.bak.png",
                   "C:/Work/img/thumbs.db", "C:/Work/notes.txt", "C:/Work/zeta.doc"});
}

std::string compose(const std::string& folder, const FileList& files, ExportOptions options) {
    return composeExport({files, folder, options, {kTitle, kHeading}, kStamp});
}

ExportOptions noDate() {
    ExportOptions o;
    o.showDateTime = false;
    return o;
}

// The lines of names only, without date, for the files of one folder.
std::string namesOnly(const std::vector<std::string>& names, ExportOptions options) {
    std::vector<std::string> paths;
    for (const auto& name : names) {
        paths.push_back("/w/" + name);
    }
    options.showDateTime = false;
    const std::string text = compose("/w", listOf(paths), options);
    return text.substr(std::string("Contents of /w/...\r\n\r\n").size());
}

} // namespace

TEST(TextExportWorkedExample, StartUpOptionsGiveTheExampleByteForByte) {
    EXPECT_SAME_BYTES(compose("C:/Work", workList(), ExportOptions{}),
                      goldenFile("work_export_startup_options.txt"));
}

TEST(TextExportWorkedExample, FullPathWithoutExtensionsOrDateGivesTheSecondExample) {
    ExportOptions options;
    options.showFullPath = true;
    options.showExtensions = false;
    options.showDateTime = false;
    EXPECT_SAME_BYTES(compose("C:/Work", workList(), options),
                      goldenFile("work_export_full_path_no_extensions_no_date.txt"));
}

TEST(TextExportLayout, FilesOnlyInTheChosenFolderGetNoHeading) {
    EXPECT_EQ(compose("/w", listOf({"/w/a", "/w/b"}), noDate()),
              "Contents of /w/...\r\n\r\na\r\nb\r\n");
}

TEST(TextExportLayout, EmptyListGivesTheTitleAndTheFooterOnly) {
    EXPECT_EQ(compose("/w", FileList(), ExportOptions{}),
              "Contents of /w/...\r\n\r\n\r\n\r\nFolder exported on 2007/05/17 14:30 with "
              "Orvane Zentory");
    EXPECT_EQ(compose("/w", FileList(), noDate()), "Contents of /w/...\r\n\r\n");
}

TEST(TextExportLayout, RootFolderKeepsItsDoubledSeparatorAndRelativeFolders) {
    const FileList files = listOf({"//Sub/b.txt", "//a.txt", "//z.txt"});
    EXPECT_EQ(compose("/", files, noDate()),
              "Contents of //...\r\n\r\na.txt\r\nz.txt\r\n\r\n---\r\n\r\nFolder .../Sub:\r\n\r\n"
              "b.txt\r\n");
}

TEST(TextExportLayout, EveryLineEndIsCrLfAndOnlyTheFooterLacksOne) {
    const std::string withDate = compose("C:/Work", workList(), ExportOptions{});
    const std::string without = compose("C:/Work", workList(), noDate());
    for (const std::string* text : {&withDate, &without}) {
        for (size_t i = 0; i < text->size(); ++i) {
            if ((*text)[i] == '\n') {
                ASSERT_TRUE(i > 0 && (*text)[i - 1] == '\r') << "bare LF at " << i;
            }
        }
    }
    EXPECT_TRUE(withDate.ends_with("14:30 with Orvane Zentory"));
    EXPECT_TRUE(without.ends_with("thumbs.db\r\n"));
}

TEST(TextExportExtensions, LastDotOfTheNameEndsItUnlessItIsTheFirstCharacter) {
    ExportOptions options;
    options.showExtensions = false;
    EXPECT_EQ(namesOnly({".config.json", ".profile", "README", "archive.tar.gz", "x."}, options),
              ".config\r\n.profile\r\nREADME\r\narchive.tar\r\nx\r\n");
}

TEST(TextExportExtensions, DotsInFolderNamesAreNotExtensions) {
    ExportOptions options;
    options.showExtensions = false;
    options.showFullPath = true;
    options.showDateTime = false;
    EXPECT_EQ(
        compose("/v1.2", listOf({"/v1.2/README", "/v1.2/a.b/.profile", "/v1.2/a.b/c.d"}), options),
        "Contents of /v1.2/...\r\n\r\n/v1.2/README\r\n\r\n---\r\n\r\nFolder .../a.b:\r\n\r\n"
        "/v1.2/a.b/.profile\r\n/v1.2/a.b/c\r\n");
}

TEST(TextExportNames, ControlBytesBecomeQuestionMarksAndOtherBytesStayAsHeld) {
    const FileList files =
        listOf({"/w/line\nfeed.txt", "/w/odd\xff\xfe.txt", "/w/t\tab\x7f/\x01x", "/w/ü.txt"});
    EXPECT_EQ(compose("/w", files, noDate()),
              "Contents of /w/...\r\n\r\nline?feed.txt\r\nodd\xff\xfe.txt\r\nü.txt\r\n"
              "\r\n---\r\n\r\nFolder .../t?ab?:\r\n\r\n?x\r\n");
    // The list itself keeps the exact bytes.
    EXPECT_EQ(files.name(0), "line\nfeed.txt");
}

TEST(TextExportNames, ControlBytesOfTheChosenFolderStayOffTheTitleLine) {
    EXPECT_EQ(compose("/a\nb", listOf({"/a\nb/f"}), noDate()), "Contents of /a?b/...\r\n\r\nf\r\n");
}

TEST(TextExportStream, PiecesJoinToTheComposedTextAndStayBounded) {
    FileList files;
    for (int i = 0; i < 60000; ++i) {
        files.append("/data/folder" + std::to_string(i / 1000) + "/file" + std::to_string(i) +
                     ".dat");
    }
    ExportOptions options;
    options.showFullPath = true; // about 2 MB of text
    std::string joined;
    size_t pieces = 0;
    size_t largest = 0;
    zentory::streamExport(
        [&](std::string_view piece) {
            joined += piece;
            ++pieces;
            largest = std::max(largest, piece.size());
        },
        {files, "/data", options, {kTitle, kHeading}, kStamp});
    EXPECT_SAME_BYTES(joined, compose("/data", files, options));
    EXPECT_GT(pieces, 1u);
    EXPECT_LT(largest, size_t{2} << 20);
}

TEST(TextExportWrite, FileHoldsTheComposedBytes) {
    TempDir dir;
    const std::string path = dir / "list.txt";
    zentory::test::writeBytes(path, "old content that is longer than the new one ...........");
    zentory::writeExport(path,
                         {workList(), "C:/Work", ExportOptions{}, {kTitle, kHeading}, kStamp});
    EXPECT_SAME_BYTES(readBytes(path), goldenFile("work_export_startup_options.txt"));
}

TEST(TextExportWrite, FailuresThrowAndLeaveDevicesAndFoldersAlone) {
    TempDir dir;
    EXPECT_THROW(
        zentory::writeExport(dir / "missing/list.txt",
                             {listOf({"/w/a"}), "/w", ExportOptions{}, {kTitle, kHeading}, kStamp}),
        zentory::platform::FileError);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));

    EXPECT_THROW(
        zentory::writeExport("/dev/full",
                             {listOf({"/w/a"}), "/w", ExportOptions{}, {kTitle, kHeading}, kStamp}),
        zentory::platform::FileError);
    EXPECT_TRUE(zentory::test::isCharDevice("/dev/full"));
}

class TimeStamp : public ::testing::Test {
protected:
    ~TimeStamp() override { zentory::platform::setClockForTesting(std::nullopt); }
    void setClock(int year, int month, int day, int hour, int minute) {
        zentory::platform::setClockForTesting(
            zentory::platform::LocalTime{year, month, day, hour, minute});
    }
};

TEST_F(TimeStamp, SmallFieldsGetALeadingZero) {
    setClock(2008, 1, 3, 9, 5);
    EXPECT_EQ(CSettingsStore::GetTimeStamp(), "200801030905");
    EXPECT_EQ(formatExportDate(zentory::platform::localNow()), "2008/01/03 09:05");
}

TEST_F(TimeStamp, MidnightIsZeroZero) {
    setClock(2007, 12, 31, 0, 0);
    EXPECT_EQ(formatExportDate(zentory::platform::localNow()), "2007/12/31 00:00");
}

TEST_F(TimeStamp, FooterCarriesTheMinuteOfTheClock) {
    setClock(2007, 5, 17, 14, 30);
    const std::string text = composeExport({listOf({"/w/a"}),
                                            "/w",
                                            ExportOptions{},
                                            {kTitle, kHeading},
                                            zentory::platform::localNow()});
    EXPECT_TRUE(text.ends_with("a\r\n\r\n\r\nFolder exported on 2007/05/17 14:30 with Orvane "
                               "Zentory"));
}

TEST(PadLeft, FillsWithZerosButNeverShortens) {
    EXPECT_EQ(CSettingsStore::PadLeft("7", 2), "07");
    EXPECT_EQ(CSettingsStore::PadLeft("", 2), "00");
    EXPECT_EQ(CSettingsStore::PadLeft("123", 2), "123");
}

namespace {

// The composition rules written out plainly, one string operation at a time,
// to hold the composer's faster ways against.
std::string plainExport(const std::string& folder, const std::vector<std::string>& paths,
                        const ExportOptions& options) {
    auto clean = [](std::string s) {
        for (char& c : s) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                c = '?';
            }
        }
        return s;
    };
    auto folderOf = [](const std::string& p) {
        const size_t slash = p.rfind('/');
        return slash == std::string::npos ? std::string() : p.substr(0, slash);
    };
    auto lineOf = [&](std::string p) {
        const size_t slash = p.rfind('/');
        const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        const size_t dot = p.rfind('.');
        if (!options.showExtensions && dot != std::string::npos && dot > nameStart) {
            p.resize(dot);
        }
        return clean(options.showFullPath ? p : p.substr(nameStart)) + "\r\n";
    };
    std::string root = kTitle + " " + clean(folder + "/...") + "\r\n\r\n";
    std::string rest;
    std::string current = folder;
    for (const auto& p : paths) {
        const std::string f = folderOf(p);
        if (f != current) {
            current = f;
            if (f.size() > folder.size()) {
                rest += "\r\n---\r\n\r\n" + kHeading + " ..." + clean(f.substr(folder.size())) +
                        ":\r\n\r\n";
            }
        }
        (f == folder ? root : rest) += lineOf(p);
    }
    std::string text = root + rest;
    if (options.showDateTime) {
        text += "\r\n\r\nFolder exported on " + formatExportDate(kStamp) + " with Orvane Zentory";
    }
    return text;
}

// Sorted paths below "/data/w" (and a few elsewhere), with control bytes and
// dots at every place relative to eight-byte words.
std::vector<std::string> trickyPaths(size_t count, unsigned seed) {
    const std::vector<std::string> parts = {"a",    "B",       ".",  "..",       "\x01",
                                            "\x1f", "\x7f",    "\t", "\xc3\xa4", "\xff",
                                            " ",    "0123456", "~",  "x.y"};
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    std::vector<std::string> paths;
    for (size_t i = 0; i < count; ++i) {
        // A few lie outside the chosen folder, or have no separator at all.
        const size_t where = pick(80);
        std::string path = where == 0 ? "" : where == 1 ? "/data/other/" : "/data/w/";
        for (size_t depth = where == 0 ? 0 : pick(4); depth > 0; --depth) {
            path += "d" + parts[pick(parts.size())] + "/";
        }
        for (size_t n = 1 + pick(6); n > 0; --n) {
            path += parts[pick(parts.size())];
        }
        paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

TEST(TextExportAgainstPlainRules, EveryOptionGivesTheSameBytesForShortAndLongLists) {
    for (size_t count : {size_t{300}, size_t{120000}}) {
        const std::vector<std::string> paths = trickyPaths(count, static_cast<unsigned>(count));
        const FileList files = listOf(paths);
        for (int bits = 0; bits < 8; ++bits) {
            ExportOptions options;
            options.showFullPath = (bits & 1) != 0;
            options.showExtensions = (bits & 2) != 0;
            options.showDateTime = (bits & 4) != 0;
            const std::string expected = plainExport("/data/w", paths, options);
            ASSERT_SAME_BYTES(compose("/data/w", files, options), expected)
                << count << " entries, options " << bits;
        }
    }
}

TEST(TextExportStream, WriterFailureStopsTheLongExportAndPassesThrough) {
    const FileList files = listOf(trickyPaths(200000, 3));
    size_t pieces = 0;
    auto failOnThird = [&pieces](std::string_view) {
        if (++pieces == 3) {
            throw zentory::platform::FileError("out.txt", "write to", ENOSPC);
        }
    };
    ExportOptions options;
    options.showFullPath = true;
    EXPECT_THROW(
        zentory::streamExport(failOnThird, {files, "/data/w", options, {kTitle, kHeading}, kStamp}),
        zentory::platform::FileError);
    EXPECT_EQ(pieces, 3u);
}

TEST(OneLine, WritesControlBytesAsQuestionMarksAndKeepsTheRest) {
    EXPECT_EQ(zentory::oneLine("a\tb\nc\r\x7f\x01 caf\xc3\xa9 \xff"), "a?b?c??? caf\xc3\xa9 \xff");
}
