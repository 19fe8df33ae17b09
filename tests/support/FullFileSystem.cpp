#include "FullFileSystem.h"

#include <filesystem>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace zentory::test {

FullFileSystem::FullFileSystem(const std::string& where, const std::string& size) : m_path(where) {
    std::filesystem::create_directory(m_path);
    const std::string options = "size=" + size + ",mode=0777";
    m_mounted = ::mount("tmpfs", m_path.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

FullFileSystem::~FullFileSystem() {
    if (m_mounted) {
        ::umount2(m_path.c_str(), MNT_DETACH);
    }
}

void FullFileSystem::fill() const {
    const int fd = ::open((m_path + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

} // namespace zentory::test
