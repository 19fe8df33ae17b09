#include "listing/FileList.h"

#include <stdexcept>

namespace zentory {

std::string FileList::path(size_t i) const {
    const uint32_t folder = m_folderOf[i];
    const std::string_view file = name(i);
    if (folder == kNoFolder) {
        return std::string(file);
    }
    const std::string_view where = folderPath(folder);
    std::string p;
    p.reserve(where.size() + 1 + file.size());
    p.append(where);
    p += kPathSeparator;
    p.append(file);
    return p;
}

void FileList::clear() {
    *this = FileList();
}

void FileList::reserve(size_t entries, size_t nameBytes) {
    m_names.reserve(nameBytes);
    m_nameStarts.reserve(entries);
    m_folderOf.reserve(entries);
}

uint32_t FileList::addFolder(std::string_view folder) {
    if (folderCount() >= kNoFolder) {
        throw std::length_error("too many folders in one file list");
    }
    m_folderBytes.append(folder);
    m_folderStarts.push_back(m_folderBytes.size());
    return static_cast<uint32_t>(folderCount() - 1);
}

void FileList::append(std::string_view path) {
    const size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string_view::npos) {
        appendIn(kNoFolder, path);
        return;
    }
    const std::string_view folder = path.substr(0, slash);
    // Consecutive entries of one folder share its path.
    const bool same =
        folderCount() > 0 && folderPath(static_cast<uint32_t>(folderCount() - 1)) == folder;
    appendIn(same ? static_cast<uint32_t>(folderCount() - 1) : addFolder(folder),
             path.substr(slash + 1));
}

void FileList::append(std::string_view folder, std::string_view name) {
    if (name.find(kPathSeparator) != std::string_view::npos) {
        std::string joined(folder);
        joined += kPathSeparator;
        joined.append(name);
        append(joined);
        return;
    }
    const bool same =
        folderCount() > 0 && folderPath(static_cast<uint32_t>(folderCount() - 1)) == folder;
    appendIn(same ? static_cast<uint32_t>(folderCount() - 1) : addFolder(folder), name);
}

} // namespace zentory
