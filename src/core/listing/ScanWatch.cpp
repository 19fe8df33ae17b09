#include "listing/ScanWatch.h"

namespace zentory {

std::string ScanWatch::folder() {
    std::lock_guard lock(m_mutex);
    m_wantsFolder.store(true, std::memory_order_relaxed);
    return m_folder;
}

void ScanWatch::noteFolder(std::string path) {
    std::lock_guard lock(m_mutex);
    m_folder = std::move(path);
    m_wantsFolder.store(false, std::memory_order_relaxed);
}

} // namespace zentory
