#pragma once
// Memory for many small pieces that live as long as one another.

#include "platform/Memory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zentory {

// Memory that never moves, handed out in pieces and given back all at once.
// Its blocks grow with use, so a small walk stays small and a large one
// takes its memory in a few large blocks.
class Arena {
public:
    explicit Arena(size_t firstBlock) : m_block(firstBlock) {}

    char* allocate(size_t bytes, size_t align = 1) {
        size_t pad = (align - reinterpret_cast<uintptr_t>(m_next) % align) % align;
        if (m_next == nullptr || static_cast<size_t>(m_end - m_next) < pad + bytes) {
            const size_t size = std::max(m_block, bytes + align);
            m_blocks.emplace_back(new char[size]);
            m_next = m_blocks.back().get();
            m_end = m_next + size;
            platform::adviseLargePages(m_next, size);
            m_block = std::min(m_block * 2, kLargestBlock);
            pad = (align - reinterpret_cast<uintptr_t>(m_next) % align) % align;
        }
        char* p = m_next + pad;
        m_next = p + bytes;
        return p;
    }

private:
    static constexpr size_t kLargestBlock = size_t{8} << 20;

    size_t m_block;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
};

} // namespace zentory
