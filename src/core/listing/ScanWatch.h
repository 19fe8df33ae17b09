#pragma once
// Lets another thread follow a folder walk while it runs, and stop it: how many
// files the walk has found, which folder it is reading, and a request to
// cancel. The walk looks at it once per folder, so being followed costs it
// next to nothing.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

namespace zentory {

class ScanWatch {
public:
    ScanWatch() = default;
    ScanWatch(const ScanWatch&) = delete;
    ScanWatch& operator=(const ScanWatch&) = delete;
    virtual ~ScanWatch() = default;

    // Asks the walk to stop. It stops once the folders being read at this
    // moment are done, and its result is then empty.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }
    // The files found so far.
    size_t files() const { return m_files.load(std::memory_order_relaxed); }
    // The path of a folder the walk has been reading (at first the chosen
    // one); asks it to note the next folder it enters for the following call.
    std::string folder();

    // The walk's side: files found in a folder just read; whether a folder
    // should be noted; the path of the folder being entered.
    void found(size_t files) { m_files.fetch_add(files, std::memory_order_relaxed); }
    bool wantsFolder() const { return m_wantsFolder.load(std::memory_order_relaxed); }
    void noteFolder(std::string path);
    // Called on a walking thread before it reads each folder below the chosen
    // one; tests slow the walk down here.
    virtual void enteringFolder() {}
    // Called on a walking thread before it looks up each file's size and
    // time (with ScanOptions::fileStats); tests slow the walk down here.
    virtual void lookingUp() {}

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<size_t> m_files{0};
    std::atomic<bool> m_wantsFolder{true};
    std::mutex m_mutex; // guards m_folder
    std::string m_folder;
};

} // namespace zentory
