#pragma once
// Line-oriented text files with the program's line rules. Reading: a line ends
// at LF, a CR directly before the LF is dropped, a byte 0x1A ends the text, and
// a last line without a line end is still a line. Writing: every LF goes out as
// CR LF, on every platform.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zentory::platform {

// Splits text into lines by the reading rules. Works on any bytes; every
// byte of a line is kept (a rewrite puts them back).
std::vector<std::string> splitLines(std::string_view text);

// The line's text as a C string reads it: up to its first NUL byte. A name
// made from it then reaches the system whole, never cut short there.
std::string_view textOfLine(std::string_view line);

// splitLines, each line then cut by textOfLine: the lines as the settings and
// the catalogue read them.
std::vector<std::string> splitTextLines(std::string_view text);

// The largest settings or translation file the program reads: a hand-made
// one is a few kilobytes, and the whole of it is held in memory.
inline constexpr size_t kTextFileLimit = size_t{1} << 20;

// Reads the whole file at `path`. Throws FileError when it cannot be opened or
// read, is no regular file (a FIFO, a device), or holds more than `limit`
// bytes ("too large"), also when it grows past the limit while it is read:
// no more than one byte beyond the limit is ever read.
std::string readFile(const std::string& path, size_t limit = kTextFileLimit);

// Why a file of more than `limit` bytes is not read: "too large (over 1 MiB)".
std::string tooLargeReason(size_t limit);

// readFile, then splitTextLines.
std::vector<std::string> readLines(const std::string& path, size_t limit = kTextFileLimit);

// The bytes that reading leaves out: from the first 0x1A on ("" without one).
std::string_view unreadTail(std::string_view text);

// Appends `text` to `out` with every LF written as CR LF.
void appendCrLf(std::string& out, std::string_view text);

// Writes `text` (LF line ends) to `path` as CR LF text through SafeFile, then
// `tail` exactly as it is. `durable` asks for the data to reach the disk
// before the old file is replaced.
void writeText(const std::string& path, std::string_view text, bool durable = false,
               std::string_view tail = {});

} // namespace zentory::platform
