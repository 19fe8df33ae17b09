#include "platform/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/Interruption.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace zentory::platform {

InPlaceFile::InPlaceFile(int fd, std::string target, std::string folder, bool readable)
    // The new text's bytes wait in the temporary folder, the old ones beside
    // the file: of the file's own disk only the old bytes take room.
    : m_fd(fd), m_target(std::move(target)), m_readable(readable),
      m_text(folder, Spool::Prefer::Temporary),
      m_oldBytes(std::move(folder), Spool::Prefer::Beside) {
    try {
        lock();
        m_oldSize = currentSize(); // read under the lock: another writer's text is whole by now
    } catch (...) {
        close();
        throw;
    }
}

InPlaceFile::~InPlaceFile() {
    close();
}

void InPlaceFile::lock() {
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::seconds(kLockWaitSeconds);
    while (!tryLock()) {
        if (Clock::now() >= giveUp) {
            throw FileError(m_target, "lock", "another program is still writing it");
        }
        throwIfInterrupted(); // nothing was changed yet
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void InPlaceFile::write(std::string_view bytes) {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    if (const int err = m_text.append(bytes); err != 0) {
        close();
        // Beyond the size limit the file could not take the text either.
        throw FileError(m_target, err == EFBIG ? "write to" : "find room to hold the new text of",
                        err);
    }
}

void InPlaceFile::commit() {
    if (m_fd < 0) {
        throw FileError(m_target, "write to", EBADF);
    }
    // From here on a signal (Ctrl+C) waits until the file is whole again, old or new.
    const SignalsHeld held;
    try {
        throwIfInterrupted();
        const off_t end = m_text.size();
        checkSizeLimit(end);
        reserve(end);
        if (m_readable) {
            if (const int err = m_oldBytes.appendFrom(m_fd, 0, std::min(end, m_oldSize))) {
                throw FileError(m_target, "find room to keep the old text of", err);
            }
        }
    } catch (...) {
        close(); // nothing was changed
        throw;
    }
    overwrite();
    closeCommitted();
}

void InPlaceFile::overwrite() {
    const off_t end = m_text.size();
    int err = m_text.copyTo(m_fd, 0);
    if (err == 0) {
        err = cutTo(end);
    }
    if (err == 0) {
        err = flushToDisk();
    }
    if (err != 0) {
        restore(err);
    }
}

// Puts the old bytes and length back into blocks the file already had, so that
// this succeeds even on a full disk, then throws the failure `err`.
void InPlaceFile::restore(int err) {
    bool back = m_readable && m_oldBytes.copyTo(m_fd, 0) == 0;
    back = back && cutTo(m_oldSize) == 0;
    back = back && flushToDisk() == 0;
    close();
    if (!back) {
        throw FileError(m_target, "write to",
                        errorText(err) + "; its old text could not be put back");
    }
    throw FileError(m_target, "write to", err);
}

} // namespace zentory::platform
