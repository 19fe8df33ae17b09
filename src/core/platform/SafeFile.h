#pragma once
// Replaces a file only when the whole new content made it to disk. The bytes go
// to a temporary file beside the target, which is renamed over the target when
// every write and the close succeeded; on any failure the target stays exactly
// as it was and no temporary file is left. An existing file keeps its
// permission bits; a symbolic link keeps pointing at the file it names, which
// is the one replaced. A target that exists and is not a regular file (a
// device, a FIFO) is written directly: renaming over it would replace the
// device node itself.

#include <string>
#include <string_view>

namespace zentory::platform {

class SafeFile {
public:
    // Opens the temporary file (or the device). Throws FileError naming `target`.
    explicit SafeFile(std::string target, bool durable = false);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Appends bytes as they are. Throws FileError naming the target.
    void write(std::string_view bytes);
    // Closes and puts the new content in place. Throws FileError naming the target.
    void commit();

    const std::string& target() const { return m_target; }

private:
    void discard() noexcept;

    std::string m_target;    // as the caller named it, for messages
    std::string m_finalPath; // the target with symbolic links followed
    std::string m_tempPath;  // empty when writing directly
    int m_fd = -1;
    bool m_durable = false;
};

} // namespace zentory::platform
