#include "NonRegularFiles.h"

#include "Nobody.h"

#include <cstring>
#include <filesystem>

#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zentory::test {

NonRegularFiles::NonRegularFiles(const std::string& root) {
    fs::create_directory(root + "/sub");
    for (const auto& fifo : {root + "/fifo", root + "/sub/fifo"}) {
        if (::mkfifo(fifo.c_str(), 0644) != 0) {
            return;
        }
        m_paths.push_back(fifo);
    }
    m_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string sockPath = root + "/sock";
    if (m_socket < 0 || sockPath.size() >= sizeof address.sun_path) {
        return;
    }
    std::strcpy(address.sun_path, sockPath.c_str());
    if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return;
    }
    m_paths.push_back(sockPath);
    m_device = runningAsRoot(); // mknod needs root: a null device of our own
    if (m_device) {
        if (::mknod((root + "/dev").c_str(), S_IFCHR | 0644, ::makedev(1, 3)) != 0) {
            return;
        }
        m_paths.push_back(root + "/dev");
    }
    fs::create_symlink("fifo", root + "/fifolink");
    m_watch = ::inotify_init1(IN_NONBLOCK);
    for (const auto& path : m_paths) {
        if (m_watch < 0 || ::inotify_add_watch(m_watch, path.c_str(), IN_OPEN | IN_ACCESS) < 0) {
            return;
        }
    }
    m_ok = true;
}

NonRegularFiles::~NonRegularFiles() {
    if (m_watch >= 0) {
        ::close(m_watch);
    }
    if (m_socket >= 0) {
        ::close(m_socket);
    }
}

std::string NonRegularFiles::listing() const {
    return std::string(m_device ? "dev\n" : "") + "fifo\nfifolink\nsock\nsub/fifo\n";
}

long NonRegularFiles::opens() {
    char buf[4096];
    ssize_t total = 0;
    for (ssize_t n; (n = ::read(m_watch, buf, sizeof buf)) > 0;) {
        total += n;
    }
    return static_cast<long>(total / static_cast<ssize_t>(sizeof(inotify_event)));
}

std::string NonRegularFiles::caseText() const {
    return std::string("a FIFO (also in a sub-folder and through a link), a socket") +
           (m_device ? " and a device node" : "");
}

} // namespace zentory::test
