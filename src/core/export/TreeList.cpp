#include "export/TreeList.h"

#include "export/FileName.h"
#include "export/FileTimes.h"
#include "i18n/Placeholders.h"

#include <cstring>
#include <vector>

namespace zentory {

namespace {

using pieces::TextSink;

struct Lines {
    std::string_view branch;  // before a node that has more below it in its folder
    std::string_view last;    // before the last node of its folder
    std::string_view through; // below a node with more after it
};

constexpr Lines kUnicode{"\u251c\u2500\u2500 ", "\u2514\u2500\u2500 ", "\u2502   "};
constexpr Lines kAscii{"|-- ", "`-- ", "|   "};

// Whether the folder `folder` (relative to the chosen one) is `prefix` or lies below it.
bool under(std::string_view folder, std::string_view prefix) {
    return prefix.empty() ||
           (folder.starts_with(prefix) &&
            (folder.size() == prefix.size() || folder[prefix.size()] == kPathSeparator));
}

class TreeComposer {
public:
    TreeComposer(TextSink& out, const ExportRequest& request)
        : m_out(out), m_request(request), m_files(request.files),
          m_lines(request.asciiTree ? kAscii : kUnicode),
          m_stats(request.stats != nullptr && request.stats->size() == request.files.size()
                      ? request.stats->data()
                      : nullptr) {}

    void compose() {
        m_out.cleanText(m_request.folder);
        m_out.text("\n");
        const size_t count = m_files.size();
        uint32_t number = 0;
        std::string_view folder;
        for (size_t i = 0; i < count; ++i) {
            if (i == 0 || m_files.folderIndex(i) != number) {
                number = m_files.folderIndex(i);
                folder = relative(number);
                open(folder, i);
            }
            // The last of its folder when the next entry lies in no folder at or below it.
            const bool last =
                i + 1 == count || (m_files.folderIndex(i + 1) != number &&
                                   !under(relative(m_files.folderIndex(i + 1)), folder));
            file(i, number, last);
        }
        closing(count);
        m_out.flush();
    }

private:
    // An open folder: its path relative to the chosen one, and how long the
    // indent was before it.
    struct Open {
        std::string_view folder;
        size_t indent;
    };

    std::string_view relative(uint32_t number) const {
        return relativeFolder(m_files.folderPath(number), m_request.folder);
    }

    // Closes the folders that `folder` is not in and draws those on the way
    // down to it, whose runs of entries begin with entry `first`.
    void open(std::string_view folder, size_t first) {
        while (!m_open.empty() && !under(folder, m_open.back().folder)) {
            m_indent.resize(m_open.back().indent);
            m_open.pop_back();
        }
        std::string_view top = m_open.empty() ? std::string_view() : m_open.back().folder;
        while (top.size() < folder.size()) {
            const size_t start = top.empty() ? 0 : top.size() + 1;
            const size_t end = std::min(folder.find(kPathSeparator, start), folder.size());
            const std::string_view next = folder.substr(0, end);
            const size_t after = runEnd(first, next);
            const bool last =
                after == m_files.size() || !under(relative(m_files.folderIndex(after)), top);
            m_out.text(m_indent);
            m_out.text(last ? m_lines.last : m_lines.branch);
            if (m_request.options.showFullPath) {
                const std::string_view full = m_files.folderPath(m_files.folderIndex(first));
                m_out.cleanText(full.substr(0, full.size() - folder.size() + next.size()));
            } else {
                m_out.cleanText(next.substr(start));
            }
            m_out.text("\n");
            m_open.push_back({next, m_indent.size()});
            m_indent.append(last ? std::string_view("    ") : m_lines.through);
            ++m_folders;
            top = next;
        }
    }

    // The first entry after `first` that does not lie in `folder` or below it.
    size_t runEnd(size_t first, std::string_view folder) const {
        uint32_t inside = m_files.folderIndex(first);
        size_t i = first + 1;
        for (; i < m_files.size(); ++i) {
            const uint32_t number = m_files.folderIndex(i);
            if (number != inside) {
                if (!under(relative(number), folder)) {
                    break;
                }
                inside = number;
            }
        }
        return i;
    }

    void file(size_t i, uint32_t number, bool last) {
        std::string_view name = m_files.name(i);
        if (!m_request.options.showExtensions) {
            name = name.substr(0, extensionDot(name));
        }
        const std::string_view branch = last ? m_lines.last : m_lines.branch;
        if (m_plainNames) { // the common line, put in with one look for room
            char* out = m_out.room(m_indent.size() + branch.size() + name.size() + 1);
            std::memcpy(out, m_indent.data(), m_indent.size());
            out += m_indent.size();
            std::memcpy(out, branch.data(), branch.size());
            out += branch.size();
            pieces::copyClean(out, name);
            out[name.size()] = '\n';
            return;
        }
        m_out.text(m_indent);
        m_out.text(branch);
        if (m_request.columns.size || m_request.columns.modified) {
            stat(m_stats != nullptr ? m_stats[i] : FileStat{});
        }
        if (m_request.options.showFullPath && number != FileList::kNoFolder) {
            m_out.cleanText(m_files.folderPath(number));
            m_out.text(std::string_view(&kPathSeparator, 1));
        }
        m_out.cleanText(name);
        m_out.text("\n");
    }

    // "[       1234 2026/12/08 14:03]  ", as the columns ask.
    void stat(const FileStat& stat) {
        m_out.text("[");
        if (m_request.columns.size) {
            const std::string size = listSizeCell(stat);
            constexpr size_t kWidth = 11;
            if (size.size() < kWidth) {
                m_out.text(std::string_view("           ", kWidth - size.size()));
            }
            m_out.text(size);
            if (m_request.columns.modified) {
                m_out.text(" ");
            }
        }
        if (m_request.columns.modified) {
            m_out.text(listTimeCell(m_times, stat));
        }
        m_out.text("]  ");
    }

    void closing(size_t files) {
        const ExportLabels& labels = m_request.labels;
        const size_t which = (m_folders == 1 ? 2 : 0) + (files == 1 ? 1 : 0);
        m_out.text("\n");
        m_out.cleanText(fillPlaceholders(labels.closing[which],
                                         groupedCount(m_folders, labels.digitGroup),
                                         groupedCount(files, labels.digitGroup)));
        m_out.text("\n");
        if (m_request.options.showDateTime) {
            m_out.text("\n");
            m_out.text(exportFooter(m_request.exportedAt));
            m_out.text("\n");
        }
    }

    TextSink& m_out;
    const ExportRequest& m_request;
    const FileList& m_files;
    const Lines m_lines;
    const FileStat* m_stats; // one per entry; none when the request has none to match
    // Whether a file's line is its name alone after the branch.
    const bool m_plainNames =
        !m_request.options.showFullPath && !m_request.columns.size && !m_request.columns.modified;
    FileTimes m_times;
    std::vector<Open> m_open; // the folders drawn that the entries are still in
    std::string m_indent;     // what comes before a line's branch at this depth
    uint64_t m_folders = 0;
};

} // namespace

void composeTree(TextSink& out, const ExportRequest& request) {
    TreeComposer(out, request).compose();
}

} // namespace zentory
