// A network share on this machine, for bench/run.py: serves a folder read-only
// through FUSE and answers every request a given time after it arrived, as a
// round trip to a server does, with the kernel's entry and attribute caches
// off, so that every lookup and every getattr reaches it. Many requests are in
// flight at once, as a server serves many clients.
//
// The delay models the network and the far server, not work on this machine,
// whose cores the program under test needs: a handler does its system call at
// once (relative to the parent folder's descriptor, no paths), queues the
// reply with its due time and returns. One thread reads the requests and
// sends the replies as they fall due, waiting in ppoll for whichever comes
// first, so any number of requests are in flight without a thread, a lock or
// a wake-up of their own. (Measured on 100,000 look-ups: a reader thread
// beside a timer thread took 10 to 25% more CPU and switched twice as often
// or more; four readers beside two timers, 40% more CPU or worse.)
//
// usage: zentory-bench-share --delay MS SOURCE MOUNTPOINT [fuse options]
//        (unmount with fusermount3 -u MOUNTPOINT; ZENTORY_SHARE_COUNTS=FILE
//        writes the requests served, by kind, to FILE then)

#define FUSE_USE_VERSION 312

#include <fuse_lowlevel.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Clock::duration g_delay{0}; // between a request's arrival and its reply

// Requests served, by kind, written to the file named by ZENTORY_SHARE_COUNTS
// (when set) as the share is unmounted.
enum Kind {
    kLookup,
    kForget,
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
const char* const kKindNames[kKinds] = {"lookup",  "forget",  "getattr",    "readlink",
                                        "opendir", "readdir", "releasedir", "open",
                                        "read",    "release", "statfs"};
unsigned long g_served[kKinds];

void writeCounts() {
    const char* path = std::getenv("ZENTORY_SHARE_COUNTS");
    if (path == nullptr) {
        return;
    }
    if (std::FILE* out = std::fopen(path, "w")) {
        for (int k = 0; k < kKinds; ++k) {
            std::fprintf(out, "%s %lu\n", kKindNames[k], g_served[k]);
        }
        std::fclose(out);
    }
}

// --- Nodes -----------------------------------------------------------------
//
// A node is what the kernel knows by a node id: the id is the node's address
// (the top folder's is FUSE_ROOT_ID). A folder holds an O_PATH descriptor that
// its entries are looked up, opened and read through; a file is its parent
// and its name there. A name looked up again finds its node by device and
// inode number, so the kernel sees one node id per source inode. Nodes live as
// long as the server: `forget` only counts down, since a benchmark's tree is
// small enough to keep (one descriptor per folder, under the raised limit of
// open files). A file with several links is reached through the first name it
// was looked up by. Only the serving thread touches the table.

struct Node {
    Node* parent = nullptr;
    std::string name;
    int fd = -1; // O_PATH | O_DIRECTORY for a folder, -1 for anything else
    uint64_t lookups = 0;
};

Node g_top; // the served folder

struct Key {
    dev_t dev;
    ino_t ino;
    bool operator==(const Key&) const = default;
};
struct KeyHash {
    size_t operator()(const Key& k) const noexcept {
        return std::hash<uint64_t>()(static_cast<uint64_t>(k.ino) * 0x9e3779b97f4a7c15ULL ^
                                     static_cast<uint64_t>(k.dev));
    }
};

std::unordered_map<Key, Node*, KeyHash> g_nodes;

Node* node(fuse_ino_t id) {
    return id == FUSE_ROOT_ID ? &g_top : reinterpret_cast<Node*>(id);
}

fuse_ino_t nodeId(Node* n) {
    return n == &g_top ? FUSE_ROOT_ID : reinterpret_cast<fuse_ino_t>(n);
}

// The attributes of `n` as the source has them, without following a link.
int statNode(const Node* n, struct stat* st) {
    const int rc = n->fd >= 0 ? fstat(n->fd, st)
                              : fstatat(n->parent->fd, n->name.c_str(), st, AT_SYMLINK_NOFOLLOW);
    return rc == 0 ? 0 : errno;
}

// --- Replies, each sent when it is due ---------------------------------------

struct Reply {
    enum Type : unsigned char { kErr, kEntry, kAttr, kOpen, kBuf, kLink, kStatfs };
    Clock::time_point due;
    fuse_req_t req = nullptr;
    Type type = kErr;
    int err = 0;
    fuse_entry_param entry{}; // its attr also for kAttr
    fuse_file_info fi{};
    struct statvfs fs {};
    std::string data; // kBuf's bytes, kLink's target
};

void send(Reply& r) {
    switch (r.type) {
    case Reply::kErr:
        fuse_reply_err(r.req, r.err);
        break;
    case Reply::kEntry:
        fuse_reply_entry(r.req, &r.entry);
        break;
    case Reply::kAttr:
        fuse_reply_attr(r.req, &r.entry.attr, 0.0);
        break;
    case Reply::kOpen:
        fuse_reply_open(r.req, &r.fi);
        break;
    case Reply::kBuf:
        fuse_reply_buf(r.req, r.data.data(), r.data.size());
        break;
    case Reply::kLink:
        fuse_reply_readlink(r.req, r.data.c_str());
        break;
    case Reply::kStatfs:
        fuse_reply_statfs(r.req, &r.fs);
        break;
    }
}

// The replies waiting, in order of due time since every one waits the same.
std::deque<Reply> g_waiting;

// A reply to `req` of `type`, due the delay after now, that the caller fills
// then hands to later().
Reply reply(fuse_req_t req, Kind kind, Reply::Type type) {
    ++g_served[kind];
    Reply r;
    r.due = Clock::now() + g_delay;
    r.req = req;
    r.type = type;
    return r;
}

void later(Reply&& r) {
    g_waiting.push_back(std::move(r));
}

void fail(Reply&& r, int err) {
    r.type = Reply::kErr;
    r.err = err;
    later(std::move(r));
}

// --- Operations --------------------------------------------------------------

void init(void*, fuse_conn_info* conn) {
    // Plain readdir: the kernel looks every name up on its own, as it does on
    // a share that does not send attributes with the folder's entries.
    conn->want &= ~(FUSE_CAP_READDIRPLUS | FUSE_CAP_READDIRPLUS_AUTO);
}

void lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    Reply r = reply(req, kLookup, Reply::kEntry);
    Node* dir = node(parent);
    if (dir->fd < 0) {
        return fail(std::move(r), ENOTDIR);
    }
    struct stat& st = r.entry.attr;
    if (fstatat(dir->fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return fail(std::move(r), errno);
    }
    const Key key{st.st_dev, st.st_ino};
    Node*& found = g_nodes[key];
    if (found == nullptr) {
        auto fresh = std::make_unique<Node>();
        fresh->parent = dir;
        fresh->name = name;
        if (S_ISDIR(st.st_mode)) {
            fresh->fd = openat(dir->fd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fresh->fd < 0) {
                g_nodes.erase(key);
                return fail(std::move(r), errno);
            }
        }
        found = fresh.release();
    }
    ++found->lookups;
    r.entry.ino = nodeId(found);
    r.entry.attr_timeout = 0;
    r.entry.entry_timeout = 0;
    later(std::move(r));
}

void forgetNode(fuse_ino_t id, uint64_t count) {
    node(id)->lookups -= count;
}

// A forget has no reply, so nothing waits for it.
void forget(fuse_req_t req, fuse_ino_t id, uint64_t count) {
    ++g_served[kForget];
    forgetNode(id, count);
    fuse_reply_none(req);
}

void forgetMulti(fuse_req_t req, size_t count, fuse_forget_data* forgets) {
    ++g_served[kForget];
    for (size_t i = 0; i < count; ++i) {
        forgetNode(forgets[i].ino, forgets[i].nlookup);
    }
    fuse_reply_none(req);
}

void getattr(fuse_req_t req, fuse_ino_t id, fuse_file_info*) {
    Reply r = reply(req, kGetattr, Reply::kAttr);
    if (const int err = statNode(node(id), &r.entry.attr); err != 0) {
        return fail(std::move(r), err);
    }
    later(std::move(r));
}

void readlink(fuse_req_t req, fuse_ino_t id) {
    Reply r = reply(req, kReadlink, Reply::kLink);
    const Node* n = node(id);
    if (n->parent == nullptr || n->fd >= 0) {
        return fail(std::move(r), EINVAL);
    }
    r.data.resize(PATH_MAX);
    const ssize_t size = readlinkat(n->parent->fd, n->name.c_str(), r.data.data(), r.data.size());
    if (size < 0) {
        return fail(std::move(r), errno);
    }
    r.data.resize(static_cast<size_t>(size));
    later(std::move(r));
}

// An open folder: its stream, where the stream stands, and the entry read
// from it that did not fit the last reply, sent first in the next.
struct OpenDir {
    DIR* dir = nullptr;
    off_t at = 0; // the offset of the next entry to send
    bool held = false;
    std::string heldName;
    struct stat heldStat {};
    off_t heldNext = 0;
};

void opendir(fuse_req_t req, fuse_ino_t id, fuse_file_info* fi) {
    Reply r = reply(req, kOpendir, Reply::kOpen);
    const Node* n = node(id);
    if (n->fd < 0) {
        return fail(std::move(r), ENOTDIR);
    }
    const int fd = openat(n->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return fail(std::move(r), errno);
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        const int err = errno;
        close(fd);
        return fail(std::move(r), err);
    }
    auto* open = new OpenDir;
    open->dir = dir;
    r.fi = *fi;
    r.fi.fh = reinterpret_cast<uint64_t>(open);
    r.fi.cache_readdir = 0;
    r.fi.keep_cache = 0;
    later(std::move(r));
}

// The entries from `offset` on, as many as fit in `size` bytes, with the
// source's inode numbers ("." and ".." too, as the source lists them). Each
// entry's offset is the stream's position after it, so a reply that fills
// goes on in the next request.
void readdir(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi) {
    Reply r = reply(req, kReaddir, Reply::kBuf);
    auto* open = reinterpret_cast<OpenDir*>(fi->fh);
    if (offset != open->at) {
        seekdir(open->dir, offset);
        open->at = offset;
        open->held = false;
    }
    r.data.resize(size);
    size_t used = 0;
    for (;;) {
        if (!open->held) {
            errno = 0;
            const dirent* d = ::readdir(open->dir);
            if (d == nullptr) {
                if (errno != 0) {
                    return fail(std::move(r), errno);
                }
                break;
            }
            open->held = true;
            open->heldName = d->d_name;
            open->heldStat.st_ino = d->d_ino;
            open->heldStat.st_mode = static_cast<mode_t>(DTTOIF(d->d_type));
            open->heldNext = telldir(open->dir);
        }
        const size_t entry =
            fuse_add_direntry(req, r.data.data() + used, size - used, open->heldName.c_str(),
                              &open->heldStat, open->heldNext);
        if (entry > size - used) {
            break; // the kernel's buffer is full: this entry starts the next reply
        }
        used += entry;
        open->at = open->heldNext;
        open->held = false;
    }
    r.data.resize(used);
    later(std::move(r));
}

void releasedir(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
    Reply r = reply(req, kReleasedir, Reply::kErr);
    auto* open = reinterpret_cast<OpenDir*>(fi->fh);
    closedir(open->dir);
    delete open;
    later(std::move(r));
}

void open(fuse_req_t req, fuse_ino_t id, fuse_file_info* fi) {
    Reply r = reply(req, kOpen, Reply::kOpen);
    if ((fi->flags & O_ACCMODE) != O_RDONLY) {
        return fail(std::move(r), EROFS);
    }
    const Node* n = node(id);
    const int fd = n->fd >= 0 ? openat(n->fd, ".", O_RDONLY | O_CLOEXEC)
                              : openat(n->parent->fd, n->name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return fail(std::move(r), errno);
    }
    r.fi = *fi;
    r.fi.fh = static_cast<uint64_t>(fd);
    r.fi.keep_cache = 0;
    r.fi.direct_io = 0;
    later(std::move(r));
}

void read(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi) {
    Reply r = reply(req, kRead, Reply::kBuf);
    r.data.resize(size);
    const ssize_t n = pread(static_cast<int>(fi->fh), r.data.data(), size, offset);
    if (n < 0) {
        return fail(std::move(r), errno);
    }
    r.data.resize(static_cast<size_t>(n));
    later(std::move(r));
}

void release(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
    Reply r = reply(req, kRelease, Reply::kErr);
    close(static_cast<int>(fi->fh));
    later(std::move(r));
}

void statfs(fuse_req_t req, fuse_ino_t) {
    Reply r = reply(req, kStatfs, Reply::kStatfs);
    if (fstatvfs(g_top.fd, &r.fs) != 0) {
        return fail(std::move(r), errno);
    }
    later(std::move(r));
}

// Reads the requests and sends the replies when due until the share is
// unmounted or the server told to stop; 0 then, else -1.
int serve(fuse_session* session) {
    const int fd = fuse_session_fd(session);
    // Read what has come without waiting; ppoll waits for the next.
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        std::perror("fuse device");
        return -1;
    }
    fuse_buf buffer{};
    int status = 0;
    while (!fuse_session_exited(session)) {
        const int got = fuse_session_receive_buf(session, &buffer);
        if (got > 0) {
            fuse_session_process_buf(session, &buffer);
        } else if (got == 0) {
            break; // unmounted
        } else if (got != -EAGAIN && got != -EINTR) {
            status = -1;
            break;
        }
        // Send what is due, each time round: a steady stream of requests
        // must not hold the replies back.
        const Clock::time_point now = Clock::now();
        while (!g_waiting.empty() && g_waiting.front().due <= now) {
            send(g_waiting.front());
            g_waiting.pop_front();
        }
        if (got > 0) {
            continue;
        }
        pollfd device{fd, POLLIN, 0};
        timespec wait{};
        if (!g_waiting.empty()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::nanoseconds>(g_waiting.front().due - now);
            wait.tv_sec = static_cast<time_t>(left.count() / 1000000000);
            wait.tv_nsec = static_cast<long>(left.count() % 1000000000);
        }
        if (ppoll(&device, 1, g_waiting.empty() ? nullptr : &wait, nullptr) < 0 && errno != EINTR) {
            status = -1;
            break;
        }
    }
    std::free(buffer.mem);
    return status;
}

// Room for a descriptor per folder of a large tree.
void raiseOpenFiles() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[1], "--delay") != 0) {
        std::fprintf(stderr, "usage: %s --delay MS SOURCE MOUNTPOINT [fuse options]\n", argv[0]);
        return 2;
    }
    g_delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(std::atof(argv[2])));
    raiseOpenFiles();
    g_nodes.reserve(1 << 18); // no rehashing for trees up to a quarter million names
    g_top.fd = ::open(argv[3], O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (g_top.fd < 0) {
        std::perror(argv[3]);
        return 1;
    }

    fuse_lowlevel_ops ops{};
    ops.init = init;
    ops.lookup = lookup;
    ops.forget = forget;
    ops.forget_multi = forgetMulti;
    ops.getattr = getattr;
    ops.readlink = readlink;
    ops.opendir = opendir;
    ops.readdir = readdir;
    ops.releasedir = releasedir;
    ops.open = open;
    ops.read = read;
    ops.release = release;
    ops.statfs = statfs;

    // Read-only, in the background once mounted.
    std::vector<char*> list{argv[0], argv[4], const_cast<char*>("-o"),
                            const_cast<char*>("ro,fsname=zentory-bench-share")};
    for (int i = 5; i < argc; ++i) {
        list.push_back(argv[i]);
    }
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(list.size()), list.data());
    fuse_cmdline_opts opts{};
    if (fuse_parse_cmdline(&args, &opts) != 0 || opts.mountpoint == nullptr) {
        std::fprintf(stderr, "%s: cannot read the FUSE options\n", argv[0]);
        return 2;
    }
    int status = 1;
    fuse_session* session = fuse_session_new(&args, &ops, sizeof ops, nullptr);
    if (session != nullptr) {
        if (fuse_set_signal_handlers(session) == 0) {
            if (fuse_session_mount(session, opts.mountpoint) == 0) {
                fuse_daemonize(opts.foreground);
                status = serve(session);
                fuse_session_unmount(session);
                writeCounts();
            }
            fuse_remove_signal_handlers(session);
        }
        fuse_session_destroy(session);
    }
    std::free(opts.mountpoint);
    fuse_opt_free_args(&args);
    return status == 0 ? 0 : 1;
}
