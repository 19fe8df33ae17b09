// The export composition over arbitrary file lists, labels and options. The
// list is built as the walk gives one: paths below a folder, one entry per file,
// in byte order. The text must equal a plain, line-by-line rendering of the
// export rules, and on its own terms: every line ends in CR LF except the
// footer, no control byte is left in a line, and the number of lines follows
// from the entries and the headings.
//
// Input: the labels, the folder and then one path per entry, each a string
// ended by a backslash and another byte ("\\" stands for one backslash);
// from the end backwards: full path, extensions, date, then the twelve digits
// of the time stamp. (streamExport is left to the unit tests: its 64 KiB
// pieces cost an mmap per run under the sanitizers, a tenth of the speed.)

#include "export/TextExport.h"
#include "listing/FolderPath.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace zentory;

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

std::string withoutByte(std::string text, char byte) {
    text.erase(std::remove(text.begin(), text.end(), byte), text.end());
    return text;
}

// A catalogue text as a line of the translation file can hold it: no LF, and
// nothing from a 0x1A on. Other control bytes (a CR, a tab) stay: the export
// must write them as "?" like a name's.
std::string catalogueText(const std::string& raw) {
    return withoutByte(raw.substr(0, raw.find('\x1a')), '\n');
}

// A path below the folder, as names of folders and a file: no empty, "." or
// ".." component, and no file name that ends with "." (the walk drops those).
std::string relativePath(const std::string& raw) {
    std::string rel;
    std::string part;
    const std::string text = withoutByte(raw, '\0') + "/";
    for (char c : text) {
        if (c != '/') {
            part += c;
            continue;
        }
        if (!part.empty() && part != "." && part != "..") {
            rel += rel.empty() ? "" : "/";
            rel += part;
        }
        part.clear();
    }
    return rel.empty() || rel.back() == '.' ? std::string() : rel;
}

zentory::platform::LocalTime someTime(FuzzedDataProvider& in) {
    zentory::platform::LocalTime t;
    t.year = in.ConsumeIntegralInRange(0, 9999);
    t.month = in.ConsumeIntegralInRange(1, 12);
    t.day = in.ConsumeIntegralInRange(1, 31);
    t.hour = in.ConsumeIntegralInRange(0, 23);
    t.minute = in.ConsumeIntegralInRange(0, 59);
    return t;
}

std::string printable(std::string text) {
    for (auto& c : text) {
        c = isControl(static_cast<unsigned char>(c)) ? '?' : c;
    }
    return text;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// The export rules, one line at a time, with LF line ends.
std::string render(const std::string& folder, const std::vector<std::string>& paths,
                   const ExportOptions& options, const std::string& text38,
                   const std::string& text40, const zentory::platform::LocalTime& stamp,
                   size_t& headings) {
    std::string rootLines;
    std::string subLines;
    std::string current = folder;
    headings = 0;
    for (const auto& path : paths) {
        const std::string entryFolder = folderOf(path);
        if (entryFolder != current) {
            current = entryFolder;
            if (current != folder) {
                subLines += "\n---\n\n" + printable(text40) + " ..." +
                            printable(current.substr(folder.size())) + ":\n\n";
                ++headings;
            }
        }
        std::string line = path;
        const size_t nameStart = path.rfind('/') + 1;
        const size_t dot = line.rfind('.');
        if (!options.showExtensions && dot != std::string::npos && dot > nameStart) {
            line.resize(dot);
        }
        if (!options.showFullPath) {
            line = line.substr(nameStart);
        }
        (current == folder ? rootLines : subLines) += printable(line) + "\n";
    }
    std::string text =
        printable(text38) + " " + printable(folderLabel(folder)) + "\n\n" + rootLines + subLines;
    if (options.showDateTime) {
        text += "\n\nFolder exported on " + formatExportDate(stamp) + " with Orvane Zentory";
    }
    return text;
}

std::string crLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return out;
}

void check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

// The text on its own terms: `lines` CR LF pairs, no other CR or LF, no control
// byte within a line, and after the last line end the footer or nothing.
void checkLines(const std::string& text, size_t lines, const ExportOptions& options,
                const zentory::platform::LocalTime& stamp) {
    size_t start = 0;
    size_t count = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        for (size_t i = start; i < end; ++i) {
            check(!isControl(static_cast<unsigned char>(text[i])));
        }
        ++count;
    }
    check(count == lines);
    const std::string last = text.substr(start);
    check(last == (options.showDateTime
                       ? "Folder exported on " + formatExportDate(stamp) + " with Orvane Zentory"
                       : ""));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    ExportOptions options;
    options.showFullPath = in.ConsumeBool();
    options.showExtensions = in.ConsumeBool();
    options.showDateTime = in.ConsumeBool();
    const zentory::platform::LocalTime stamp = someTime(in);
    const std::string text38 = catalogueText(in.ConsumeRandomLengthString(40));
    const std::string text40 = catalogueText(in.ConsumeRandomLengthString(40));
    const std::string folder =
        absoluteFolder(withoutByte(in.ConsumeRandomLengthString(40), '\0'), "/");

    // The walk joins with "/", so below the root "/" every path starts "//".
    std::set<std::string> entries;
    while (in.remaining_bytes() > 0 && entries.size() < 256) {
        const std::string rel = relativePath(in.ConsumeRandomLengthString(48));
        if (!rel.empty()) {
            entries.insert(folder + "/" + rel + "\n");
        }
    }
    // The walk's order is the byte order of the whole entries, LF included.
    FileList files;
    std::vector<std::string> paths;
    for (const auto& entry : entries) {
        paths.push_back(entry.substr(0, entry.size() - 1));
        files.append(paths.back());
    }

    const std::string text = composeExport({files, folder, options, {text38, text40}, stamp});
    size_t headings = 0;
    check(text == crLf(render(folder, paths, options, text38, text40, stamp, headings)));
    checkLines(text, 2 + paths.size() + 5 * headings + (options.showDateTime ? 2 : 0), options,
               stamp);
    return 0;
}
