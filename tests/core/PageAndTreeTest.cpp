// The HTML page and the tree, composed from lists built in memory: how each
// draws the folders and escapes the names, and the numbers of their totals.

#include "export/ListExport.h"

#include "SurvivalLog.h"

#include <gtest/gtest.h>

using zentory::ExportRequest;
using zentory::FileList;
using zentory::FileStat;
using zentory::ListFormat;

namespace {

constexpr int64_t kWinter = 1796734985; // 2026-12-08 13:03:05 UTC

zentory::ExportLabels labels() {
    zentory::ExportLabels l{.title = "Contents of", .heading = "Folder"};
    l.nameColumn = "File name";
    l.sizeColumn = "Size";
    l.modifiedColumn = "Modified";
    l.files = "%1 files";
    l.oneFile = "%1 file";
    l.bytes = "%1 bytes";
    l.oneByte = "%1 byte";
    l.closing = {"%1 folders, %2 files", "%1 folders, %2 file", "%1 folder, %2 files",
                 "%1 folder, %2 file"};
    l.digitGroup = ".";
    l.language = "de-DE";
    return l;
}

// A list of `paths` below "/w", each with the size given after a "|" (none: a
// file that leads nowhere), composed in `format`.
struct Listed {
    FileList files;
    std::vector<FileStat> stats;
    zentory::ExportOptions options{.showDateTime = false};
    zentory::ListColumns columns{};
    bool ascii = false;

    explicit Listed(std::initializer_list<std::string_view> paths) {
        for (std::string_view path : paths) {
            const size_t bar = path.find('|');
            files.append("/w/" + std::string(path.substr(0, bar)));
            stats.push_back(bar == std::string_view::npos
                                ? FileStat{}
                                : FileStat{std::stoll(std::string(path.substr(bar + 1))), kWinter});
        }
    }
    std::string compose(ListFormat format) const {
        ExportRequest request{files, "/w", options, labels(), {}, columns, &stats};
        request.asciiTree = ascii;
        return zentory::composeList(request, format);
    }
};

// The part of `page` from its body's heading to the script.
std::string body(const std::string& page) {
    const size_t begin = page.find("<h1>");
    return page.substr(begin, page.find("<script>") - begin);
}

} // namespace

TEST(TreeList, DrawsTheFoldersOnTheWayToEachFileAndHostileNamesOnOneLine) {
    struct Case {
        const char* what;
        Listed list;
        const char* drawn; // after the first line "/w\n"
    };
    Case cases[] = {
        {"no file", Listed{}, "\n0 folders, 0 files\n"},
        {"one file", Listed{"a"}, "\u2514\u2500\u2500 a\n\n0 folders, 1 file\n"},
        {"nested folders, own files before and after them",
         Listed{"a.txt", "img/logo.png", "img/old/x.png", "img/thumbs.db", "z"},
         "\u251c\u2500\u2500 a.txt\n"
         "\u251c\u2500\u2500 img\n"
         "\u2502   \u251c\u2500\u2500 logo.png\n"
         "\u2502   \u251c\u2500\u2500 old\n"
         "\u2502   \u2502   \u2514\u2500\u2500 x.png\n"
         "\u2502   \u2514\u2500\u2500 thumbs.db\n"
         "\u2514\u2500\u2500 z\n\n2 folders, 5 files\n"},
        {"a last folder whose own sub-folder comes last", Listed{"b/c/d/e", "b/f"},
         "\u2514\u2500\u2500 b\n"
         "    \u251c\u2500\u2500 c\n"
         "    \u2502   \u2514\u2500\u2500 d\n"
         "    \u2502       \u2514\u2500\u2500 e\n"
         "    \u2514\u2500\u2500 f\n\n3 folders, 2 files\n"},
        {"a folder whose name begins like another", Listed{"a b", "a/x", "a-c/y"},
         "\u251c\u2500\u2500 a b\n\u251c\u2500\u2500 a\n\u2502   \u2514\u2500\u2500 x\n"
         "\u2514\u2500\u2500 a-c\n    \u2514\u2500\u2500 y\n\n2 folders, 3 files\n"},
        {"names kept byte for byte, control bytes as ?",
         Listed{"<script>&amp;\"'", "bad\xFF.txt", "new\nline\x7f", "\xC3\xA9t\xC3\xA9/x"},
         "\u251c\u2500\u2500 <script>&amp;\"'\n\u251c\u2500\u2500 bad\xFF.txt\n"
         "\u251c\u2500\u2500 new?line?\n\u2514\u2500\u2500 \xC3\xA9t\xC3\xA9\n"
         "    \u2514\u2500\u2500 x\n\n1 folder, 4 files\n"},
    };
    Listed ascii{"a", "d/b", "d/e/c", "z"};
    ascii.ascii = true;
    Listed shaped{"a.tar.gz", ".profile", "d/b.txt"};
    shaped.ascii = true;
    shaped.options.showFullPath = true;
    shaped.options.showExtensions = false;
    Listed columns{"a|5", "dangling", "d/big|12345678901234"};
    columns.columns = {.size = true, .modified = true, .totals = true};
    columns.ascii = true;
    Listed sizes{"a|5", "dangling"};
    sizes.columns.size = true;
    sizes.ascii = true;
    Listed dated{"a"};
    dated.options.showDateTime = true;
    dated.ascii = true;
    Case shapedCases[] = {
        {"ascii lines", ascii,
         "|-- a\n|-- d\n|   |-- b\n|   `-- e\n|       `-- c\n`-- z\n\n2 folders, 4 files\n"},
        {"full path, no extensions", shaped,
         "|-- /w/a.tar\n|-- /w/.profile\n`-- /w/d\n    `-- /w/d/b\n\n1 folder, 3 files\n"},
        {"size and time", columns,
         "|-- [          5 2026/12/08 13:03]  a\n|-- [          - -]  dangling\n`-- d\n"
         "    `-- [12345678901234 2026/12/08 13:03]  big\n\n1 folder, 3 files\n"},
        {"size only", sizes,
         "|-- [          5]  a\n`-- [          -]  dangling\n\n0 folders, 2 files\n"},
        {"dated footer", dated,
         "`-- a\n\n0 folders, 1 file\n\nFolder exported on 0/00/00 00:00 "
         "with Orvane Zentory\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.list.compose(ListFormat::Tree), std::string("/w\n") + c.drawn) << c.what;
    }
    zentory::test::recordSurvival(
        "Tree", "names holding < > & \" ', a line feed, DEL and bytes outside UTF-8",
        "one line a name: control bytes written as ?, every other byte as it is");
    for (const Case& c : shapedCases) {
        EXPECT_EQ(c.list.compose(ListFormat::Tree), std::string("/w\n") + c.drawn) << c.what;
    }
}

TEST(TreeList, GroupsTheClosingNumbersAsTheCatalogueGroupsDigits) {
    struct Case {
        uint64_t count;
        const char* group;
        const char* grouped;
    };
    const Case cases[] = {{0, ".", "0"},
                          {999, ".", "999"},
                          {1000, ".", "1.000"},
                          {1234567, ",", "1,234,567"},
                          {123456, "\u202F", "123\u202F456"},
                          {18446744073709551615ULL, "", "18446744073709551615"}};
    for (const Case& c : cases) {
        EXPECT_EQ(zentory::groupedCount(c.count, c.group), c.grouped) << c.count;
    }
    FileList files;
    for (int i = 0; i < 1200; ++i) {
        files.append("/w/" + std::to_string(i / 1100) + "/" + std::to_string(i));
    }
    const ExportRequest request{files, "/w", {.showDateTime = false}, labels(), {}, {}, nullptr};
    const std::string tree = zentory::composeList(request, ListFormat::Tree);
    EXPECT_TRUE(tree.ends_with("\n\n2 folders, 1.200 files\n")) << tree.substr(tree.size() - 40);
}

TEST(HtmlList, EscapesEveryHostileNameAndKeepsThePageValidUtf8) {
    struct Case {
        const char* hostileCase;
        const char* name;
        const char* cell;
    };
    const std::string longName(5000, 'n');
    const Case cases[] = {
        {"a name that is a script tag", "<script>alert(1)", "&lt;script&gt;alert(1)"},
        {"a name that is a character reference", "&amp;", "&amp;amp;"},
        {"quotes and apostrophes", "\"x' onmouseover='y", "&quot;x&#39; onmouseover=&#39;y"},
        {"control bytes (tab, LF, DEL)", "a\tb\nc\x7f", "a?b?c?"},
        {"a C1 control character (U+0085)", "a\xC2\x85z", "a?z"},
        {"bytes that are not UTF-8", "bad\xFF\xC3(", "bad\xEF\xBF\xBD\xEF\xBF\xBD("},
        {"a surrogate's bytes", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"noncharacters (U+FFFE, U+FDD0)", "\xEF\xBF\xBE\xEF\xB7\x90", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"valid UTF-8 (\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80)",
         "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"a name of 5,000 bytes", longName.c_str(), longName.c_str()},
    };
    for (const Case& c : cases) {
        const Listed list{c.name};
        const std::string page = list.compose(ListFormat::Html);
        const std::string row = std::string("<tr><td>") + c.cell + "</tr>\n";
        EXPECT_NE(page.find(row), std::string::npos) << c.hostileCase << "\n" << body(page);
        const std::string cell = c.cell;
        zentory::test::recordSurvival("HTML page", c.hostileCase,
                                      cell.size() > 60
                                          ? "written whole, " + std::to_string(cell.size()) +
                                                " bytes in one cell"
                                          : "written as \"" + cell + "\"");
    }
    // The folders' headings and the page's title are escaped alike.
    const Listed folders{"<b>&/x"};
    const std::string page = folders.compose(ListFormat::Html);
    EXPECT_NE(page.find("<h2>Folder .../&lt;b&gt;&amp;</h2>"), std::string::npos) << page;
    const Listed none{};
    EXPECT_NE(none.compose(ListFormat::Html).find("<title>Contents of /w/...</title>"),
              std::string::npos);
}

TEST(HtmlList, GroupsFilesAsTheTextListWithTheColumnsAndTotalsAsked) {
    Listed list{"a|5", "img/logo.png|1000", "img/old/x|1", "z"};
    list.columns = {.size = true, .modified = true, .totals = true};
    list.options.showExtensions = false;
    list.options.showDateTime = true;
    const std::string page = list.compose(ListFormat::Html);
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html lang=\"de-DE\">\n")) << page;
    const std::string head = "<table>\n<thead><tr><th>File name<th class=\"n\">Size<th>Modified"
                             "</tr></thead>\n<tbody>\n";
    EXPECT_EQ(body(page),
              "<h1>Contents of /w/... <span>(4 files, 1.006 bytes)</span></h1>\n"
              "<section>\n" +
                  head +
                  "<tr><td>a<td>5<td>2026/12/08 13:03</tr>\n<tr><td>z<td>-<td>-</tr>\n"
                  "</tbody>\n</table>\n</section>\n"
                  "<section>\n<h2>Folder .../img <span>(1 file, 1.000 bytes)</span></h2>\n" +
                  head +
                  "<tr><td>logo<td>1000<td>2026/12/08 13:03</tr>\n</tbody>\n</table>\n</section>\n"
                  "<section>\n<h2>Folder .../img/old <span>(1 file, 1 byte)</span></h2>\n" +
                  head +
                  "<tr><td>x<td>1<td>2026/12/08 13:03</tr>\n</tbody>\n</table>\n</section>\n"
                  "<footer>Folder exported on 0/00/00 00:00 with Orvane Zentory</footer>\n");
    // Without columns: the names alone, full paths when asked, no footer.
    Listed plain{"a.txt", "d/b"};
    plain.options.showFullPath = true;
    EXPECT_EQ(body(plain.compose(ListFormat::Html)),
              "<h1>Contents of /w/...</h1>\n<section>\n<table>\n<thead><tr><th>File name"
              "</tr></thead>\n<tbody>\n<tr><td>/w/a.txt</tr>\n</tbody>\n</table>\n</section>\n"
              "<section>\n<h2>Folder .../d</h2>\n<table>\n<thead><tr><th>File name</tr></thead>\n"
              "<tbody>\n<tr><td>/w/d/b</tr>\n</tbody>\n</table>\n</section>\n");
}

TEST(HtmlList, HoldsALongFoldersRowsInGroupsOfFiveHundred) {
    FileList files;
    for (int i = 0; i < 1001; ++i) {
        files.append("/w/d/" + std::to_string(10000 + i));
    }
    const ExportRequest request{files, "/w", {.showDateTime = false}, labels(), {}, {}, nullptr};
    const std::string page = zentory::composeList(request, ListFormat::Html);
    size_t groups = 0;
    for (size_t at = page.find("<tbody>"); at != std::string::npos;
         at = page.find("<tbody>", at + 1)) {
        ++groups;
    }
    EXPECT_EQ(groups, 3u);
    const auto at = [&](std::string_view text) { return page.find(text); };
    EXPECT_EQ(at("<table>"), page.rfind("<table>")) << "one table for the folder";
    EXPECT_LT(at("<td>10499</tr>\n</tbody>\n<tbody>\n<tr><td>10500</tr>"), std::string::npos);
    EXPECT_LT(at("<td>10999</tr>\n</tbody>\n<tbody>\n<tr><td>11000</tr>\n</tbody>\n</table>"),
              std::string::npos);
}
