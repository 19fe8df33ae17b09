// The floor of a walk on this machine, for bench/run.py: every folder of a
// tree read with getdents64, relative to its open parent, nothing kept and
// nothing written. On one thread (the default) half its time is what a walk
// on two cores could take at best; with --threads N, N threads share the
// folders, which shows what the system itself gives to more than one reader.
//
// usage: zentory-bench-floor [--threads N] FOLDER   (prints the files and folders it saw)

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
std::atomic<unsigned long> g_files{0}, g_folders{0};

constexpr size_t kBuffer = 16 * 1024;

// Reads the open folder `fd` through `buffer` (kBuffer bytes): counts its
// files and calls `subFolder` with the name of each sub-folder.
template <typename SubFolder> unsigned long readFolder(int fd, char* buffer, SubFolder subFolder) {
    unsigned long files = 0;
    ssize_t n;
    while ((n = ::getdents64(fd, buffer, kBuffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            const std::string_view name(d->d_name);
            if (d->d_type != DT_DIR) {
                ++files;
            } else if (name != "." && name != "..") {
                subFolder(d->d_name);
            }
        }
    }
    return files;
}

// Reads the open folder `fd`, then each of its sub-folders, holding open
// only the folders on the way down; closes `fd`.
void walk(int fd) {
    alignas(dirent64) char buffer[kBuffer];
    std::vector<std::string> subFolders;
    ++g_folders;
    g_files += readFolder(fd, buffer, [&](const char* name) { subFolders.emplace_back(name); });
    for (const std::string& name : subFolders) {
        if (const int sub = ::openat(fd, name.c_str(), kFlags); sub >= 0) {
            walk(sub);
        }
    }
    ::close(fd);
}

// The walk on several threads: a shared stack of open folders; each thread
// takes one, reads it, opens its sub-folders and puts them on the stack.
class Shared {
public:
    explicit Shared(int top) { m_stack.push_back(top); }

    void work() {
        alignas(dirent64) static thread_local char buffer[kBuffer];
        std::vector<int> subFolders;
        unsigned long files = 0, folders = 0;
        for (int fd; (fd = take()) >= 0;) {
            ++folders;
            files += readFolder(fd, buffer, [&](const char* name) {
                if (const int sub = ::openat(fd, name, kFlags); sub >= 0) {
                    subFolders.push_back(sub);
                }
            });
            ::close(fd);
            put(subFolders);
        }
        g_files += files;
        g_folders += folders;
    }

private:
    int take() {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_stack.empty() || m_busy == 0; });
        if (m_stack.empty()) {
            return -1;
        }
        const int fd = m_stack.back();
        m_stack.pop_back();
        ++m_busy;
        return fd;
    }
    void put(std::vector<int>& subFolders) {
        {
            std::lock_guard lock(m_mutex);
            m_stack.insert(m_stack.end(), subFolders.begin(), subFolders.end());
            --m_busy;
        }
        subFolders.clear();
        m_wake.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<int> m_stack; // open folders not yet read
    int m_busy = 0;           // threads reading one
};

} // namespace

int main(int argc, char** argv) {
    unsigned threads = 1;
    if (argc == 4 && std::strcmp(argv[1], "--threads") == 0) {
        threads = static_cast<unsigned>(std::atoi(argv[2]));
        argv += 2;
        argc -= 2;
    }
    if (argc != 2 || threads == 0) {
        std::fprintf(stderr, "usage: %s [--threads N] FOLDER\n", argv[0]);
        return 2;
    }
    const int top = ::open(argv[1], kFlags);
    if (top < 0) {
        std::perror(argv[1]);
        return 1;
    }
    if (threads == 1) {
        walk(top);
    } else {
        // Folders wait open on the stack: room for as many as the system allows.
        rlimit files{};
        if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
            files.rlim_cur = files.rlim_max;
            setrlimit(RLIMIT_NOFILE, &files);
        }
        Shared shared(top);
        std::vector<std::thread> crew;
        for (unsigned i = 0; i < threads; ++i) {
            crew.emplace_back([&shared] { shared.work(); });
        }
        for (std::thread& t : crew) {
            t.join();
        }
    }
    std::printf("%lu files, %lu folders\n", g_files.load(), g_folders.load());
    return 0;
}
