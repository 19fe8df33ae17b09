#include "export/JsonList.h"
#include "export/FileName.h"
#include "export/FileTimes.h"
#include "listing/Utf8.h"

#include <charconv>

namespace zentory {

namespace {

using pieces::TextSink;

// Whether any of the eight bytes in `word` needs a look: a control byte, a
// quote, a backslash or a byte of a multi-byte character.
inline bool needsLook(uint64_t word) {
    using namespace pieces;
    return ((word & kByteHighs) | anyByteBelow(word, 0x20) | anyByteIs(word, '"') |
            anyByteIs(word, '\\')) != 0;
}

constexpr char kHex[] = "0123456789abcdef";

// The bytes of `text` inside a JSON string. Returns false when some byte was
// not part of valid UTF-8 (and so was written as U+FFFD).
bool escaped(TextSink& out, std::string_view text) {
    bool valid = true;
    size_t plain = 0; // bytes from here on are written as they are
    size_t i = 0;
    while ((i = pieces::skipPlainWords(text, i, needsLook)) < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c < 0x80) {
            ++i;
            continue;
        }
        size_t length = 1;
        if (c >= 0x80 && DecodeUtf8(text, i, length) != kNotUtf8) {
            i += length;
            continue;
        }
        out.text(text.substr(plain, i - plain));
        if (c >= 0x80) {
            out.text("\xEF\xBF\xBD");
            valid = false;
        } else if (c == '"' || c == '\\') {
            const char pair[2] = {'\\', static_cast<char>(c)};
            out.text(std::string_view(pair, 2));
        } else {
            const char code[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
            out.text(std::string_view(code, 6));
        }
        i += length;
        plain = i;
    }
    out.text(text.substr(plain));
    return valid;
}

void base64(TextSink& out, std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    bytes.reserve(a.size() + b.size() + c.size());
    bytes.append(a).append(b).append(c);
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        const size_t have = std::min<size_t>(3, bytes.size() - i);
        for (size_t k = 1; k < have; ++k) {
            group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + k]))
                     << (16 - 8 * k);
        }
        for (size_t k = 0; k < 4; ++k) {
            text += k <= have ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
        }
    }
    out.text(text);
}

void writeNumber(TextSink& out, uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.text(std::string_view(digits, static_cast<size_t>(end - digits)));
}

// One file's object, from "{" to "}".
void writeEntry(TextSink& out, const ExportRequest& request, size_t i, const FileStat& stat,
                FileTimes& times) {
    const FileList& files = request.files;
    const std::string_view separator(&kPathSeparator, 1);
    const uint32_t number = files.folderIndex(i);
    const std::string_view folder = files.folderPath(number);
    const std::string_view name = files.name(i);
    out.text("{\"path\":\"");
    bool valid = true;
    const std::string_view pathFolder = tableFolder(folder);
    if (number != FileList::kNoFolder) {
        valid = escaped(out, pathFolder);
        escaped(out, separator); // "\\" on Windows
    }
    valid = escaped(out, name) && valid;
    if (!valid) {
        out.text("\",\"path_base64\":\"");
        number == FileList::kNoFolder ? base64(out, name)
                                      : base64(out, pathFolder, separator, name);
    }
    out.text("\",\"folder\":\"");
    escaped(out, relativeFolder(folder, request.folder));
    out.text("\",\"name\":\"");
    escaped(out, name);
    out.text("\",\"extension\":\"");
    const size_t dot = extensionDot(name);
    if (dot != std::string_view::npos) {
        escaped(out, name.substr(dot + 1));
    }
    if (stat.known()) {
        out.text("\",\"size\":");
        writeNumber(out, static_cast<uint64_t>(stat.size));
        out.text(",\"modified\":\"");
        out.text(times.isoTime(stat.modified));
        out.text("\"}");
    } else {
        out.text("\",\"size\":null,\"modified\":null}");
    }
}

} // namespace

void composeJson(TextSink& out, const ExportRequest& request) {
    const FileList& files = request.files;
    const bool haveStats = request.stats != nullptr && request.stats->size() == files.size();
    const auto statOf = [&](size_t i) { return haveStats ? (*request.stats)[i] : FileStat{}; };
    out.text("{\"folder\":\"");
    if (!escaped(out, request.folder)) {
        out.text("\",\"folder_base64\":\"");
        base64(out, request.folder);
    }
    out.text("\",");
    if (request.columns.totals) {
        uint64_t bytes = 0;
        for (size_t i = 0; i < files.size(); ++i) {
            bytes += statOf(i).known() ? static_cast<uint64_t>(statOf(i).size) : 0;
        }
        out.text("\"totals\":{\"files\":");
        writeNumber(out, files.size());
        out.text(",\"bytes\":");
        writeNumber(out, bytes);
        out.text("},");
    }
    out.text("\"files\":[");
    FileTimes times;
    for (size_t i = 0; i < files.size(); ++i) {
        out.text(i == 0 ? "\n" : ",\n");
        writeEntry(out, request, i, statOf(i), times);
    }
    out.text("\n]}\n");
}

} // namespace zentory
