#include "TempDir.h"
#include "RamDir.h"

#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;

namespace zentory::test {

TempDir::TempDir() : TempDir(fs::temp_directory_path().string()) {}

TempDir::TempDir(const std::string& base) {
    std::string pattern = base + "/zentory-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed below " + base);
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Give back write and search bits that a test took away, so everything can go.
    for (auto it = fs::recursive_directory_iterator(
             m_path, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(m_path, ec);
}

namespace {

std::string ramBase() {
    return ::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm")
                                           : fs::temp_directory_path().string();
}

} // namespace

RamDir::RamDir() : TempDir(ramBase()) {}

} // namespace zentory::test
