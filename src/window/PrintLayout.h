#pragma once
// The printed list, laid out once for every front end: pages of the list's
// lines under a header (the list's title line, shortened in the middle when
// too long, and the date of printing at the right) and above a footer
// ("Page 2 of 7", centred); a line too long for the page goes on in the rows
// below, indented, and is never cut. The front end gives the page's size and
// its font's measures and draws each page's texts where the layout puts them;
// a page's texts are made only when it is drawn, so a list of a million lines
// costs its pages' row positions and nothing more.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentory::window {

// What is printed: the list as it would be saved (its lines ending with CR LF
// or LF), the date for the header and the footer's text ("Page %1 of %2").
struct PrintDocument {
    std::string text;
    std::string date;
    std::string pageOf;
    // The name of the job and of the preview window, and the preview's
    // button that prints ("&Print...").
    std::string title;
    std::string previewTitle;
    std::string printCommand;
    // What the preview's buttons to the page before and after are called.
    std::string previousPage;
    std::string nextPage;
};

// The printable area of a page and its font, in the printer's units.
struct PrintMetrics {
    int pageWidth = 0;
    int pageHeight = 0;
    int lineHeight = 0;
    // The width of a text (UTF-8) in the page's font.
    std::function<int(std::string_view)> textWidth;
};

// A text to draw with its top left corner at (x, y) of the printable area.
struct PlacedText {
    int x = 0;
    int y = 0;
    std::string text;

    bool operator==(const PlacedText&) const = default;
};

class PrintLayout {
public:
    PrintLayout(const PrintDocument& document, PrintMetrics metrics);

    size_t PageCount() const;
    // The texts of page `page` (0 the first), header and footer included.
    std::vector<PlacedText> Page(size_t page) const;
    // How far a line's continuation rows stand in.
    int Indent() const { return m_indent; }
    // Rows of list lines on each page.
    size_t RowsPerPage() const { return m_rowsPerPage; }

private:
    // One row of the body: bytes [begin, end) of the text; `continued` when
    // it carries on the line of the row before.
    struct Row {
        size_t begin = 0;
        size_t end = 0;
        bool continued = false;
    };
    void AddLine(size_t begin, size_t end);
    // The end of the longest piece from `begin` that fits `width`, at least one letter.
    size_t FittingEnd(size_t begin, size_t end, int width) const;

    std::string m_text;
    std::string m_title;
    std::string m_date;
    std::string m_pageOf;
    PrintMetrics m_metrics;
    int m_indent = 0;
    size_t m_rowsPerPage = 1;
    std::vector<Row> m_rows;
};

} // namespace zentory::window
