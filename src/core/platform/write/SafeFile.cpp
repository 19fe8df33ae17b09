#include "platform/write/SafeFile.h"

#include "platform/write/InPlaceFile.h"

namespace zentory::platform {

SafeFile::~SafeFile() {
    discard();
}

void SafeFile::write(std::string_view bytes) {
    if (caughtInterruption() != 0) {
        discard();
        throwIfInterrupted();
    }
    try {
        if (m_inPlace) {
            m_inPlace->write(bytes);
        } else {
            writeAll(bytes);
        }
    } catch (...) {
        discard();
        // A write that failed because of a signal or Ctrl+C (a reader gone:
        // SIGPIPE and EPIPE) ends as the interruption does.
        throwIfInterrupted();
        throw;
    }
}

} // namespace zentory::platform
