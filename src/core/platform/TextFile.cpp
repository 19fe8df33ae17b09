#include "platform/TextFile.h"

#include "platform/FileError.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentory::platform {

namespace {

std::string tooLargeReason(size_t limit) {
    return limit % (size_t{1} << 20) == 0
               ? "too large (over " + std::to_string(limit >> 20) + " MiB)"
               : "too large (over " + std::to_string(limit) + " bytes)";
}

} // namespace

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

std::string readFile(const std::string& path, size_t limit) {
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
    // Refused before a byte is read: a sparse file of many gigabytes costs
    // nothing on the disk but would not fit in the memory.
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        throw FileError(path, "read", tooLargeReason(limit));
    }
    std::string data;
    // Room for the whole file at once: growing by doubling would hold a large
    // file up to three times while it is read.
    data.reserve(static_cast<size_t>(st.st_size) + 1);
    char buf[65536];
    for (;;) {
        // One byte more than the limit at most: a file that grows while it is
        // read is found too large without reading what it grew by.
        const size_t room = limit + 1 - data.size();
        ssize_t n = ::read(fd, buf, std::min(sizeof buf, room));
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
        if (data.size() > limit) {
            ::close(fd);
            throw FileError(path, "read", tooLargeReason(limit));
        }
    }
    ::close(fd);
    return data;
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
