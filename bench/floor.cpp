// The floor of a walk on this machine, for bench/run.py: every folder of a
// tree read with getdents64 on one thread, relative to its open parent,
// nothing kept and nothing written. Half its time is what a walk on two cores
// could take at best; the CLI's time is judged against that.
//
// usage: zentory-bench-floor FOLDER   (prints the files and folders it saw)

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
unsigned long g_files = 0, g_folders = 0;

// Reads the open folder `fd`, then each of its sub-folders, holding open
// only the folders on the way down; closes `fd`.
void walk(int fd) {
    alignas(dirent64) char buffer[16 * 1024];
    std::vector<std::string> subFolders;
    ++g_folders;
    ssize_t n;
    while ((n = ::getdents64(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            const std::string_view name(d->d_name);
            if (d->d_type != DT_DIR) {
                ++g_files;
            } else if (name != "." && name != "..") {
                subFolders.emplace_back(name);
            }
        }
    }
    for (const std::string& name : subFolders) {
        if (const int sub = ::openat(fd, name.c_str(), kFlags); sub >= 0) {
            walk(sub);
        }
    }
    ::close(fd);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const int top = ::open(argv[1], kFlags);
    if (top < 0) {
        std::perror(argv[1]);
        return 1;
    }
    walk(top);
    std::printf("%lu files, %lu folders\n", g_files, g_folders);
    return 0;
}
