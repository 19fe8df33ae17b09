#pragma once
// Shortens the wait of a second writer for a file's lock while it lives, so
// that a test of the wait takes a second instead of the program's ten. Forked
// children inherit it.

#include "platform/write/InPlaceFile.h"

#include <chrono>
#include <string>

namespace zentory::test {

class ShortLockWait {
public:
    static constexpr std::chrono::milliseconds kWait{1000};

    ShortLockWait() { platform::InPlaceFile::setLockWait(kWait); }
    ~ShortLockWait() {
        platform::InPlaceFile::setLockWait(
            std::chrono::seconds(platform::InPlaceFile::kLockWaitSeconds));
    }
    ShortLockWait(const ShortLockWait&) = delete;
    ShortLockWait& operator=(const ShortLockWait&) = delete;

    // The wait in seconds, less a margin for the clock's steps.
    static double atLeast() { return std::chrono::duration<double>(kWait).count() - 0.05; }
    // How a survival row states the wait: the program's, and the test's one measured.
    static std::string described(const std::string& measured) {
        return "waits out the lock wait (" +
               std::to_string(platform::InPlaceFile::kLockWaitSeconds) +
               " s; set to 1 s here, gave up after " + measured + ")";
    }
};

} // namespace zentory::test
