#include "ListCopy.h"

#include "export/TextExport.h"

namespace zentory::window {

std::string CopiedRows(const FileList& files, const std::vector<size_t>& rows, CopyWhat what) {
    std::string text;
    for (size_t row : rows) {
        if (row >= files.size()) {
            continue;
        }
        text += oneLine(what == CopyWhat::Names ? std::string(files.name(row)) : files.path(row));
        text += kLineEnd;
    }
    return text;
}

std::string PlatformLines(std::string text) {
    if (kLineEnd == "\r\n") {
        return text;
    }
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        lines += text[i];
    }
    return lines;
}

} // namespace zentory::window
