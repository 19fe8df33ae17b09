#pragma once
// The text export: the exported file's content, composed from the chosen
// folder, the file list, the options, two catalogue texts and the time stamp,
// and its writing. The content is, with CR LF after every line:
//   the title label, " ", the folder label ("folder/..."), an empty line;
//   the lines of the files that lie directly in the folder;
//   the lines of all other files, in list order, each run of one folder opened
//   by the heading: empty line, "---", empty line, the heading label + " ..." + the
//   folder below the chosen one (such as "/img/old") + ":", empty line;
//   with the date only: an empty line and "Folder exported on YYYY/MM/DD hh:mm
//   with Orvane Zentory", without a line end.
// A line holds the file's name, or its full path; without extensions the name
// is cut before its last "." unless that is its first character. A control
// byte (0x01 to 0x1F, 0x7F) is written as "?", so one file stays one line;
// every other byte is written as it is held.
// The command line's columns add to each file's line a tab and the size in
// bytes, and a tab and the time of last change ("YYYY/MM/DD hh:mm", local
// time), each "-" for a file that leads nowhere; its totals end the title line
// and each heading with " (N files, B bytes)" of the files listed under it, in
// the words of the labels ("1 file", "1 byte" for one).

#include "export/FileTimes.h"
#include "listing/FileList.h"
#include "listing/FileStat.h"
#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

// The content options, as the window starts with them.
struct ExportOptions {
    bool showFullPath = false;
    bool showExtensions = true;
    bool showDateTime = true;
};

// "YYYY/MM/DD hh:mm": the year as it is, the other fields with two digits.
std::string formatExportDate(const platform::LocalTime& time);
// The footer's sentence: "Folder exported on YYYY/MM/DD hh:mm with Orvane Zentory".
std::string exportFooter(const platform::LocalTime& time);

// The catalogue texts that the export writes: the title before the folder in
// the first line, and the word before each sub-folder's heading. The HTML page
// and the tree also write the rest, each empty for the other lists.
struct ExportLabels {
    std::string title;
    std::string heading;
    // The HTML page's column headings.
    std::string nameColumn{};
    std::string sizeColumn{};
    std::string modifiedColumn{};
    // The totals (countText): "%1 files" and "%1 file", "%1 bytes" and
    // "%1 byte". English where empty.
    std::string files{};
    std::string oneFile{};
    std::string bytes{};
    std::string oneByte{};
    // The tree's closing line, "%1 folders, %2 files", by whether there is
    // one folder (bit 1) and one file (bit 0).
    std::array<std::string, 4> closing{};
    // What stands between groups of three digits ("1,234"); "" for none.
    std::string digitGroup{};
    // The page's language, as HTML names it ("en", "de-DE"); "" when unknown.
    std::string language{};
};

// `count` with `group` between each three digits from the right.
std::string groupedCount(uint64_t count, std::string_view group);

// "N files, B bytes" in the words of `labels` ("1 file", "1 byte" for one),
// the numbers as `files` and `bytes` write them.
std::string countText(const ExportLabels& labels, std::uint64_t fileCount, const std::string& files,
                      std::uint64_t byteCount, const std::string& bytes);

// What the command line adds to the text list.
struct ListColumns {
    bool size = false;
    bool modified = false;
    bool totals = false;

    bool any() const { return size || modified || totals; }
};

// What one export is made of. `folder` is the chosen folder's path (every entry
// of `files` begins with it and a "/"); `exportedAt`, the local time of the
// export, is used only when options.showDateTime is set.
// `stats`, one for each entry of `files`, gives the sizes and times of the
// columns; without it every file counts as leading nowhere.
struct ExportRequest {
    const FileList& files;
    std::string folder;
    ExportOptions options;
    ExportLabels labels;
    platform::LocalTime exportedAt;
    ListColumns columns{};
    const std::vector<FileStat>* stats = nullptr;
    // The tree drawn with "|-- " and "`-- " rather than Unicode's line drawing.
    bool asciiTree = false;
};

// A cell of the size and time columns as the text list writes it: the size in
// bytes, the time of last change ("YYYY/MM/DD hh:mm"); "-" for a file that
// leads nowhere. The time lasts until the next call on `times`.
std::string listSizeCell(const FileStat& stat);
std::string_view listTimeCell(FileTimes& times, const FileStat& stat);

// `text` with every control byte written as "?", as an exported line holds it,
// so that it stays one line wherever it is written.
std::string oneLine(std::string text);

// The exported file's bytes, CR LF line ends included.
std::string composeExport(const ExportRequest& request);

// The same bytes handed to `write` in pieces of 64 KiB, so that a long list is
// never held twice. Exceptions from `write` pass through.
void streamExport(const std::function<void(std::string_view)>& write, const ExportRequest& request);

// Writes the same bytes to the file `outputPath` (created, or replaced when it
// exists) through platform::SafeFile: on a failure the old file is untouched.
// Throws platform::FileError.
void writeExport(const std::string& outputPath, const ExportRequest& request);

} // namespace zentory
