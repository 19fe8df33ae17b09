#include "listing/FolderScan.h"

#include "listing/FolderOrder.h"
#include "listing/ScanWatch.h"
#include "listing/WalkCollector.h"
#include "listing/WalkCrew.h"
#include "listing/WalkIdentity.h"
#include "listing/WalkOpen.h"
#include "listing/WalkRecords.h"
#include "listing/WalkRoom.h"
#include "listing/WalkTasks.h"
#include "platform/Directory.h"
#include "platform/Mounts.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zentory {

namespace {

using platform::Directory;
using walk::Clock;
using walk::Collector;
using walk::Crew;
using walk::Folder;
using walk::joinRecords;
using walk::putRecord;
using walk::recordSize;
using walk::Task;
using walk::Worker;

// How the folders are read: each thread takes a folder, reads and orders its
// entries, and publishes its sub-folders for any thread to take. A folder's
// ordered entries are kept as records; once every folder is read, one pass
// from the chosen folder down joins them, in order, into the file list. The
// list therefore depends only on the folders' contents, never on which thread
// read what, or when.

class Walk {
public:
    Walk(const ScanOptions& options, Crew crew, ScanWatch* watch = nullptr)
        : m_subFolders(options.subFolders), m_fileStats(options.fileStats),
          m_filter(options.filter), m_size(crew), m_most(std::max({1u, crew.first, crew.most})),
          m_opener(m_most), m_identities(platform::MountNames::current()), m_watch(watch) {}

    void run(const std::string& folder, ScanResult& result) {
        m_folder = &folder;
        if (m_watch != nullptr) {
            m_watch->noteFolder(folder);
        }
        Worker& main = *m_workers.emplace_back(std::make_unique<Worker>());
        Folder& root = *main.newFolder();
        if (!readRoot(main, root, result)) {
            return;
        }
        if (!main.children.empty()) {
            walkBelow(main);
        }
        joinHelpers();
        if (m_tasks.failure()) {
            std::rethrow_exception(m_tasks.failure());
        }
        if (m_watch != nullptr && m_watch->cancelled()) {
            result.cancelled = true;
            return;
        }
        size_t files = 0;
        uint64_t nameBytes = 0;
        for (const auto& w : m_workers) {
            files += w->files;
            nameBytes += w->nameBytes;
        }
        joinRecords(folder, root, files, nameBytes, m_fileStats, result);
    }

private:
    // Opens and reads the chosen folder and offers its sub-folders; false,
    // with the error in `result`, when it cannot be opened or read.
    bool readRoot(Worker& main, Folder& root, ScanResult& result) {
        const std::string& folder = *m_folder;
        Directory dir;
        int err = dir.open(folder);
        platform::FolderIdentity id;
        if (err == 0) {
            err = dir.identity(id);
        }
        if (err != 0) {
            result.folderError.emplace(folder, "open folder", err);
            return false;
        }
        m_identities.told(root, id);
        m_identities.enterOnce(root);
        read(main, root, dir);
        if (root.error != 0) {
            result.folderError.emplace(folder, "read folder", root.error);
            return false;
        }
        m_opener.keepRoot(root, dir, main.children.size());
        m_tasks.publish(main.children, 0);
        return true;
    }

    // Reads every folder below the chosen one, on this thread and the helpers.
    void walkBelow(Worker& main) {
        for (unsigned i = 1; i < m_most; ++i) {
            m_workers.push_back(std::make_unique<Worker>());
        }
        m_windowStart = Clock::now();
        m_windowEnd.store((m_windowStart + walk::kPatience).time_since_epoch().count());
        try {
            std::lock_guard lock(m_helpersMutex);
            m_tasks.resize(m_size.threads());
            addHelpers(m_size.threads());
            m_grown.store(m_size.fixed(), std::memory_order_relaxed);
        } catch (...) {
            m_tasks.fail(std::current_exception()); // the helpers already started stop
        }
        work(main, 0);
    }

    void joinHelpers() {
        std::vector<std::thread> helpers;
        {
            std::lock_guard lock(m_helpersMutex);
            m_grown.store(true, std::memory_order_relaxed);
            helpers.swap(m_helpers);
        }
        for (auto& t : helpers) {
            t.join();
        }
    }

    void work(Worker& w, unsigned index) {
        bool holding = false;
        Folder* next = nullptr;
        for (;;) {
            if (m_watch != nullptr && m_watch->cancelled()) {
                m_tasks.stop();
                return;
            }
            if (next != nullptr && index >= m_tasks.size()) {
                m_tasks.publish({next}, 0); // the crew shrank: this thread rests
                next = nullptr;
            }
            Task task{next, {}};
            next = nullptr;
            if (task.folder == nullptr) {
                task = m_tasks.take(holding, index);
                holding = task.any();
                if (!holding) {
                    return;
                }
            }
            try {
                if (task.lookup.folder != nullptr) {
                    walk::lookUp(task.lookup.folder->dir, task.lookup, w.done, m_watch);
                    m_opener.lookedUp(*task.lookup.folder);
                    sizeCrew();
                    continue;
                }
                w.children.clear();
                w.lookups.clear();
                visit(w, *task.folder);
                m_tasks.publish(w.lookups);
                // Go on with the first sub-folder; the others are for whoever is free.
                if (!w.children.empty()) {
                    next = w.children.front();
                    m_tasks.publish(w.children, 1);
                }
                w.count(w.done);
                sizeCrew();
            } catch (...) {
                m_tasks.fail(std::current_exception());
                return;
            }
        }
    }

    // Starts helpers until `count` threads read folders. Call with m_helpersMutex held.
    void addHelpers(unsigned count) {
        while (m_helpers.size() + 1 < count) {
            const size_t i = m_helpers.size() + 1;
            try {
                m_helpers.emplace_back(
                    [this, i] { work(*m_workers[i], static_cast<unsigned>(i)); });
            } catch (const std::system_error&) {
                return; // the system has no more threads to give; the others carry on
            }
        }
    }

    // At the end of each window of time: sets how many threads read in the
    // next one, from the rate of this one, starting threads or letting them rest.
    void sizeCrew() {
        if (m_grown.load(std::memory_order_relaxed)) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now.time_since_epoch().count() < m_windowEnd.load(std::memory_order_relaxed) ||
            !m_helpersMutex.try_lock()) {
            return;
        }
        std::lock_guard lock(m_helpersMutex, std::adopt_lock);
        if (now.time_since_epoch().count() < m_windowEnd.load(std::memory_order_relaxed) ||
            m_grown.load(std::memory_order_relaxed)) {
            return;
        }
        // A few reads per thread at least, so that one slow folder does not
        // pass for a slow file system; after a change, one read per thread
        // shows that the new threads are under way.
        size_t read = 0;
        for (const auto& worker : m_workers) {
            read += worker->done.load(std::memory_order_relaxed);
        }
        if (read - m_readBefore < (m_settling ? 1 : 4) * size_t{m_size.threads()}) {
            return;
        }
        const double seconds = std::chrono::duration<double>(now - m_windowStart).count();
        if (m_settling) {
            // The window after a change starts the new threads or lets the
            // others finish: its rate says little. The next one counts.
            m_settling = false;
            m_tasks.starved(); // forgotten: it belongs to the window that is skipped
            m_readBefore = read;
            m_windowStart = now;
            m_windowEnd.store((now + walk::kWindow).time_since_epoch().count());
            return;
        }
        const unsigned threads =
            m_size.measured(static_cast<double>(read - m_readBefore) / seconds, m_tasks.starved());
        m_readBefore = read;
        m_windowStart = now;
        m_settling = threads != m_tasks.size();
        m_windowEnd.store(
            (now + (m_settling ? walk::kSettle : walk::kWindow)).time_since_epoch().count());
        addHelpers(threads);
        m_tasks.resize(threads);
    }

    void visit(Worker& w, Folder& f) {
        if (m_watch != nullptr) {
            m_watch->enteringFolder();
            if (m_watch->wantsFolder()) {
                m_watch->noteFolder(walk::pathOf(*m_folder, f));
            }
        }
        // A folder known from its parent's read is recognised before it is
        // opened; any other is asked once open.
        const bool known = m_identities.fromEntry(f);
        if (known && !m_identities.enterOnce(f)) {
            m_opener.skip(f);
            return;
        }
        Directory dir;
        if (const int err = open(f, dir, !known); err != 0) {
            f.error = err;
            return;
        }
        const walk::Holding holding(m_room, dir);
        if (!known && !m_identities.enterOnce(f)) {
            return;
        }
        read(w, f, dir);
        m_opener.keep(f, dir, w.children.size(), w.lookups.size());
    }

    // Opens `f` into `dir` and, with `ask`, asks it its identity. Short of
    // open files or memory, it keeps no more folders open for later, waits for
    // the other threads to close theirs and tries again, so that a folder is
    // lost only when even a walk on one thread cannot open it. Returns 0 or
    // the errno value.
    int open(Folder& f, Directory& dir, bool ask) {
        const auto asked = [&](int err) {
            platform::FolderIdentity id;
            if (err == 0 && ask) {
                err = dir.identity(id);
                if (err == 0) {
                    m_identities.told(f, id);
                }
            }
            return err;
        };
        int err = asked(m_opener.open(f, dir));
        for (int tries = 0; walk::isShortage(err);) {
            dir.close();
            m_opener.keepNoMore();
            m_grown.store(true, std::memory_order_relaxed); // and starts no more threads
            if (!m_room.waitForRoom(tries, m_watch)) {
                m_room.gaveUp();
                break;
            }
            err = asked(m_opener.retry(f, dir));
        }
        return err;
    }

    // Reads the open folder `f` into its records and its sub-folders into w.children.
    void read(Worker& w, Folder& f, Directory& dir) {
        w.order.clear();
        Collector collector(w.order, m_subFolders, m_filter, f.depth, m_watch, m_fileStats);
        int err = dir.read(collector);
        if (err == ECANCELED) {
            return; // the walk ends as cancelled; nothing of this folder counts
        }
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
            bytes += recordSize(order.name(i), order.isFolder(i), m_fileStats);
        }
        f.records = std::span<char>(w.space.take(bytes), bytes);
        char* out = f.records.data();
        const size_t filesBefore = w.files;
        // Threads wait for work: let them look up this folder's files.
        const bool share =
            m_fileStats && m_tasks.waiting() > 0 && order.size() > walk::kLookupChunk;
        for (size_t i = 0; i < order.size(); ++i) {
            const std::string_view name = order.name(i);
            Folder* child = nullptr;
            if (order.isFolder(i)) {
                child = w.newFolder();
                child->parent = &f;
                child->entry = order.identity(i);
                child->depth = f.depth + 1;
                w.children.push_back(child);
            } else {
                ++w.files;
                w.nameBytes += name.size();
                if (m_fileStats) {
                    out = putRecord(out, name, FileStat{}); // looked up below
                    continue;
                }
            }
            out = putRecord(out, name, child);
        }
        // The count moves as soon as the names are in, before any look-up.
        const size_t files = w.files - filesBefore;
        if (m_watch != nullptr) {
            m_watch->found(files - collector.reported());
        }
        if (share) {
            walk::cutLookups(f, w.lookups);
        } else if (m_fileStats && files > 0) {
            walk::lookUp(dir, walk::Lookup{&f, f.records.data(), static_cast<uint32_t>(files)},
                         w.done, m_watch);
        }
    }

    const bool m_subFolders;
    const bool m_fileStats;
    const FileFilter m_filter;
    const std::string* m_folder = nullptr; // the chosen folder
    walk::CrewSize m_size;                 // how many threads read; guarded by m_helpersMutex
    const unsigned m_most;                 // threads there may be
    walk::FolderOpener m_opener;
    walk::Identities m_identities;
    walk::Room m_room;
    ScanWatch* const m_watch;                       // none when nobody follows the walk
    std::vector<std::unique_ptr<Worker>> m_workers; // one for each thread there may be
    Clock::time_point m_windowStart; // of the window the crew is sized after (m_helpersMutex)
    std::atomic<Clock::rep> m_windowEnd{0}; // when it ends, in the clock's ticks
    bool m_settling = false;                // the window after a change in size
    size_t m_readBefore = 0;                // folders and files read before the window

    std::mutex m_helpersMutex; // guards m_helpers and the change of m_grown
    std::vector<std::thread> m_helpers;
    std::atomic<bool> m_grown{false}; // the crew is no longer sized

    walk::Tasks m_tasks;
};

} // namespace

ScanResult ScanFolder(const std::string& folder, const ScanOptions& options, ScanWatch* watch) {
    ScanResult result;
    const Crew crew = walk::crewFor(options.threads, options.fileStats);
    if (watch == nullptr || !watch->cancelled()) {
        Walk(options, crew, watch).run(folder, result);
    }
    // A cancel that comes after the last folder still leaves nothing read.
    if (watch != nullptr && watch->cancelled()) {
        result = ScanResult();
        result.cancelled = true;
    }
    return result;
}

} // namespace zentory
