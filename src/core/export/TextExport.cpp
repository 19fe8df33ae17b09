#include "export/TextExport.h"

#include "export/FileName.h"
#include "export/FileTimes.h"
#include "export/Pieces.h"
#include "i18n/Placeholders.h"

#include "listing/FolderPath.h"
#include "platform/write/SafeFile.h"
#include <algorithm>

#include <cstring>
#include <vector>

namespace zentory {

namespace {

// From this many entries on, the text is composed on a second thread while the
// first one writes.
constexpr size_t kPipedEntries = 50000;

using pieces::TextSink;

class Composer {
public:
    Composer(TextSink& out, const ExportRequest& request)
        : m_out(out), m_files(request.files), m_options(request.options), m_request(request),
          m_columns(request.columns),
          m_stats(request.stats != nullptr && request.stats->size() == request.files.size()
                      ? request.stats->data()
                      : nullptr) {}

    void compose() {
        const std::string_view chosen = m_request.folder;
        title();

        // Which folder numbers spell the chosen folder; a path without any
        // separator lies in the folder "".
        std::vector<char> chosenNumbers(m_files.folderCount());
        for (size_t k = 0; k < chosenNumbers.size(); ++k) {
            chosenNumbers[k] = m_files.folderPath(static_cast<uint32_t>(k)) == chosen;
        }
        auto inChosen = [&](uint32_t number) {
            return number == FileList::kNoFolder ? chosen.empty() : chosenNumbers[number] != 0;
        };

        // The files of the chosen folder come first, wherever they stand in the list.
        const size_t count = m_files.size();
        for (size_t i = 0; i < count; ++i) {
            const uint32_t number = m_files.folderIndex(i);
            if (inChosen(number)) {
                line(i, number);
            }
        }
        // Then every other file, with a heading whenever the folder changes.
        std::string_view current = chosen;
        uint32_t currentNumber = FileList::kNoFolder;
        bool numbered = false; // whether currentNumber spells `current`
        for (size_t i = 0; i < count; ++i) {
            const uint32_t number = m_files.folderIndex(i);
            if (!numbered || number != currentNumber) {
                const std::string_view entryFolder = m_files.folderPath(number);
                if (entryFolder != current) {
                    current = entryFolder;
                    if (current.size() > chosen.size()) {
                        heading(current.substr(chosen.size()), i);
                    }
                }
                currentNumber = number;
                numbered = true;
            }
            if (!inChosen(number)) {
                line(i, number);
            }
        }
        if (m_options.showDateTime) {
            footer();
        }
        m_out.flush();
    }

private:
    void title() {
        m_out.cleanText(m_request.labels.title);
        m_out.text(" ");
        m_out.cleanText(folderLabel(m_request.folder));
        if (m_columns.totals) {
            totals(0, m_files.size(), [](size_t) { return true; });
        }
        m_out.lineEnd();
        m_out.lineEnd();
    }

    void footer() {
        m_out.lineEnd();
        m_out.lineEnd();
        m_out.text(exportFooter(m_request.exportedAt));
    }

    void line(size_t i, uint32_t folderNumber) {
        std::string_view name = m_files.name(i);
        if (!m_options.showExtensions) {
            name = name.substr(0, extensionDot(name));
        }
        if (m_options.showFullPath && folderNumber != FileList::kNoFolder) {
            m_out.cleanText(m_files.folderPath(folderNumber));
            m_out.text(std::string_view(&kPathSeparator, 1));
        }
        m_out.cleanText(name);
        if (m_columns.size || m_columns.modified) {
            columns(i);
        }
        m_out.lineEnd();
    }

    void columns(size_t i) {
        const FileStat stat = m_stats != nullptr ? m_stats[i] : FileStat{};
        if (m_columns.size) {
            m_out.text("\t");
            m_out.text(listSizeCell(stat));
        }
        if (m_columns.modified) {
            m_out.text("\t");
            m_out.text(listTimeCell(m_times, stat));
        }
    }

    // " (N files, B bytes)" of the entries from `begin` on, up to `end` or the
    // first one that `takes` refuses.
    template <typename Takes> void totals(size_t begin, size_t end, Takes takes) {
        uint64_t files = 0;
        uint64_t bytes = 0;
        for (size_t i = begin; i < end && takes(i); ++i) {
            ++files;
            if (m_stats != nullptr && m_stats[i].known()) {
                bytes += static_cast<uint64_t>(m_stats[i].size);
            }
        }
        m_out.text(" (" +
                   countText(m_request.labels, files, std::to_string(files), bytes,
                             std::to_string(bytes)) +
                   ")");
    }

    // The heading of the folder whose run of entries begins with entry `first`.
    void heading(std::string_view relativeFolder, size_t first) {
        m_out.lineEnd();
        m_out.text("---");
        m_out.lineEnd();
        m_out.lineEnd();
        m_out.cleanText(m_request.labels.heading);
        m_out.text(" ...");
        m_out.cleanText(relativeFolder);
        m_out.text(":");
        if (m_columns.totals) {
            const uint32_t number = m_files.folderIndex(first);
            const std::string_view folder = m_files.folderPath(number);
            totals(first, m_files.size(), [&](size_t i) {
                const uint32_t n = m_files.folderIndex(i);
                return n == number || m_files.folderPath(n) == folder;
            });
        }
        m_out.lineEnd();
        m_out.lineEnd();
    }

    TextSink& m_out;
    const FileList& m_files;
    const ExportOptions& m_options;
    const ExportRequest& m_request;
    const ListColumns m_columns;
    const FileStat* m_stats; // one per entry; none when the request has none to match
    FileTimes m_times;
};

} // namespace

std::string formatExportDate(const platform::LocalTime& time) {
    auto two = [](int value) {
        std::string digits = std::to_string(value);
        return digits.size() < 2 ? "0" + digits : digits;
    };
    return std::to_string(time.year) + "/" + two(time.month) + "/" + two(time.day) + " " +
           two(time.hour) + ":" + two(time.minute);
}

std::string exportFooter(const platform::LocalTime& time) {
    return "Folder exported on " + formatExportDate(time) + " with Orvane Zentory";
}

std::string countText(const ExportLabels& labels, std::uint64_t fileCount, const std::string& files,
                      std::uint64_t byteCount, const std::string& bytes) {
    // A label left empty (a translation file of an older version) keeps the English words.
    const auto word = [](const std::string& label, const char* english) {
        return label.empty() ? std::string(english) : label;
    };
    return fillPlaceholders(fileCount == 1 ? word(labels.oneFile, "%1 file")
                                           : word(labels.files, "%1 files"),
                            files) +
           ", " +
           fillPlaceholders(byteCount == 1 ? word(labels.oneByte, "%1 byte")
                                           : word(labels.bytes, "%1 bytes"),
                            bytes);
}

std::string groupedCount(uint64_t count, std::string_view group) {
    const std::string digits = std::to_string(count);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 * group.size());
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out.append(group);
        }
        out += digits[i];
    }
    return out;
}

std::string listSizeCell(const FileStat& stat) {
    return stat.known() ? std::to_string(stat.size) : std::string("-");
}

std::string_view listTimeCell(FileTimes& times, const FileStat& stat) {
    return stat.known() ? times.listTime(stat.modified) : std::string_view("-");
}

std::string oneLine(std::string text) {
    std::replace_if(text.begin(), text.end(), pieces::isControlByte, '?');
    return text;
}

std::string composeExport(const ExportRequest& request) {
    std::string out;
    out.reserve(request.files.nameBytes() + 3 * request.files.size() + 256);
    streamExport([&out](std::string_view piece) { out.append(piece); }, request);
    return out;
}

void streamExport(const std::function<void(std::string_view)>& write,
                  const ExportRequest& request) {
    pieces::streamPieces(
        write, [&](TextSink& sink) { Composer(sink, request).compose(); },
        request.files.size() >= kPipedEntries);
}

void writeExport(const std::string& outputPath, const ExportRequest& request) {
    platform::SafeFile file(outputPath);
    streamExport([&file](std::string_view bytes) { file.write(bytes); }, request);
    file.commit();
}

} // namespace zentory