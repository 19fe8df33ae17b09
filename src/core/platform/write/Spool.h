#pragma once
// Bytes held aside while a file is rewritten where it is: the new text until
// all of it is there, and the old bytes it overwrites until it is in place. In
// memory while they are few, else in an unnamed temporary file, so that a long
// list costs no memory and a killed program leaves nothing behind. A place
// that runs out of room hands the bytes on to the next one.

#include "platform/FileHandle.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zentory::platform {

class Spool {
public:
    // Where the bytes go once they are many: beside the rewritten file, or
    // in the temporary folder (TMPDIR when set, else /tmp, then /var/tmp).
    // Each place is tried, the preferred one first.
    enum class Prefer { Beside, Temporary };
    // `folder` is where the rewritten file lies.
    Spool(std::string folder, Prefer prefer) : m_folder(std::move(folder)), m_prefer(prefer) {}
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    std::int64_t size() const { return m_size; }
    // Each returns 0, or the errno of the failure (then nothing was added).
    int append(std::string_view bytes);
    // Adds `count` bytes of `file` from `from` on.
    int appendFrom(FileHandle file, std::int64_t from, std::int64_t count);
    // Writes every byte held into `file` from `offset` on.
    int copyTo(FileHandle file, std::int64_t offset) const noexcept;
    // Keeps the bytes held as a file of their own named after `name`, in the
    // first of the spool's places that takes it, and returns its path ("" if
    // none did): the last resort when they cannot go back where they came from.
    std::string saveCopy(const std::string& name) const noexcept;

private:
    int spill() noexcept;

    std::string m_folder;
    Prefer m_prefer;
    std::string m_memory; // the bytes while there is no spill file
    FileHandle m_spill;   // the unnamed file that holds them once they are many
    size_t m_place = 0;   // the next place to spill to
    std::int64_t m_size = 0;
};

} // namespace zentory::platform
