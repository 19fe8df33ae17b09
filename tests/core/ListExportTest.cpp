// The command line's lists: the text list's columns and totals, the CSV and
// JSON tables, and the times they write, composed from lists built in memory.

#include "export/ListExport.h"

#include "EnvironmentVariable.h"
#include "export/FileTimes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using zentory::ExportRequest;
using zentory::FileList;
using zentory::FileStat;
using zentory::FileTimes;
using zentory::ListFormat;

namespace {

// Local time of Central Europe, with its summer time, for the length of a test.
class CentralEuropeanTime : public ::testing::Test {
protected:
    void SetUp() override {
        m_zone.set("CET-1CEST,M3.5.0,M10.5.0/3");
        ::tzset();
    }

private:
    // Destroyed after m_zone has put TZ back, so the old zone is read again.
    struct ReadZone {
        ~ReadZone() { ::tzset(); }
    } m_readZone;
    zentory::test::EnvironmentVariable m_zone{"TZ"};
};

constexpr int64_t kWinter = 1796734985; // 2026-12-08 13:03:05 UTC
constexpr int64_t kSummer = 1783515600; // 2026-07-08 13:00:00 UTC

struct Listed {
    FileList files;
    std::vector<FileStat> stats;

    void add(const std::string& path, int64_t size, int64_t modified = kWinter) {
        files.append(path);
        stats.push_back(size < 0 ? FileStat{} : FileStat{size, modified});
    }
    ExportRequest request(zentory::ListColumns columns = {}) const {
        zentory::ExportOptions options;
        options.showDateTime = false;
        return ExportRequest{files, "/w", options, {"Contents of", "Folder"}, {}, columns, &stats};
    }
};

Listed sample() {
    Listed l;
    l.add("/w/a.txt", 5);
    l.add("/w/dangling", -1);
    l.add("/w/img/.logo", 1000, kSummer);
    l.add("/w/img/old/x.tar.gz", 7);
    l.add("/w/z", 0);
    return l;
}

} // namespace

TEST_F(CentralEuropeanTime, TimesCarryTheOffsetOfTheirOwnInstant) {
    FileTimes times;
    EXPECT_EQ(times.isoTime(kWinter), "2026-12-08T14:03:05+01:00");
    EXPECT_EQ(times.listTime(kWinter), "2026/12/08 14:03");
    EXPECT_EQ(times.isoTime(kSummer), "2026-07-08T15:00:00+02:00");
    EXPECT_EQ(times.isoTime(kWinter), "2026-12-08T14:03:05+01:00"); // from the cache
    // The change to summer time: 01:59:59 +01:00 is followed by 03:00:00 +02:00.
    EXPECT_EQ(times.isoTime(1774745999), "2026-03-29T01:59:59+01:00");
    EXPECT_EQ(times.isoTime(1774746000), "2026-03-29T03:00:00+02:00");
    EXPECT_EQ(times.isoTime(-1), "1970-01-01T00:59:59+01:00");
    EXPECT_EQ(times.isoTime(951778800), "2000-02-29T00:00:00+01:00");
    EXPECT_EQ(times.listTime(253402300800 - 3600), "10000/01/01 00:00");
}

TEST(ListTotals, TotalsSpeakTheLabelsWordsWithOneFileAndOneByteSingular) {
    const zentory::ExportLabels german{.title = "Inhalt von",
                                       .heading = "Ordner",
                                       .files = "%1 Dateien",
                                       .oneFile = "%1 Datei",
                                       .bytes = "%1 Bytes",
                                       .oneByte = "%1 Byte"};
    struct Case {
        zentory::ExportLabels labels;
        uint64_t files, bytes;
        const char* text;
    };
    const Case cases[] = {
        {{}, 0, 0, "0 files, 0 bytes"},     {{}, 1, 1, "1 file, 1 byte"},
        {{}, 2, 1, "2 files, 1 byte"},      {{}, 1, 2, "1 file, 2 bytes"},
        {german, 1, 2, "1 Datei, 2 Bytes"}, {german, 3, 1, "3 Dateien, 1 Byte"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zentory::countText(c.labels, c.files, std::to_string(c.files), c.bytes,
                                     std::to_string(c.bytes)),
                  c.text);
    }
    // The heading's totals of a German list.
    Listed l;
    l.add("/w/img/a", 1);
    ExportRequest request = l.request({.totals = true});
    request.labels = german;
    EXPECT_NE(
        zentory::composeList(request, ListFormat::Text).find("Ordner .../img: (1 Datei, 1 Byte)"),
        std::string::npos);
}

TEST_F(CentralEuropeanTime, TextColumnsAndTotalsFollowEachLineAndHeading) {
    const Listed l = sample();
    const std::string text = zentory::composeList(l.request({true, true, true}), ListFormat::Text);
    EXPECT_EQ(text, "Contents of /w/... (5 files, 1012 bytes)\r\n\r\n"
                    "a.txt\t5\t2026/12/08 14:03\r\n"
                    "dangling\t-\t-\r\n"
                    "z\t0\t2026/12/08 14:03\r\n"
                    "\r\n---\r\n\r\nFolder .../img: (1 file, 1000 bytes)\r\n\r\n"
                    ".logo\t1000\t2026/07/08 15:00\r\n"
                    "\r\n---\r\n\r\nFolder .../img/old: (1 file, 7 bytes)\r\n\r\n"
                    "x.tar.gz\t7\t2026/12/08 14:03\r\n");
    const std::string sizeOnly = zentory::composeList(l.request({true}), ListFormat::Text);
    EXPECT_NE(sizeOnly.find("\r\ndangling\t-\r\nz\t0\r\n"), std::string::npos) << sizeOnly;
    // Without columns the list is the window's, with or without sizes at hand.
    ExportRequest plain = l.request();
    const std::string withStats = zentory::composeList(plain, ListFormat::Text);
    plain.stats = nullptr;
    EXPECT_EQ(withStats, zentory::composeExport(plain));
}

TEST_F(CentralEuropeanTime, CsvQuotesOnlyWhatMustBeAndKeepsEveryByte) {
    Listed l;
    l.add("/w/a.txt", 5);
    l.add("/w/dangling", -1);
    l.add("/w/img/.logo", 1000, kSummer);
    l.add("/w/img/old/x.tar.gz", 7);
    l.add("/w/q/we,ird \"n\xFF\"\r\n.c", 3);
    l.add("/w/z", 0);
    const std::string csv = zentory::composeList(l.request(), ListFormat::Csv);
    EXPECT_EQ(csv, "path,folder,name,extension,size,modified\r\n"
                   "/w/a.txt,,a.txt,txt,5,2026-12-08T14:03:05+01:00\r\n"
                   "/w/dangling,,dangling,,,\r\n"
                   "/w/img/.logo,img,.logo,,1000,2026-07-08T15:00:00+02:00\r\n"
                   "/w/img/old/x.tar.gz,img/old,x.tar.gz,gz,7,2026-12-08T14:03:05+01:00\r\n"
                   "\"/w/q/we,ird \"\"n\xFF\"\"\r\n.c\",q,\"we,ird \"\"n\xFF\"\"\r\n.c\",c,3,"
                   "2026-12-08T14:03:05+01:00\r\n"
                   "/w/z,,z,,0,2026-12-08T14:03:05+01:00\r\n");
}

// Each cell a spreadsheet would run as a formula, in each column it can reach;
// the path begins with the listed folder, so only a list of "" can reach it.
TEST(ListExport, CsvCellsThatWouldRunAsFormulasBeginWithAQuoteMark) {
    struct Case {
        const char* folder;
        const char* path;
        const char* row; // path,folder,name,extension without size and time
    };
    const Case cases[] = {
        {"/w", "/w/=HYPERLINK(\"evil\",\"click\")",
         "\"/w/=HYPERLINK(\"\"evil\"\",\"\"click\"\")\",,"
         "\"'=HYPERLINK(\"\"evil\"\",\"\"click\"\")\","},
        {"/w", "/w/=cmd|' -C calc'!A0", "/w/=cmd|' -C calc'!A0,,\"'=cmd|' -C calc'!A0\","},
        {"/w", "/w/+SUM(1+1)", "/w/+SUM(1+1),,\"'+SUM(1+1)\","},
        {"/w", "/w/@SUM(A1)", "/w/@SUM(A1),,\"'@SUM(A1)\","},
        {"/w", "/w/-2+3", "/w/-2+3,,\"'-2+3\","},
        {"/w", "/w/\tx", "/w/\tx,,\"'\tx\","},
        {"/w", "/w/\rx", "\"/w/\rx\",,\"'\rx\","},
        {"/w", "/w/=1/-a.@b", "/w/=1/-a.@b,\"'=1\",\"'-a.@b\",\"'@b\""},
        {"/w", "/w/+d/e/a,b", "\"/w/+d/e/a,b\",\"'+d/e\",\"a,b\","}, // quoted anyway
        // Only the first byte counts; a quote mark of its own is kept as it is.
        {"/w", "/w/a=b+c-d@e", "/w/a=b+c-d@e,,a=b+c-d@e,"},
        {"/w", "/w/'=x", "/w/'=x,,'=x,"},
        {"", "=a", "\"'=a\",,\"'=a\","},
    };
    for (const Case& c : cases) {
        FileList files;
        files.append(c.path);
        const std::vector<FileStat> stats(1);
        const ExportRequest request{files, c.folder, {}, {}, {}, {}, &stats};
        EXPECT_EQ(zentory::composeList(request, ListFormat::Csv),
                  std::string("path,folder,name,extension,size,modified\r\n") + c.row + ",,\r\n")
            << c.path;
        // JSON is for programs: every byte as it is, no quote mark put in.
        const std::string json = zentory::composeList(request, ListFormat::Json);
        const bool ownQuoteMark = std::string(c.path).find("/'") != std::string::npos;
        EXPECT_EQ(json.find("\"'") != std::string::npos, ownQuoteMark) << json;
    }
}

TEST_F(CentralEuropeanTime, JsonEscapesControlBytesAndReplacesBytesOutsideUtf8) {
    Listed l;
    l.add("/w/a\"b\\c\td\x01.txt", 1);
    l.add("/w/bad\xE2\x82\xFF\xC3(.x", 2);          // cut and stray sequences
    l.add("/w/\xED\xA0\x80\xF4\x90\x80\x80.y", 4);  // a surrogate and beyond U+10FFFF
    l.add("/w/\xC3\xA9t\xC3\xA9/\xE2\x82\xAC", -1); // été/€: valid
    zentory::ListColumns totals;
    totals.totals = true;
    const std::string json = zentory::composeList(l.request(totals), ListFormat::Json);
    EXPECT_EQ(json,
              "{\"folder\":\"/w\",\"totals\":{\"files\":4,\"bytes\":7},\"files\":[\n"
              "{\"path\":\"/w/a\\\"b\\\\c\\u0009d\\u0001.txt\",\"folder\":\"\",\"name\":"
              "\"a\\\"b\\\\c\\u0009d\\u0001.txt\",\"extension\":\"txt\",\"size\":1,"
              "\"modified\":\"2026-12-08T14:03:05+01:00\"},\n"
              "{\"path\":\"/w/bad\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD(.x\",\"path_base64\":"
              "\"L3cvYmFk4oL/wygueA==\",\"folder\":\"\",\"name\":\"bad\xEF\xBF\xBD\xEF\xBF\xBD"
              "\xEF\xBF\xBD(.x\",\"extension\":\"x\",\"size\":2,\"modified\":"
              "\"2026-12-08T14:03:05+01:00\"},\n"
              "{\"path\":\"/w/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
              "\xEF\xBF\xBD\xEF\xBF\xBD.y\",\"path_base64\":\"L3cv7aCA9JCAgC55\",\"folder\":\"\","
              "\"name\":\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
              "\xEF\xBF\xBD.y\",\"extension\":\"y\",\"size\":4,\"modified\":"
              "\"2026-12-08T14:03:05+01:00\"},\n"
              "{\"path\":\"/w/\xC3\xA9t\xC3\xA9/\xE2\x82\xAC\",\"folder\":\"\xC3\xA9t\xC3\xA9\","
              "\"name\":\"\xE2\x82\xAC\",\"extension\":\"\",\"size\":null,\"modified\":null}\n"
              "]}\n");
}

TEST(ListExport, EmptyListsAreCompleteDocuments) {
    const FileList none;
    const std::vector<FileStat> stats;
    const ExportRequest request{none, "/\xFF", {}, {}, {}, {}, &stats};
    EXPECT_EQ(zentory::composeList(request, ListFormat::Csv),
              "path,folder,name,extension,size,modified\r\n");
    EXPECT_EQ(zentory::composeList(request, ListFormat::Json),
              "{\"folder\":\"/\xEF\xBF\xBD\",\"folder_base64\":\"L/8=\",\"files\":[\n]}\n");
}

TEST(ListExport, TablesOfTheRootWriteEachPathWithOneLeadingSeparator) {
    FileList files;
    files.append("//a.txt");
    files.append("//etc/\xFF");
    const std::vector<FileStat> stats(2);
    const ExportRequest request{files, "/", {}, {}, {}, {}, &stats};
    EXPECT_EQ(zentory::composeList(request, ListFormat::Csv),
              "path,folder,name,extension,size,modified\r\n/a.txt,,a.txt,txt,,\r\n"
              "/etc/\xFF,etc,\xFF,,,\r\n");
    const std::string json = zentory::composeList(request, ListFormat::Json);
    EXPECT_NE(json.find("{\"path\":\"/a.txt\",\"folder\":\"\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"path_base64\":\"L2V0Yy//\""), std::string::npos) << json; // "/etc/\xFF"
}
