#include "export/CsvList.h"
#include "export/FileName.h"
#include "export/FileTimes.h"

#include <charconv>
#include <initializer_list>

namespace zentory {

namespace {

using pieces::TextSink;

bool needsQuotes(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

// Whether a spreadsheet would take a cell beginning with `first` for a
// formula and run it (=HYPERLINK(...), =cmd|...!A0, +SUM(...), @SUM(...), -2+3).
bool startsFormula(char first) {
    return first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' ||
           first == '\r';
}

// One field made of `parts`, quoted when it must be. A field that a
// spreadsheet would run as a formula is quoted and begins with "'", so that
// the spreadsheet shows it as text; a program reading the list drops that "'".
void field(TextSink& out, std::initializer_list<std::string_view> parts) {
    bool quoted = false;
    bool formula = false;
    bool first = true;
    for (const auto part : parts) {
        quoted = quoted || needsQuotes(part);
        if (first && !part.empty()) {
            formula = startsFormula(part.front());
            first = false;
        }
    }
    quoted = quoted || formula;
    if (!quoted) {
        for (const auto part : parts) {
            out.text(part);
        }
        return;
    }
    out.text(formula ? "\"'" : "\"");
    for (auto part : parts) {
        for (size_t quote = part.find('"'); quote != std::string_view::npos;
             quote = part.find('"')) {
            out.text(part.substr(0, quote + 1));
            out.text("\"");
            part.remove_prefix(quote + 1);
        }
        out.text(part);
    }
    out.text("\"");
}

void writeNumber(TextSink& out, int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.text(std::string_view(digits, static_cast<size_t>(end - digits)));
}

} // namespace

void composeCsv(TextSink& out, const ExportRequest& request) {
    const FileList& files = request.files;
    const bool haveStats = request.stats != nullptr && request.stats->size() == files.size();
    FileTimes times;
    out.text("path,folder,name,extension,size,modified\r\n");
    const std::string_view separator(&kPathSeparator, 1);
    for (size_t i = 0; i < files.size(); ++i) {
        const uint32_t number = files.folderIndex(i);
        const std::string_view folder = files.folderPath(number);
        const std::string_view name = files.name(i);
        if (number == FileList::kNoFolder) {
            field(out, {name});
        } else {
            field(out, {tableFolder(folder), separator, name});
        }
        out.text(",");
        field(out, {relativeFolder(folder, request.folder)});
        out.text(",");
        field(out, {name});
        out.text(",");
        const size_t dot = extensionDot(name);
        field(out, {dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1)});
        out.text(",");
        const FileStat stat = haveStats ? (*request.stats)[i] : FileStat{};
        if (stat.known()) {
            writeNumber(out, stat.size);
            out.text(",");
            out.text(times.isoTime(stat.modified));
        } else {
            out.text(",");
        }
        out.text("\r\n");
    }
}

} // namespace zentory
