#pragma once
// Stops a process at a chosen moment of its write: from construction on a file
// or folder is watched for an inotify event; signalAt() waits for the first
// one, then until the process is where the test wants it, stops it there and
// sends it a signal.

#include <cstdint>
#include <functional>
#include <string>

#include <sys/types.h>

namespace zentory::test {

class FileEventStop {
public:
    FileEventStop(const std::string& path, uint32_t mask);
    ~FileEventStop();
    FileEventStop(const FileEventStop&) = delete;
    FileEventStop& operator=(const FileEventStop&) = delete;

    // After the first event (within 30 s), waits until `ready(pid)` holds (at
    // most 30 s), stops the process, and sends `signal` if it still holds (else
    // SIGKILL) before letting it go on. True when `signal` was sent.
    bool signalAt(pid_t pid, int signal, const std::function<bool(pid_t)>& ready);

private:
    int m_events;
};

} // namespace zentory::test
