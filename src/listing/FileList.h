#pragma once
// The file list: one entry per listed file, each the folder path, "/", the file
// name and one LF. The bytes of all entries live in one arena, one after the
// other; the list holds where each entry starts, so a million entries are not a
// million separate strings. Starts are kept as 32-bit offsets; the rare list
// beyond 4 GiB notes at which entries the offsets wrapped.

#include "listing/GrowableArray.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

// The separator between a folder and a name inside entries and labels.
inline constexpr char kPathSeparator = '/';

class FileList {
public:
    size_t size() const { return m_starts.size(); }
    bool empty() const { return m_starts.size() == 0; }

    // The entry as the export receives it: the full path and its LF.
    std::string_view entry(size_t i) const {
        const uint64_t begin = start(i);
        const uint64_t end = i + 1 < size() ? start(i + 1) : m_bytes.size();
        return std::string_view(m_bytes.data() + begin, end - begin);
    }
    // The full path, without the LF.
    std::string_view path(size_t i) const {
        auto e = entry(i);
        return e.substr(0, e.size() - 1);
    }
    // The file name alone: what follows the path's last "/".
    std::string_view name(size_t i) const {
        auto p = path(i);
        auto slash = p.rfind(kPathSeparator);
        return slash == std::string_view::npos ? p : p.substr(slash + 1);
    }

    // Empties the list and gives its memory back.
    void clear() {
        m_bytes.release();
        m_starts.release();
        m_wraps.clear();
    }
    void reserve(size_t entries, size_t bytes) {
        m_starts.reserve(entries);
        m_bytes.reserve(bytes);
    }
    // Appends the entry `path` + LF.
    void append(std::string_view path) {
        noteStart();
        m_bytes.append(path.data(), path.size());
        m_bytes.push_back('\n');
    }
    // Appends the entry folder + "/" + name + LF without building a string first.
    void append(std::string_view folder, std::string_view name) {
        noteStart();
        m_bytes.append(folder.data(), folder.size());
        m_bytes.push_back(kPathSeparator);
        m_bytes.append(name.data(), name.size());
        m_bytes.push_back('\n');
    }
    // All entries, each with its LF, one after the other in list order.
    std::string_view bytes() const { return std::string_view(m_bytes.data(), m_bytes.size()); }

private:
    uint64_t start(size_t i) const {
        uint64_t high = 0;
        if (!m_wraps.empty()) {
            high = static_cast<uint64_t>(std::upper_bound(m_wraps.begin(), m_wraps.end(), i) -
                                         m_wraps.begin());
        }
        return (high << 32) | m_starts[i];
    }
    void noteStart() {
        const uint64_t offset = m_bytes.size();
        while ((offset >> 32) > m_wraps.size()) {
            m_wraps.push_back(size());
        }
        m_starts.push_back(static_cast<uint32_t>(offset));
    }

    GrowableArray<char> m_bytes;
    GrowableArray<uint32_t> m_starts;
    // m_wraps[k]: the first entry that starts at or beyond (k + 1) * 4 GiB.
    std::vector<size_t> m_wraps;
};

} // namespace zentory
