#pragma once
// A test text whose bytes differ from place to place, so that a shifted or
// partial restore shows. Shared by the rewrite suites of both systems.

#include <cstddef>
#include <string>

namespace zentory::test {

inline std::string pattern(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + static_cast<char>(i % 251));
    }
    return bytes;
}

} // namespace zentory::test
