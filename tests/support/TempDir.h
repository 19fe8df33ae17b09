#pragma once
// A fresh folder for one test, removed with everything in it.

#include <string>

namespace zentory::test {

class TempDir {
public:
    // Below the system's temporary folder.
    TempDir();
    // Below `base`.
    explicit TempDir(const std::string& base);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace zentory::test
