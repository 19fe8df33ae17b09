#include "listing/FolderScan.h"

#include "listing/Arena.h"
#include "listing/FolderOrder.h"
#include "listing/IdentitySet.h"
#include "listing/WalkRecords.h"
#include "platform/Directory.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zentory {

namespace {

using platform::Directory;
using platform::FolderIdentity;
using walk::Folder;
using walk::JoinRecords;
using walk::putRecord;
using walk::recordSize;

// How the folders are read: each thread takes a folder, reads and orders its
// entries, and publishes its sub-folders for any thread to take. A folder's
// ordered entries are kept as records; once every folder is read, one pass
// from the chosen folder down joins them, in order, into the file list. The
// list therefore depends only on the folders' contents, never on which thread
// read what, or when.

// Threads for a walk: more than there are cores, because a folder that is not
// in the file cache keeps its thread waiting for the disk, and the disk serves
// several reads at once far faster than one after the other.
unsigned defaultThreads() {
    return std::clamp(4 * std::thread::hardware_concurrency(), 4u, 16u);
}

// Takes the accepted entries of one folder into an order.
class Collector : public Directory::Visitor {
public:
    Collector(FolderOrder& order, bool subFolders) : m_order(order), m_subFolders(subFolders) {}

    void entry(std::string_view name, bool isFolder) override {
        if (isFolder) {
            if (!m_subFolders || name == "." || name == "..") {
                return;
            }
        } else if (name.empty() || name.back() == '.') {
            return;
        }
        if (!m_order.add(name, isFolder)) {
            m_overflow = true;
        }
    }
    bool overflow() const { return m_overflow; }

private:
    FolderOrder& m_order;
    const bool m_subFolders;
    bool m_overflow = false;
};

// What one thread owns while the walk runs.
struct Worker {
    Arena folders{16 * 1024};
    Arena records{64 * 1024};
    FolderOrder order;
    std::vector<Folder*> created;
    std::vector<Folder*> children; // of the folder just read, in order
    size_t files = 0;              // entries its folders contribute
    uint64_t nameBytes = 0;        // and the bytes of their names

    Folder* newFolder() {
        Folder* f = new (folders.allocate(sizeof(Folder), alignof(Folder))) Folder;
        created.push_back(f);
        return f;
    }
    ~Worker() {
        for (Folder* f : created) {
            f->~Folder();
        }
    }
};

class Walk {
public:
    Walk(bool subFolders, unsigned threads)
        : m_subFolders(subFolders), m_threads(std::max(1u, threads)) {
        // Leave most of the process's open files to everyone else.
        const size_t limit = platform::openFileLimit();
        const size_t spare = 32 + 2 * size_t{m_threads};
        m_keepBudget = limit > spare + 8 ? std::min<size_t>((limit - spare) / 2, 1024) : 4;
    }

    void run(const std::string& folder, ScanResult& result) {
        m_workers.push_back(std::make_unique<Worker>());
        Worker& main = *m_workers.front();
        Folder& root = *main.newFolder();
        Directory dir;
        int err = dir.open(folder);
        if (err == 0) {
            err = dir.identity(root.id);
        }
        if (err != 0) {
            result.folderError.emplace(folder, "open folder", err);
            return;
        }
        enterOnce(root);
        read(main, root, dir);
        if (root.error != 0) {
            result.folderError.emplace(folder, "read folder", root.error);
            return;
        }
        // The chosen folder stays open throughout: every reopening starts there at the latest.
        root.users.store(1 + static_cast<uint32_t>(main.children.size()));
        root.dir = std::move(dir);
        publish(main.children, 0);

        std::vector<std::thread> helpers;
        if (!main.children.empty()) {
            for (unsigned i = 1; i < m_threads; ++i) {
                m_workers.push_back(std::make_unique<Worker>());
            }
            for (unsigned i = 1; i < m_threads; ++i) {
                helpers.emplace_back([this, i] { work(*m_workers[i]); });
            }
            work(main);
        }
        for (auto& t : helpers) {
            t.join();
        }
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        size_t files = 0;
        uint64_t nameBytes = 0;
        for (const auto& w : m_workers) {
            files += w->files;
            nameBytes += w->nameBytes;
        }
        JoinRecords(folder, root, files, nameBytes, result);
    }

private:
    void work(Worker& w) {
        bool holding = false;
        Folder* next = nullptr;
        for (;;) {
            if (next == nullptr) {
                next = take(holding);
                holding = next != nullptr;
                if (next == nullptr) {
                    return;
                }
            }
            Folder& f = *next;
            next = nullptr;
            w.children.clear();
            try {
                visit(w, f);
            } catch (...) {
                fail(std::current_exception());
            }
            // Go on with the first sub-folder; the others are for whoever is free.
            if (!w.children.empty()) {
                next = w.children.front();
                publish(w.children, 1);
            }
        }
    }

    Folder* take(bool wasHolding) {
        std::unique_lock lock(m_mutex);
        if (wasHolding) {
            --m_busy;
        }
        while (m_stack.empty() && m_busy > 0 && !m_failure) {
            ++m_waiting;
            m_wake.wait(lock);
            --m_waiting;
        }
        if (m_stack.empty() || m_failure) {
            m_wake.notify_all();
            return nullptr;
        }
        Folder* f = m_stack.back();
        m_stack.pop_back();
        ++m_busy;
        return f;
    }

    // Offers children[from...] to all threads, the first of them to be taken first.
    void publish(const std::vector<Folder*>& children, size_t from) {
        if (children.size() <= from) {
            return;
        }
        std::lock_guard lock(m_mutex);
        for (size_t i = children.size(); i-- > from;) {
            m_stack.push_back(children[i]);
        }
        if (m_waiting > 0) {
            m_wake.notify_all();
        }
    }

    void fail(std::exception_ptr e) {
        std::lock_guard lock(m_mutex);
        if (!m_failure) {
            m_failure = e;
        }
        m_wake.notify_all();
    }

    void visit(Worker& w, Folder& f) {
        Directory dir;
        int err = open(f, dir);
        if (err == 0) {
            err = dir.identity(f.id);
        }
        if (err != 0) {
            f.error = err;
            return;
        }
        if (!enterOnce(f)) {
            return;
        }
        read(w, f, dir);
        if (w.children.empty() || m_kept.load(std::memory_order_relaxed) >= m_keepBudget) {
            return; // closed with `dir`; sub-folders are opened by their path from above
        }
        f.users.store(static_cast<uint32_t>(w.children.size()), std::memory_order_relaxed);
        f.dir = std::move(dir);
        m_kept.fetch_add(1, std::memory_order_relaxed);
    }

    // Reads the open folder `f` into its records and its sub-folders into w.children.
    void read(Worker& w, Folder& f, Directory& dir) {
        w.order.clear();
        Collector collector(w.order, m_subFolders);
        int err = dir.read(collector);
        if (err == 0 && collector.overflow()) {
            err = EOVERFLOW;
        }
        if (err != 0) {
            f.error = err;
            return;
        }
        FolderOrder& order = w.order;
        order.sort();
        size_t bytes = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            bytes += recordSize(order.name(i), order.isFolder(i));
        }
        char* out = w.records.allocate(bytes);
        f.records = out;
        f.recordBytes = bytes;
        for (size_t i = 0; i < order.size(); ++i) {
            const std::string_view name = order.name(i);
            Folder* child = nullptr;
            if (order.isFolder(i)) {
                child = w.newFolder();
                child->parent = &f;
                w.children.push_back(child);
            } else {
                ++w.files;
                w.nameBytes += name.size();
            }
            out = putRecord(out, name, child);
        }
    }

    // Opens `f` inside its parent. Returns 0 or the errno value.
    int open(const Folder& f, Directory& dir) {
        Folder& parent = *f.parent;
        if (parent.dir.isOpen()) {
            // Open until this folder, one of its users, lets go of it.
            const int err = dir.openIn(parent.dir, f.name.data());
            release(parent);
            return err;
        }
        return reopen(f, dir);
    }

    void release(Folder& f) {
        if (f.users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            f.dir.close();
            m_kept.fetch_sub(1, std::memory_order_relaxed);
        }
    }

    // Takes a share of `f`'s handle when it is still open.
    static bool pin(Folder& f) {
        uint32_t users = f.users.load(std::memory_order_acquire);
        while (users > 0) {
            if (f.users.compare_exchange_weak(users, users + 1, std::memory_order_acq_rel)) {
                return true;
            }
        }
        return false;
    }

    // Opens `f` when its parent was not kept open: by its path from the
    // nearest folder above that still is, a few names per call, checking that
    // each folder reached is the one read before.
    int reopen(const Folder& f, Directory& dir) {
        std::vector<const Folder*> chain{f.parent};
        Folder* anchor = f.parent->parent;
        while (!pin(*anchor)) {
            chain.push_back(anchor);
            anchor = anchor->parent;
        }
        int err = 0;
        Directory at;
        const Directory* from = &anchor->dir;
        for (size_t end = chain.size(); end > 0 && err == 0;) {
            // Few enough names that the system follows every link among them.
            size_t begin = end;
            std::string relative;
            while (begin > 0 && end - begin < 16 && relative.size() < 2048) {
                if (!relative.empty()) {
                    relative += kPathSeparator;
                }
                relative.append(chain[--begin]->name);
            }
            Directory next;
            err = next.openIn(*from, relative);
            FolderIdentity id;
            if (err == 0) {
                err = next.identity(id);
            }
            if (err == 0 && id != chain[begin]->id) {
                err = ENOENT; // replaced by another folder while the walk ran
            }
            at = std::move(next);
            from = &at;
            end = begin;
        }
        if (err == 0) {
            err = dir.openIn(at, f.name.data());
        }
        release(*anchor);
        return err;
    }

    // Notes that `f` is being entered; false when it is a folder on its own
    // way down, reached again through a link, which is not entered again.
    bool enterOnce(Folder& f) {
        bool seen = false;
        {
            std::lock_guard lock(m_seenMutex);
            seen = !m_seen.insert(f.id);
        }
        if (seen) {
            for (const Folder* up = f.parent; up != nullptr; up = up->parent) {
                if (up->id == f.id) {
                    return false;
                }
            }
        }
        return true;
    }

    const bool m_subFolders;
    const unsigned m_threads;
    size_t m_keepBudget = 0;
    std::atomic<size_t> m_kept{0};
    std::vector<std::unique_ptr<Worker>> m_workers;

    std::mutex m_mutex; // guards everything below up to m_failure
    std::condition_variable m_wake;
    std::vector<Folder*> m_stack; // folders to read, the next one last
    size_t m_busy = 0;            // threads reading a folder
    size_t m_waiting = 0;         // threads waiting for one
    std::exception_ptr m_failure;

    std::mutex m_seenMutex;
    IdentitySet m_seen;
};

} // namespace

ScanResult ScanFolder(const std::string& folder, bool subFolders, unsigned threads) {
    ScanResult result;
    Walk(subFolders, threads).run(folder, result);
    return result;
}

ScanResult ScanFolder(const std::string& folder, bool subFolders) {
    return ScanFolder(folder, subFolders, defaultThreads());
}

} // namespace zentory
