#pragma once
// The old bytes of a file that is rewritten where it is, from its start, kept
// until the new text is safely in place: in memory while they are few, else in
// an unnamed temporary file (beside the file when its folder allows, else in
// the system's temporary folder), so that a large old list costs no memory.

#include <string>
#include <sys/types.h>

namespace zentory::platform {

class KeptBytes {
public:
    // `folder` is where the rewritten file lies.
    explicit KeptBytes(std::string folder) : m_folder(std::move(folder)) {}
    ~KeptBytes();
    KeptBytes(const KeptBytes&) = delete;
    KeptBytes& operator=(const KeptBytes&) = delete;

    // How many bytes from the start are kept.
    off_t size() const { return m_size; }
    // Keeps the bytes of `fd` up to `end`. Returns 0, or the errno of the failure.
    int keepUpTo(int fd, off_t end);
    // Writes the kept bytes back into `fd` from its start. False when that failed.
    bool putBack(int fd) const noexcept;

private:
    bool spill() noexcept;

    std::string m_folder;
    std::string m_memory; // the kept bytes while there is no spill file
    int m_spill = -1;     // the unnamed file that holds them once they are many
    off_t m_size = 0;
};

} // namespace zentory::platform
