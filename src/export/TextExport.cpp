#include "export/TextExport.h"

#include "listing/FolderPath.h"
#include "platform/SafeFile.h"

namespace zentory {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kChunk = size_t{1} << 20;

// The folder of an entry's path: everything before its last separator.
std::string_view folderOf(std::string_view path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

class Composer {
public:
    Composer(std::string& out, const std::function<void(std::string_view)>* write)
        : m_out(out), m_write(write) {}

    void compose(const std::string& folder, const FileList& files, const ExportOptions& options,
                 const std::string& text38, const std::string& text40,
                 const std::string& timeStamp) {
        const std::string_view chosen = folder;
        m_out += text38;
        m_out += ' ';
        appendText(FolderLabel(folder));
        m_out += kLineEnd;
        m_out += kLineEnd;

        // The files of the chosen folder come first, wherever they stand in the list.
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string_view path = files.path(i);
            if (folderOf(path) == chosen) {
                appendLine(path, options);
            }
        }
        // Then every other file, with a heading whenever the folder changes.
        std::string_view current = chosen;
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string_view path = files.path(i);
            const std::string_view entryFolder = folderOf(path);
            if (entryFolder != current) {
                current = entryFolder;
                if (current.size() > chosen.size()) {
                    appendHeading(text40, current.substr(chosen.size()));
                }
            }
            if (entryFolder != chosen) {
                appendLine(path, options);
            }
        }
        if (options.showDateTime) {
            m_out += kLineEnd;
            m_out += kLineEnd;
            m_out += "Folder exported on ";
            m_out += FormatExportDate(timeStamp);
            m_out += " with Orvane Zentory";
        }
        if (m_write != nullptr && !m_out.empty()) {
            (*m_write)(m_out);
            m_out.clear();
        }
    }

private:
    // Appends bytes as held, with control bytes as '?'.
    void appendText(std::string_view text) {
        const size_t begin = m_out.size();
        m_out += text;
        for (size_t i = begin; i < m_out.size(); ++i) {
            const auto c = static_cast<unsigned char>(m_out[i]);
            if (c < 0x20 || c == 0x7f) {
                m_out[i] = '?';
            }
        }
    }

    void appendLine(std::string_view path, const ExportOptions& options) {
        const size_t slash = path.rfind(kPathSeparator);
        const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
        if (!options.showExtensions) {
            // A leading dot names a hidden file; it does not start an extension.
            const size_t dot = path.rfind('.');
            if (dot != std::string_view::npos && dot > nameStart) {
                path = path.substr(0, dot);
            }
        }
        appendText(options.showFullPath ? path : path.substr(nameStart));
        m_out += kLineEnd;
        flushIfFull();
    }

    void appendHeading(const std::string& text40, std::string_view relativeFolder) {
        m_out += kLineEnd;
        m_out += "---";
        m_out += kLineEnd;
        m_out += kLineEnd;
        m_out += text40;
        m_out += " ...";
        appendText(relativeFolder);
        m_out += ':';
        m_out += kLineEnd;
        m_out += kLineEnd;
    }

    void flushIfFull() {
        if (m_write != nullptr && m_out.size() >= kChunk) {
            (*m_write)(m_out);
            m_out.clear();
        }
    }

    std::string& m_out;
    const std::function<void(std::string_view)>* m_write;
};

} // namespace

std::string FormatExportDate(const std::string& timeStamp) {
    auto field = [&](size_t pos, size_t count) {
        return pos < timeStamp.size() ? timeStamp.substr(pos, count) : std::string();
    };
    const size_t minute = timeStamp.size() >= 2 ? timeStamp.size() - 2 : 0;
    return field(0, 4) + "/" + field(4, 2) + "/" + field(6, 2) + " " + field(8, 2) + ":" +
           field(minute, 2);
}

std::string ComposeExport(const std::string& folder, const FileList& files,
                          const ExportOptions& options, const std::string& text38,
                          const std::string& text40, const std::string& timeStamp) {
    std::string out;
    out.reserve(files.bytes().size() + files.size() + 256);
    Composer(out, nullptr).compose(folder, files, options, text38, text40, timeStamp);
    return out;
}

void StreamExport(const std::function<void(std::string_view)>& write, const std::string& folder,
                  const FileList& files, const ExportOptions& options, const std::string& text38,
                  const std::string& text40, const std::string& timeStamp) {
    std::string buffer;
    buffer.reserve(kChunk + 64 * 1024);
    Composer(buffer, &write).compose(folder, files, options, text38, text40, timeStamp);
}

void WriteExport(const std::string& outputPath, const std::string& folder, const FileList& files,
                 const ExportOptions& options, const std::string& text38, const std::string& text40,
                 const std::string& timeStamp) {
    platform::SafeFile file(outputPath);
    StreamExport([&file](std::string_view bytes) { file.write(bytes); }, folder, files, options,
                 text38, text40, timeStamp);
    file.commit();
}

} // namespace zentory
