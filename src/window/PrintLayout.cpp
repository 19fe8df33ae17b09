#include "PrintLayout.h"

#include "ElideMiddle.h"
#include "i18n/Placeholders.h"

#include <algorithm>

namespace zentory::window {

namespace {

// Rows above the list (the header and an empty row) and below it (an empty
// row and the footer).
constexpr int kHeaderRows = 2;
constexpr int kFooterRows = 2;
// What a continuation row stands in by.
constexpr std::string_view kIndent = "    ";
constexpr std::string_view kEllipsis = "\u2026";

bool startsLetter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The next line of `text` from `begin`: its end and where the one after begins.
std::pair<size_t, size_t> lineFrom(const std::string& text, size_t begin) {
    const size_t lf = text.find('\n', begin);
    if (lf == std::string::npos) {
        return {text.size(), text.size()};
    }
    const size_t end = lf > begin && text[lf - 1] == '\r' ? lf - 1 : lf;
    return {end, lf + 1};
}

} // namespace

PrintLayout::PrintLayout(const PrintDocument& document, PrintMetrics metrics)
    : m_text(document.text), m_date(document.date), m_pageOf(document.pageOf),
      m_metrics(std::move(metrics)) {
    m_indent = m_metrics.textWidth(kIndent);
    const int rows = m_metrics.lineHeight > 0 ? m_metrics.pageHeight / m_metrics.lineHeight : 0;
    m_rowsPerPage = static_cast<size_t>(std::max(1, rows - kHeaderRows - kFooterRows));
    // The title line heads every page; the empty line after it is the header's.
    auto [titleEnd, next] = lineFrom(m_text, 0);
    m_title = m_text.substr(0, titleEnd);
    if (next < m_text.size() && lineFrom(m_text, next).first == next) {
        next = lineFrom(m_text, next).second;
    }
    while (next < m_text.size()) {
        const auto [end, after] = lineFrom(m_text, next);
        AddLine(next, end);
        next = after;
    }
}

size_t PrintLayout::FittingEnd(size_t begin, size_t end, int width) const {
    // The widths grow with the piece: the longest that fits is found by halving.
    size_t low = begin;
    size_t high = end;
    while (low < high) {
        size_t middle = low + (high - low + 1) / 2;
        while (middle < end && !startsLetter(m_text[middle])) {
            ++middle;
        }
        if (m_metrics.textWidth(std::string_view(m_text).substr(begin, middle - begin)) <= width) {
            low = middle;
        } else {
            high = middle - 1;
            while (high > low && high < end && !startsLetter(m_text[high])) {
                --high;
            }
        }
    }
    if (low == begin) { // not even one letter fits: it goes on a row of its own
        low = begin + 1;
        while (low < end && !startsLetter(m_text[low])) {
            ++low;
        }
    }
    return low;
}

void PrintLayout::AddLine(size_t begin, size_t end) {
    const std::string_view text(m_text);
    if (m_metrics.textWidth(text.substr(begin, end - begin)) <= m_metrics.pageWidth) {
        m_rows.push_back({begin, end, false});
        return;
    }
    bool continued = false;
    while (begin < end) {
        const int width = m_metrics.pageWidth - (continued ? m_indent : 0);
        size_t cut = FittingEnd(begin, end, width);
        if (cut < end) {
            // At a space or a separator, where one lies in the piece's second half.
            const size_t space = text.substr(begin, cut - begin).find_last_of(" \\/");
            if (space != std::string_view::npos && begin + space + 1 > begin + (cut - begin) / 2) {
                cut = begin + space + 1;
            }
        }
        m_rows.push_back({begin, cut, continued});
        begin = cut;
        continued = true;
    }
}

size_t PrintLayout::PageCount() const {
    return std::max<size_t>(1, (m_rows.size() + m_rowsPerPage - 1) / m_rowsPerPage);
}

std::vector<PlacedText> PrintLayout::Page(size_t page) const {
    std::vector<PlacedText> texts;
    const int line = m_metrics.lineHeight;
    const int width = m_metrics.pageWidth;
    // The header: the date at the right, the title in the room left of it.
    const int dateWidth = m_metrics.textWidth(m_date);
    const int titleRoom = width - dateWidth - 2 * m_indent;
    std::string title = m_title;
    if (m_metrics.textWidth(title) > titleRoom) {
        const MiddleCut cut = ElideMiddle(title.size(), [&](size_t head, size_t tail) {
            const std::string_view t(m_title);
            if ((head < t.size() && !startsLetter(t[head])) ||
                (tail > 0 && !startsLetter(t[t.size() - tail]))) {
                return false; // never in the middle of a letter
            }
            return m_metrics.textWidth(std::string(t.substr(0, head)) + std::string(kEllipsis) +
                                       std::string(t.substr(t.size() - tail))) <= titleRoom;
        });
        title = m_title.substr(0, cut.head) + std::string(kEllipsis) +
                m_title.substr(m_title.size() - cut.tail);
    }
    texts.push_back({0, 0, title});
    texts.push_back({width - dateWidth, 0, m_date});
    // The rows of the list.
    const size_t first = page * m_rowsPerPage;
    const size_t last = std::min(m_rows.size(), first + m_rowsPerPage);
    for (size_t i = first; i < last; ++i) {
        const Row& row = m_rows[i];
        const int y = (kHeaderRows + static_cast<int>(i - first)) * line;
        if (row.end > row.begin) {
            texts.push_back(
                {row.continued ? m_indent : 0, y, m_text.substr(row.begin, row.end - row.begin)});
        }
    }
    // The footer at the foot of the page, centred.
    const std::string footer =
        fillPlaceholders(m_pageOf, std::to_string(page + 1), std::to_string(PageCount()));
    const int footerRow = kHeaderRows + static_cast<int>(m_rowsPerPage) + kFooterRows - 1;
    texts.push_back({(width - m_metrics.textWidth(footer)) / 2, footerRow * line, footer});
    return texts;
}

} // namespace zentory::window
