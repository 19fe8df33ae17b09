#pragma once
// The file list: one entry per listed file, each the folder path, "/", the file
// name and one LF. A folder's path is held once, however many of its files are
// listed; an entry holds its name, in one string of all names, and the number
// of its folder. So a million entries are neither a million strings nor a
// million copies of their folders' paths, and every entry's bytes are still there.

#include "platform/PathSeparator.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

// The separator between a folder and a name inside entries and labels: "/",
// and "\\" on Windows.
inline constexpr char kPathSeparator = platform::kPathSeparator;

class FileList {
public:
    // The folder number of an entry whose path has no separator at all.
    static constexpr uint32_t kNoFolder = UINT32_MAX;

    size_t size() const { return m_folderOf.size(); }
    bool empty() const { return m_folderOf.empty(); }

    // The entry as the export receives it: the full path and its LF.
    std::string entry(size_t i) const { return path(i) + '\n'; }
    // The full path, without the LF.
    std::string path(size_t i) const;
    // The file name alone: what follows the path's last "/".
    std::string_view name(size_t i) const {
        const uint64_t begin = m_nameStarts[i];
        const uint64_t end = i + 1 < size() ? m_nameStarts[i + 1] : m_names.size();
        return std::string_view(m_names.data() + begin, end - begin);
    }
    // The number of the entry's folder, kNoFolder when its path has no "/".
    // Entries of one number share one folder; two numbers may still spell
    // the same folder.
    uint32_t folderIndex(size_t i) const { return m_folderOf[i]; }
    // The folder's path: what precedes the entry's last "/".
    std::string_view folderPath(uint32_t index) const {
        if (index == kNoFolder) {
            return {};
        }
        const size_t begin = m_folderStarts[index];
        return std::string_view(m_folderBytes.data() + begin, m_folderStarts[index + 1] - begin);
    }
    size_t folderCount() const { return m_folderStarts.size() - 1; }
    // The bytes of all names together.
    size_t nameBytes() const { return m_names.size(); }

    // Empties the list and gives its memory back.
    void clear();
    void reserve(size_t entries, size_t nameBytes);
    // Appends the entry `path` + LF.
    void append(std::string_view path);
    // Appends the entry folder + "/" + name + LF.
    void append(std::string_view folder, std::string_view name);
    // Notes a folder for appendIn and returns its number.
    uint32_t addFolder(std::string_view folder);
    // Appends the entry folderPath(folder) + "/" + name + LF; `name` holds no "/".
    void appendIn(uint32_t folder, std::string_view name) {
        m_nameStarts.push_back(m_names.size());
        m_names.append(name);
        m_folderOf.push_back(folder);
    }

private:
    std::string m_names;
    std::vector<uint64_t> m_nameStarts; // entry i's name begins at m_names[m_nameStarts[i]]
    std::vector<uint32_t> m_folderOf;
    std::string m_folderBytes;
    std::vector<size_t> m_folderStarts{0}; // folder k is [starts[k], starts[k + 1])
};

} // namespace zentory
