#pragma once
// The text export: the exported file's content, composed from the chosen
// folder, the file list, the options, two catalogue texts and the time stamp,
// and its writing. The content is, with CR LF after every line:
//   text 38, " ", the folder label ("folder/..."), an empty line;
//   the lines of the files that lie directly in the folder;
//   the lines of all other files, in list order, each run of one folder opened
//   by the heading: empty line, "---", empty line, text 40 + " ..." + the
//   folder below the chosen one (such as "/img/old") + ":", empty line;
//   with the date only: an empty line and "Folder exported on YYYY/MM/DD hh:mm
//   with Orvane Zentory", without a line end.
// A line holds the file's name, or its full path; without extensions the name
// is cut before its last "." unless that is its first character. A control
// byte (0x01 to 0x1F, 0x7F) is written as "?", so one file stays one line;
// every other byte is written as it is held.

#include "listing/FileList.h"

#include <functional>
#include <string>
#include <string_view>

namespace zentory {

// The content options, as the window starts with them.
struct ExportOptions {
    bool showFullPath = false;
    bool showExtensions = true;
    bool showDateTime = true;
};

// "YYYY/MM/DD hh:mm" from a twelve-digit stamp of CSettingsStore::GetTimeStamp.
std::string FormatExportDate(const std::string& timeStamp);

// The exported file's bytes, CR LF line ends included. `folder` is the chosen
// folder's path (every entry begins with it and a "/"); `text38` and `text40`
// are the catalogue's title and heading texts; `timeStamp` is used only when
// options.showDateTime is set.
std::string ComposeExport(const std::string& folder, const FileList& files,
                          const ExportOptions& options, const std::string& text38,
                          const std::string& text40, const std::string& timeStamp);

// The same bytes handed to `write` in pieces of a few hundred kilobytes, so that a
// long list is never held twice. Exceptions from `write` pass through.
void StreamExport(const std::function<void(std::string_view)>& write, const std::string& folder,
                  const FileList& files, const ExportOptions& options, const std::string& text38,
                  const std::string& text40, const std::string& timeStamp);

// Writes the same bytes to the file `outputPath` (created, or replaced when it
// exists) through platform::SafeFile: on a failure the old file is untouched.
// Throws platform::FileError.
void WriteExport(const std::string& outputPath, const std::string& folder, const FileList& files,
                 const ExportOptions& options, const std::string& text38, const std::string& text40,
                 const std::string& timeStamp);

} // namespace zentory
