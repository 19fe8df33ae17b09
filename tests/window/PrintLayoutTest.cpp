// The printed list's pages, laid out with a font of fixed width (every letter
// 10 units, rows 10 high): header, rows, wrapping and footer; and the print
// commands, on a recording view and shell.

#include "LogicWindow.h"

#include "PrintLayout.h"
#include "ResourceIds.h"

#include "TreeDir.h"

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using window::PlacedText;
using window::PrintDocument;
using window::PrintLayout;

namespace {

// Letters, not bytes: "ü" is one letter.
int letters(std::string_view text) {
    int count = 0;
    for (char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// A page `columns` letters wide and `rows` rows high.
window::PrintMetrics page(int columns, int rows) {
    return {columns * 10, rows * 10, 10, [](std::string_view t) { return letters(t) * 10; }};
}

PrintDocument document(std::string text) {
    return {std::move(text), "2007/05/17 14:30", "Page %1 of %2", "FileList.txt",
            "Preview",       "&Print...",        "Previous page", "Next page"};
}

// The texts of page `index` as "x,y text" lines (in letters and rows).
std::vector<std::string> shown(const PrintLayout& layout, size_t index) {
    std::vector<std::string> lines;
    for (const PlacedText& t : layout.Page(index)) {
        lines.push_back(std::to_string(t.x / 10) + "," + std::to_string(t.y / 10) + " " + t.text);
    }
    return lines;
}

TEST(PrintLayout, PagesCarryTheTitleTheDateTheirRowsAndTheirNumber) {
    // 9 rows a page: the header, an empty row, 5 rows of the list, an empty
    // row and the footer.
    std::string text = "Contents of /w/...\r\n\r\n";
    for (int i = 1; i <= 7; ++i) {
        text += "f" + std::to_string(i) + ".txt\r\n";
    }
    const PrintLayout layout(document(text), page(48, 9));
    ASSERT_EQ(layout.RowsPerPage(), 5u);
    ASSERT_EQ(layout.PageCount(), 2u);
    EXPECT_EQ(shown(layout, 0),
              (std::vector<std::string>{"0,0 Contents of /w/...", "32,0 2007/05/17 14:30",
                                        "0,2 f1.txt", "0,3 f2.txt", "0,4 f3.txt", "0,5 f4.txt",
                                        "0,6 f5.txt", "18,8 Page 1 of 2"}));
    EXPECT_EQ(shown(layout, 1),
              (std::vector<std::string>{"0,0 Contents of /w/...", "32,0 2007/05/17 14:30",
                                        "0,2 f6.txt", "0,3 f7.txt", "18,8 Page 2 of 2"}));
}

TEST(PrintLayout, LongLinesGoOnIndentedAndAreNeverCut) {
    struct Case {
        std::string line;
        int columns;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"short.txt", 12, {"0,2 short.txt"}},
        {"abcdefghijklmnopqrst", 12, {"0,2 abcdefghijkl", "4,3 mnopqrst"}},
        {"abcdefghijklmnopqrstuvwxyz", 12, {"0,2 abcdefghijkl", "4,3 mnopqrst", "4,4 uvwxyz"}},
        // At a separator or a space in the second half of the row.
        {"/w/music/album one/track.mp3", 14, {"0,2 /w/music/", "4,3 album one/", "4,4 track.mp3"}},
        // Letters of two bytes stay whole.
        {"üüüüüüüüüüüüüüüü", 12, {"0,2 üüüüüüüüüüüü", "4,3 üüüü"}},
        // A tab and the columns after it stay on the line as they are.
        {"a.txt\t5\t2007/05/17 14:30", 40, {"0,2 a.txt\t5\t2007/05/17 14:30"}},
    };
    for (const Case& c : cases) {
        const PrintLayout layout(document("T\r\n\r\n" + c.line + "\r\n"), page(c.columns, 30));
        std::vector<std::string> rows = shown(layout, 0);
        rows.erase(rows.begin(), rows.begin() + 2); // the header
        rows.pop_back();                            // the footer
        EXPECT_EQ(rows, c.rows) << c.line;
        std::string joined;
        for (const std::string& row : rows) {
            joined += row.substr(row.find(' ') + 1);
        }
        EXPECT_EQ(joined, c.line) << "every letter of the line, in order";
    }
}

TEST(PrintLayout, ATitleTooLongIsShortenedInTheMiddleBesideTheDate) {
    const PrintLayout layout(
        document("Contents of /home/me/Projects/2024/Holidays/...\r\n\r\na\r\n"), page(40, 9));
    const std::vector<std::string> lines = shown(layout, 0);
    // 40 letters less the date (16) and two indents (8) leave 16.
    EXPECT_EQ(lines[0], "0,0 Content…days/...");
    EXPECT_EQ(lines[1], "24,0 2007/05/17 14:30");
}

TEST(PrintLayout, AMillionLinesArePaginatedWithoutMakingTheirPages) {
    std::string text = "Contents of /w/...\r\n\r\n";
    for (int i = 0; i < 1000000; ++i) {
        text += "file.txt\r\n";
    }
    const PrintLayout layout(document(text), page(40, 54));
    EXPECT_EQ(layout.PageCount(), 20000u);
    EXPECT_EQ(shown(layout, 19999).back(), "10,53 Page 20000 of 20000");
}

class PrintCommands : public ::testing::Test, protected LogicWindow {
protected:
    TreeDir tree{"a.txt", "img/b.png"};
};

TEST_F(PrintCommands, PrintAndPreviewHandTheSavedListWithTheFootersWords) {
    dlg.OnCommand(ids::Menu::kPrint);
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"message There is nothing to export yet. "
                                                     "Please read a file list first."}));
    read(tree.path());
    dlg.m_optionsDlg.m_bShowDateTime = 0;
    dlg.OnCommand(ids::Menu::kPrint);
    dlg.OnCommand(ids::Menu::kPrintPreview);
    ASSERT_EQ(shell.printed.size(), 2u);
    EXPECT_EQ(shell.calls.back(), "preview");
    const PrintDocument& printed = shell.printed[0];
    EXPECT_EQ(printed.text, "Contents of " + tree.path() +
                                "/...\r\n\r\na.txt\r\n\r\n---\r\n\r\n"
                                "Folder .../img:\r\n\r\nb.png\r\n");
    EXPECT_EQ(printed.date, "2007/05/17 14:30");
    EXPECT_EQ(printed.pageOf, "Page %1 of %2");
    EXPECT_EQ(printed.previewTitle, "Print preview");
    EXPECT_EQ(printed.nextPage, "Next page");

    toolkit.person.push_back([](window::CDialog& language, RecordingView& v) {
        v.Choose(ids::Language::kLanguages, "Deutsch");
        language.OnOK();
    });
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    dlg.OnCommand(ids::Menu::kPrintPreview);
    EXPECT_EQ(shell.printed.back().pageOf, "Seite %1 von %2");
    EXPECT_EQ(shell.printed.back().previousPage, "Vorige Seite");
    EXPECT_EQ(view.menuItems[ids::Menu::kPrint], "&Drucken...");
}

} // namespace
