#pragma once
// A small file system of its own (64 KiB unless told) at a path, where the tests may mount one
// (root with the right to mount), to be filled to the last page.

#include <string>

namespace zentory::test {

class FullFileSystem {
public:
    explicit FullFileSystem(const std::string& where, const std::string& size = "64k");
    ~FullFileSystem();
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    // Takes every free byte with a file of its own, "filler".
    void fill() const;

private:
    std::string m_path;
    bool m_mounted = false;
};

} // namespace zentory::test
