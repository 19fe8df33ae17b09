// A network share on this machine, for bench/run.py: serves a folder read-only
// through FUSE and waits a given time in every request, as a round trip to a
// server does, with the kernel's entry and attribute caches off, so that every
// lookup and every getattr reaches it. Requests are served on many threads at
// once, as a server serves many clients.
//
// usage: zentory-bench-share --delay MS SOURCE MOUNTPOINT [fuse options]
//        (unmount with fusermount3 -u MOUNTPOINT; ZENTORY_SHARE_COUNTS=FILE
//        writes the requests served, by kind, to FILE then)

#define FUSE_USE_VERSION 35

#include <fuse.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int g_source = -1;                    // the served folder
std::chrono::microseconds g_delay{0}; // of every request

// Requests served, by kind, written to the file named by ZENTORY_SHARE_COUNTS
// (when set) as the share is unmounted.
enum Kind {
    kGetattr,
    kReadlink,
    kOpendir,
    kReaddir,
    kReleasedir,
    kOpen,
    kRead,
    kRelease,
    kStatfs,
    kKinds
};
std::atomic<unsigned long> g_served[kKinds];

void roundTrip(Kind kind) {
    g_served[kind].fetch_add(1, std::memory_order_relaxed);
    std::this_thread::sleep_for(g_delay);
}

void destroy(void*) {
    if (const char* path = std::getenv("ZENTORY_SHARE_COUNTS")) {
        if (std::FILE* out = std::fopen(path, "w")) {
            const char* names[kKinds] = {"getattr", "readlink", "opendir", "readdir", "releasedir",
                                         "open",    "read",     "release", "statfs"};
            for (int k = 0; k < kKinds; ++k) {
                std::fprintf(out, "%s %lu\n", names[k], g_served[k].load());
            }
            std::fclose(out);
        }
    }
}

// The path below the source for openat and fstatat: "." for the top.
const char* relative(const char* path) {
    return path[1] == '\0' ? "." : path + 1;
}

void* init(fuse_conn_info*, fuse_config* config) {
    config->use_ino = 1; // the source's inode numbers, in entries and in getattr alike
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    config->kernel_cache = 0;
    return nullptr;
}

int getattr(const char* path, struct stat* st, fuse_file_info*) {
    roundTrip(kGetattr);
    return fstatat(g_source, relative(path), st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : -errno;
}

int readlink(const char* path, char* buffer, size_t size) {
    roundTrip(kReadlink);
    const ssize_t n = ::readlinkat(g_source, relative(path), buffer, size - 1);
    if (n < 0) {
        return -errno;
    }
    buffer[n] = '\0';
    return 0;
}

int opendir(const char* path, fuse_file_info* fi) {
    roundTrip(kOpendir);
    const int fd = openat(g_source, relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        const int err = errno;
        close(fd);
        return -err;
    }
    fi->fh = reinterpret_cast<uint64_t>(dir);
    fi->cache_readdir = 0;
    return 0;
}

int readdir(const char*, void* buffer, fuse_fill_dir_t fill, off_t offset, fuse_file_info* fi,
            fuse_readdir_flags) {
    roundTrip(kReaddir);
    DIR* dir = reinterpret_cast<DIR*>(fi->fh);
    if (offset != 0) {
        seekdir(dir, offset);
    }
    errno = 0;
    while (dirent* d = ::readdir(dir)) {
        struct stat st {};
        st.st_ino = d->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(d->d_type));
        if (fill(buffer, d->d_name, &st, telldir(dir), fuse_fill_dir_flags{}) != 0) {
            return 0; // the kernel's buffer is full: the next request goes on from here
        }
    }
    return -errno;
}

int releasedir(const char*, fuse_file_info* fi) {
    roundTrip(kReleasedir);
    closedir(reinterpret_cast<DIR*>(fi->fh));
    return 0;
}

int open(const char* path, fuse_file_info* fi) {
    roundTrip(kOpen);
    if ((fi->flags & O_ACCMODE) != O_RDONLY) {
        return -EROFS;
    }
    const int fd = openat(g_source, relative(path), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    roundTrip(kRead);
    const ssize_t n = pread(static_cast<int>(fi->fh), buffer, size, offset);
    return n < 0 ? -errno : static_cast<int>(n);
}

int release(const char*, fuse_file_info* fi) {
    roundTrip(kRelease);
    close(static_cast<int>(fi->fh));
    return 0;
}

int statfs(const char*, struct statvfs* st) {
    roundTrip(kStatfs);
    return fstatvfs(g_source, st) == 0 ? 0 : -errno;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[1], "--delay") != 0) {
        std::fprintf(stderr, "usage: %s --delay MS SOURCE MOUNTPOINT [fuse options]\n", argv[0]);
        return 2;
    }
    g_delay = std::chrono::microseconds(static_cast<long>(std::atof(argv[2]) * 1000));
    g_source = ::open(argv[3], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_source < 0) {
        std::perror(argv[3]);
        return 1;
    }
    fuse_operations ops{};
    ops.init = init;
    ops.destroy = destroy;
    ops.getattr = getattr;
    ops.readlink = readlink;
    ops.opendir = opendir;
    ops.readdir = readdir;
    ops.releasedir = releasedir;
    ops.open = open;
    ops.read = read;
    ops.release = release;
    ops.statfs = statfs;
    // Read-only, in the background once mounted, serving up to 256 requests at once.
    std::vector<char*> args{argv[0], argv[4], const_cast<char*>("-o"),
                            const_cast<char*>("ro,max_threads=256,"
                                              "fsname=zentory-bench-share")};
    for (int i = 5; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    return fuse_main(static_cast<int>(args.size()), args.data(), &ops, nullptr);
}
