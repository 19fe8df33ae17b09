#include "platform/TextFile.h"

#include "platform/FileError.h"
#include "platform/write/SafeFile.h"

namespace zentory::platform {

std::string tooLargeReason(size_t limit) {
    return limit % (size_t{1} << 20) == 0
               ? "too large (over " + std::to_string(limit >> 20) + " MiB)"
               : "too large (over " + std::to_string(limit) + " bytes)";
}

std::vector<std::string> splitLines(std::string_view text) {
    if (auto eof = text.find('\x1a'); eof != std::string_view::npos) {
        text = text.substr(0, eof);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        size_t len = end - start;
        if (len > 0 && text[end - 1] == '\r') {
            --len;
        }
        lines.emplace_back(text.substr(start, len));
        start = end + 1;
    }
    return lines;
}

std::string_view textOfLine(std::string_view line) {
    return line.substr(0, line.find('\0'));
}

std::vector<std::string> splitTextLines(std::string_view text) {
    std::vector<std::string> lines = splitLines(text);
    for (auto& line : lines) {
        line.resize(textOfLine(line).size());
    }
    return lines;
}

std::vector<std::string> readLines(const std::string& path, size_t limit) {
    return splitTextLines(readFile(path, limit));
}

void appendCrLf(std::string& out, std::string_view text) {
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            out.append(text.substr(start));
            return;
        }
        out.append(text.substr(start, end - start));
        out.append("\r\n");
        start = end + 1;
    }
}

std::string_view unreadTail(std::string_view text) {
    const auto eof = text.find('\x1a');
    return eof == std::string_view::npos ? std::string_view() : text.substr(eof);
}

void writeText(const std::string& path, std::string_view text, bool durable,
               std::string_view tail) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + tail.size());
    appendCrLf(bytes, text);
    bytes.append(tail);
    SafeFile file(path, durable);
    file.write(bytes);
    file.commit();
}

} // namespace zentory::platform
