#include "platform/TextFile.h"

#include "platform/FileError.h"
#include "platform/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

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

std::string readFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO that nobody writes must not wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw FileError(path, "open", errno);
    }
    // Only a regular file has an end: a FIFO could hold the program for ever
    // and a device such as /dev/zero would fill the memory.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError(path, "read", "not a regular file");
    }
    std::string data;
    // Room for the whole file at once: growing by doubling would hold a large
    // file up to three times while it is read.
    data.reserve(static_cast<size_t>(st.st_size) + 1);
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int err = errno;
            ::close(fd);
            throw FileError(path, "read", err);
        }
        if (n == 0) {
            break;
        }
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

std::vector<std::string> readLines(const std::string& path) {
    return splitTextLines(readFile(path));
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
