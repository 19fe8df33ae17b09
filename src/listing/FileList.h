#pragma once
// The file list: one entry per listed file, each the folder path, "/", the file
// name and one LF. The bytes of all entries live in one arena, one after the
// other; the list holds where each entry starts, so a million entries are not a
// million separate strings.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

class FileList {
public:
    size_t size() const { return m_starts.size(); }
    bool empty() const { return m_starts.empty(); }

    // The entry as the export receives it: the full path and its LF.
    std::string_view entry(size_t i) const {
        const size_t begin = m_starts[i];
        const size_t end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_bytes.size();
        return std::string_view(m_bytes).substr(begin, end - begin);
    }
    // The full path, without the LF.
    std::string_view path(size_t i) const {
        auto e = entry(i);
        return e.substr(0, e.size() - 1);
    }
    // The file name alone: what follows the path's last "/".
    std::string_view name(size_t i) const {
        auto p = path(i);
        auto slash = p.rfind('/');
        return slash == std::string_view::npos ? p : p.substr(slash + 1);
    }

    void clear() {
        m_bytes.clear();
        m_starts.clear();
    }
    void reserve(size_t entries, size_t bytes) {
        m_starts.reserve(entries);
        m_bytes.reserve(bytes);
    }
    // Appends the entry `path` + LF.
    void append(std::string_view path) {
        m_starts.push_back(m_bytes.size());
        m_bytes.append(path);
        m_bytes.push_back('\n');
    }
    // Appends the entry folder + "/" + name + LF without building a string first.
    void append(std::string_view folder, std::string_view name) {
        m_starts.push_back(m_bytes.size());
        m_bytes.append(folder);
        m_bytes.push_back('/');
        m_bytes.append(name);
        m_bytes.push_back('\n');
    }
    // All entries, each with its LF, one after the other in list order.
    std::string_view bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    std::vector<uint64_t> m_starts;
};

} // namespace zentory
