#include "export/HtmlList.h"

#include "export/FileName.h"
#include "export/FileTimes.h"
#include "i18n/Placeholders.h"
#include "listing/FolderPath.h"
#include "listing/Utf8.h"

#include <vector>

namespace zentory {

namespace {

using pieces::TextSink;

// The page's style sheet up to the widths of its columns. A table is laid out
// as blocks of rows (flex rows of fixed columns) rather than as a CSS table,
// so that the browser lays out only the groups of rows in view: a CSS table
// of 100,000 rows takes seconds to lay out, and again after every sort.
constexpr std::string_view kStyle = R"(<style>
:root{color-scheme:light dark;--fg:#1f2328;--bg:#fff;--line:#d0d7de;--head:#f6f8fa;--dim:#59636e}
@media (prefers-color-scheme:dark){:root{--fg:#e6edf3;--bg:#0d1117;--line:#30363d;--head:#161b22;--dim:#9198a1}}
body{font:15px/1.45 system-ui,sans-serif;color:var(--fg);background:var(--bg);margin:1.5em 2em}
h1{font-size:1.4em;margin:0 0 1em}h2{font-size:1.1em;margin:1.6em 0 .5em}
h1 span,h2 span{color:var(--dim);font-weight:normal}
section{content-visibility:auto;contain-intrinsic-size:auto 30em}
table,thead,tbody{display:block}
tbody{content-visibility:auto;contain-intrinsic-size:auto 14500px}
tr{display:flex;border-bottom:1px solid var(--line)}
th,td{padding:.2em .6em;text-align:left;overflow-wrap:anywhere}
th:first-child,td:first-child{flex:1;min-width:0}
th{background:var(--head);font-weight:600}
.js th{cursor:pointer;user-select:none}
th[aria-sort=ascending]::after{content:" \25B2"}th[aria-sort=descending]::after{content:" \25BC"}
footer{color:var(--dim);margin-top:2em}
@media print{:root{--fg:#000;--bg:#fff;--dim:#444;--head:#fff}body{margin:0}
section,tbody{content-visibility:visible}h2{break-after:avoid}tr{break-inside:avoid}}
)";

// Sorts the table whose heading is clicked (or given Enter) by that column:
// the size as a number, the rest as text; a second click turns the order
// round. The rows go back into the table's groups, each as many as before.
constexpr std::string_view kScript = R"(<script>
(function(){
document.documentElement.className="js";
function sort(th){
var table=th.closest("table"),col=th.cellIndex,num=th.className=="n";
var up=th.getAttribute("aria-sort")!="ascending";
for(var c of th.parentNode.cells)c.removeAttribute("aria-sort");
th.setAttribute("aria-sort",up?"ascending":"descending");
var bodies=Array.from(table.tBodies),sizes=[],rows=[];
for(var b of bodies){sizes.push(b.rows.length);
for(var r of b.rows){var t=r.cells[col].textContent;rows.push([num?(t=="-"?-1:+t):t,r]);}
b.replaceChildren();}
rows.sort(function(a,b){return a[0]<b[0]?(up?-1:1):a[0]>b[0]?(up?1:-1):0;});
var k=0;
bodies.forEach(function(b,i){var f=document.createDocumentFragment();
for(var n=0;n<sizes[i];n++)f.appendChild(rows[k++][1]);b.appendChild(f);});}
for(var th of document.querySelectorAll("th"))th.tabIndex=0;
document.addEventListener("click",function(e){var th=e.target.closest&&e.target.closest("th");if(th)sort(th);});
document.addEventListener("keydown",function(e){if(e.key=="Enter"&&e.target.tagName=="TH")sort(e.target);});
})();
</script>
)";

// Rows in one group of a table (see kStyle).
constexpr size_t kGroupRows = 500;

// Whether any of the eight bytes in `word` needs a look: a control byte, a
// byte of a multi-byte character or one of & < > " '.
inline bool needsLook(uint64_t word) {
    using namespace pieces;
    return ((word & kByteHighs) | anyByteBelow(word, 0x20) | anyByteIs(word, '&') |
            anyByteIs(word, '<') | anyByteIs(word, '>') | anyByteIs(word, '"') |
            anyByteIs(word, '\'') | anyByteIs(word, 0x7f)) != 0;
}

bool isNoncharacter(char32_t c) {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// `text` as HTML text or attribute value.
void escaped(TextSink& out, std::string_view text) {
    size_t plain = 0; // bytes from here on are written as they are
    size_t i = 0;
    while ((i = pieces::skipPlainWords(text, i, needsLook)) < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        std::string_view instead;
        if (c >= 0x80) {
            const char32_t code = DecodeUtf8(text, i, length);
            if (code == kNotUtf8 || isNoncharacter(code)) {
                instead = "\xEF\xBF\xBD";
            } else if (code < 0xA0) {
                instead = "?"; // a control character of its own range
            }
        } else if (pieces::isControlByte(static_cast<char>(c))) {
            instead = "?";
        } else if (c == '&') {
            instead = "&amp;";
        } else if (c == '<') {
            instead = "&lt;";
        } else if (c == '>') {
            instead = "&gt;";
        } else if (c == '"') {
            instead = "&quot;";
        } else if (c == '\'') {
            instead = "&#39;";
        }
        if (instead.empty()) {
            i += length;
            continue;
        }
        out.text(text.substr(plain, i - plain));
        out.text(instead);
        i += length;
        plain = i;
    }
    out.text(text.substr(plain));
}

class HtmlComposer {
public:
    HtmlComposer(TextSink& out, const ExportRequest& request)
        : m_out(out), m_request(request), m_files(request.files), m_columns(request.columns),
          m_stats(request.stats != nullptr && request.stats->size() == request.files.size()
                      ? request.stats->data()
                      : nullptr) {}

    void compose() {
        head();
        const std::string_view chosen = m_request.folder;
        std::vector<char> chosenNumbers(m_files.folderCount());
        for (size_t k = 0; k < chosenNumbers.size(); ++k) {
            chosenNumbers[k] = m_files.folderPath(static_cast<uint32_t>(k)) == chosen;
        }
        const auto inChosen = [&](uint32_t number) {
            return number == FileList::kNoFolder ? chosen.empty() : chosenNumbers[number] != 0;
        };
        // The chosen folder's own files first, as in the text list.
        const size_t count = m_files.size();
        bool open = false;
        for (size_t i = 0; i < count; ++i) {
            if (inChosen(m_files.folderIndex(i))) {
                if (!open) {
                    beginSection();
                    open = true;
                }
                row(i);
            }
        }
        // Then a section for each run of another folder's files.
        std::string_view current = chosen;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t number = m_files.folderIndex(i);
            if (inChosen(number)) {
                if (open) {
                    endSection();
                    open = false;
                }
                continue;
            }
            const std::string_view folder = m_files.folderPath(number);
            if (!open || folder != current) {
                if (open) {
                    endSection();
                }
                current = folder;
                open = true;
                beginFolder(i, folder);
            }
            row(i);
        }
        if (open) {
            endSection();
        }
        if (m_request.options.showDateTime) {
            m_out.text("<footer>");
            m_out.text(exportFooter(m_request.exportedAt));
            m_out.text("</footer>\n");
        }
        m_out.text(kScript);
        m_out.text("</body>\n</html>\n");
        m_out.flush();
    }

private:
    void head() {
        const std::string title = m_request.labels.title + " " + folderLabel(m_request.folder);
        m_out.text("<!DOCTYPE html>\n<html");
        if (!m_request.labels.language.empty()) {
            m_out.text(" lang=\"");
            escaped(m_out, m_request.labels.language);
            m_out.text("\"");
        }
        m_out.text(">\n<head>\n<meta charset=\"utf-8\">\n"
                   "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                   "<meta name=\"generator\" content=\"Orvane Zentory\">\n<title>");
        escaped(m_out, title);
        m_out.text("</title>\n");
        m_out.text(kStyle);
        if (m_columns.size) { // the sizes to the right, under their heading
            m_out.text("td:nth-child(2),th:nth-child(2){text-align:right;flex:0 0 9em}\n");
        }
        if (m_columns.modified) {
            m_out.text(m_columns.size ? "td:nth-child(3),th:nth-child(3)"
                                      : "td:nth-child(2),th:nth-child(2)");
            m_out.text("{flex:0 0 10em}\n");
        }
        m_out.text("</style>\n</head>\n<body>\n<h1>");
        escaped(m_out, title);
        if (m_columns.totals) {
            totals(0, [](size_t) { return true; });
        }
        m_out.text("</h1>\n");
    }

    // " <span>(N files, B bytes)</span>" of the entries from `begin` on, up to
    // the first one that `takes` refuses.
    template <typename Takes> void totals(size_t begin, Takes takes) {
        uint64_t files = 0;
        uint64_t bytes = 0;
        for (size_t i = begin; i < m_files.size() && takes(i); ++i) {
            ++files;
            if (m_stats != nullptr && m_stats[i].known()) {
                bytes += static_cast<uint64_t>(m_stats[i].size);
            }
        }
        const ExportLabels& labels = m_request.labels;
        m_out.text(" <span>(");
        escaped(m_out, countText(labels, files, groupedCount(files, labels.digitGroup), bytes,
                                 groupedCount(bytes, labels.digitGroup)));
        m_out.text(")</span>");
    }

    // The section of the run of `folder`'s files that begins with entry `first`.
    void beginFolder(size_t first, std::string_view folder) {
        const std::string_view chosen = m_request.folder;
        m_out.text("<section>\n<h2>");
        escaped(m_out, m_request.labels.heading);
        m_out.text(" ...");
        escaped(m_out, folder.substr(std::min(chosen.size(), folder.size())));
        if (m_columns.totals) {
            totals(first,
                   [&](size_t k) { return m_files.folderPath(m_files.folderIndex(k)) == folder; });
        }
        m_out.text("</h2>\n");
        table();
    }

    void beginSection() {
        m_out.text("<section>\n");
        table();
    }

    void table() {
        m_out.text("<table>\n<thead><tr><th>");
        escaped(m_out, m_request.labels.nameColumn);
        if (m_columns.size) {
            m_out.text("<th class=\"n\">");
            escaped(m_out, m_request.labels.sizeColumn);
        }
        if (m_columns.modified) {
            m_out.text("<th>");
            escaped(m_out, m_request.labels.modifiedColumn);
        }
        m_out.text("</tr></thead>\n<tbody>\n");
        m_rows = 0;
    }

    void endSection() { m_out.text("</tbody>\n</table>\n</section>\n"); }

    void row(size_t i) {
        if (m_rows == kGroupRows) {
            m_out.text("</tbody>\n<tbody>\n");
            m_rows = 0;
        }
        ++m_rows;
        m_out.text("<tr><td>");
        std::string_view name = m_files.name(i);
        if (!m_request.options.showExtensions) {
            name = name.substr(0, extensionDot(name));
        }
        const uint32_t number = m_files.folderIndex(i);
        if (m_request.options.showFullPath && number != FileList::kNoFolder) {
            escaped(m_out, m_files.folderPath(number));
            m_out.text(std::string_view(&kPathSeparator, 1));
        }
        escaped(m_out, name);
        const FileStat stat = m_stats != nullptr ? m_stats[i] : FileStat{};
        if (m_columns.size) {
            m_out.text("<td>");
            m_out.text(listSizeCell(stat));
        }
        if (m_columns.modified) {
            m_out.text("<td>");
            m_out.text(listTimeCell(m_times, stat));
        }
        m_out.text("</tr>\n");
    }

    TextSink& m_out;
    const ExportRequest& m_request;
    const FileList& m_files;
    const ListColumns m_columns;
    const FileStat* m_stats; // one per entry; none when the request has none to match
    FileTimes m_times;
    size_t m_rows = 0; // in the table's last group
};

} // namespace

void composeHtml(TextSink& out, const ExportRequest& request) {
    HtmlComposer(out, request).compose();
}

} // namespace zentory
