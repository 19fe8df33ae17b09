#include "platform/write/InPlaceFile.h"

#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/StepFailure.h"
#include "platform/write/Interruption.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace zentory::platform {

namespace {

#ifdef EDQUOT
constexpr int kOverQuota = EDQUOT;
#else
constexpr int kOverQuota = ENOSPC; // the C runtime has no errno of its own for it
#endif

bool forWantOfRoom(int err) {
    return err == ENOSPC || err == kOverQuota;
}

// The lock wait in milliseconds; an atomic, so a test may set it while
// writers of other threads wait.
std::atomic<std::chrono::milliseconds::rep> lockWaitMs{
    std::chrono::milliseconds(std::chrono::seconds(InPlaceFile::kLockWaitSeconds)).count()};

} // namespace

InPlaceFile::InPlaceFile(FileHandle file, std::string target, std::string folder, bool readable)
    // The new text's bytes wait in the temporary folder, the old ones beside
    // the file: of the file's own disk only the old bytes take room.
    : m_file(file), m_target(std::move(target)), m_readable(readable),
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

std::chrono::milliseconds InPlaceFile::lockWait() {
    return std::chrono::milliseconds(lockWaitMs.load(std::memory_order_relaxed));
}

void InPlaceFile::setLockWait(std::chrono::milliseconds wait) {
    lockWaitMs.store(wait.count(), std::memory_order_relaxed);
}

void InPlaceFile::lock() {
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + lockWait();
    for (Lock held = tryLock(); held != Lock::Taken; held = tryLock()) {
        if (Clock::now() >= giveUp) {
            // A reader's shared lock is told apart: nobody is writing the file.
            throw FileError(m_target, "lock",
                            held == Lock::HeldByReader ? "another program has the file locked"
                                                       : "another program is still writing it");
        }
        throwIfInterrupted(); // nothing was changed yet
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Throws the failure `err` of holding the new text aside; the file is untouched.
void InPlaceFile::setAside(int err) {
    close();
    // Beyond the size limit the file could not take the text either.
    throw FileError(m_target, forWantOfRoom(err) ? "find room to hold the new text of" : "write to",
                    err);
}

void InPlaceFile::write(std::string_view bytes) {
    if (!m_file.valid()) {
        throw FileError(m_target, "write to", EBADF);
    }
    if (const int err = m_text.append(bytes); err != 0) {
        setAside(err);
    }
}

void InPlaceFile::writeFrom(FileHandle file, std::int64_t count) {
    if (!m_file.valid()) {
        throw FileError(m_target, "write to", EBADF);
    }
    if (const int err = m_text.appendFrom(file, 0, count); err != 0) {
        setAside(err);
    }
}

void InPlaceFile::commit() {
    if (!m_file.valid()) {
        throw FileError(m_target, "write to", EBADF);
    }
    // From here on a signal (Ctrl+C) waits until the file is whole again, old or new.
    const SignalsHeld held;
    try {
        throwIfInterrupted();
        const std::int64_t end = m_text.size();
        checkSizeLimit(end);
        if (const int err = failingStep(Step::Truncate)) {
            throw FileError(m_target, "write to", err);
        }
        reserve(end);
        if (m_readable) {
            // All of it, not only the bytes the new text overwrites: a failure
            // after the cut must find the old tail too.
            int err = failingStep(Step::KeepOld);
            if (err == 0) {
                err = m_oldBytes.appendFrom(m_file, 0, m_oldSize);
            }
            if (err != 0) {
                throw FileError(m_target,
                                forWantOfRoom(err) ? "find room to keep the old text of"
                                                   : "read the old text of",
                                err);
            }
        }
    } catch (...) {
        close(); // nothing was changed
        throw;
    }
    overwrite();
    closeCommitted();
}

int InPlaceFile::cut(std::int64_t end) noexcept {
    if (const int err = failingStep(Step::Truncate)) {
        return err;
    }
    return cutTo(end);
}

int InPlaceFile::flush() noexcept {
    if (const int err = failingStep(Step::Flush)) {
        return err;
    }
    return flushToDisk();
}

// The new text reaches the disk while the file still has every block of its
// old text; a shorter text is cut to its length only then, so that a failure
// up to that point needs no new room to put the old text back.
void InPlaceFile::overwrite() {
    const std::int64_t end = m_text.size();
    int err = m_text.copyTo(m_file, 0);
    if (err == 0) {
        err = flush();
    }
    if (err == 0 && end < m_oldSize) {
        err = cut(end);
        if (err == 0) {
            err = flush();
        }
    }
    if (err != 0) {
        restore(err);
    }
}

// The old text first, extending the file where it was cut, then its old
// length: no step on the way leaves a gap of zeros in it.
int InPlaceFile::putBack() noexcept {
    if (!m_readable) {
        return EBADF; // its old bytes were never read
    }
    if (const int err = failingStep(Step::Restore)) {
        return err;
    }
    try {
        reserve(m_oldSize); // the blocks a cut gave back, where the file system can
    } catch (...) {
        // The copy below finds out whether there is room.
    }
    int err = m_oldBytes.copyTo(m_file, 0);
    if (err == 0 && m_text.size() > m_oldSize) {
        err = cut(m_oldSize);
    }
    return err != 0 ? err : flush();
}

// Puts the old text back, then throws the failure `err`.
void InPlaceFile::restore(int err) {
    if (putBack() == 0) {
        close();
        throw FileError(m_target, "write to", err);
    }
    close();
    std::string more = "its old text could not be put back";
    if (m_readable) {
        if (const std::string copy = m_oldBytes.saveCopy(nameOf(m_target)); !copy.empty()) {
            more += ", a copy of it is in '" + copy + "'";
        }
    }
    throw FileError(m_target, "write to", err, more);
}

} // namespace zentory::platform
