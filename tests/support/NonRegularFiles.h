#pragma once
// Files that are not files, below a folder: a FIFO (also in a sub-folder and
// through a link), a socket and, for root, a null device of its own; with an
// inotify watch that sees every open of them.

#include <string>
#include <vector>

namespace zentory::test {

class NonRegularFiles {
public:
    // Makes them below `root`; `ok()` tells whether every step worked.
    explicit NonRegularFiles(const std::string& root);
    ~NonRegularFiles();
    NonRegularFiles(const NonRegularFiles&) = delete;
    NonRegularFiles& operator=(const NonRegularFiles&) = delete;

    bool ok() const { return m_ok; }
    bool hasDevice() const { return m_device; }
    // The special files made (the link to the FIFO not counted).
    const std::vector<std::string>& paths() const { return m_paths; }
    // What a walk lists below `root`, relative to it: "dev\nfifo\nfifolink\n...".
    std::string listing() const;
    // The opens seen since the last call.
    long opens();
    // The survival table's case.
    std::string caseText() const;

private:
    std::vector<std::string> m_paths;
    bool m_ok = false;
    bool m_device = false;
    int m_socket = -1;
    int m_watch = -1;
};

} // namespace zentory::test
