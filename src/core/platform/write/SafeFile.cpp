#include "platform/write/SafeFile.h"

namespace zentory::platform {

void SafeFile::write(std::string_view bytes) {
    if (caughtInterruption() != 0) {
        discard();
        throwIfInterrupted();
    }
    try {
        writeNow(bytes);
    } catch (...) {
        discard();
        // A write that failed because of a signal or Ctrl+C (a reader gone:
        // SIGPIPE and EPIPE) ends as the interruption does.
        throwIfInterrupted();
        throw;
    }
}

} // namespace zentory::platform
