#pragma once
// A growable array of plain values that grows with realloc. For large blocks
// the C library moves the pages instead of copying them (mremap), so a list of
// a million entries never holds its bytes twice while it grows, and the unused
// tail of the reserve costs address space, not memory.

#include "platform/Memory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace zentory {

template <typename T> class GrowableArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    GrowableArray() = default;
    ~GrowableArray() { std::free(m_data); }
    GrowableArray(const GrowableArray& other) { append(other.m_data, other.m_size); }
    GrowableArray& operator=(const GrowableArray& other) {
        if (this != &other) {
            m_size = 0;
            append(other.m_data, other.m_size);
        }
        return *this;
    }
    GrowableArray(GrowableArray&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    GrowableArray& operator=(GrowableArray&& other) noexcept {
        if (this != &other) {
            std::free(m_data);
            m_data = std::exchange(other.m_data, nullptr);
            m_size = std::exchange(other.m_size, 0);
            m_capacity = std::exchange(other.m_capacity, 0);
        }
        return *this;
    }

    size_t size() const { return m_size; }
    const T* data() const { return m_data; }
    const T& operator[](size_t i) const { return m_data[i]; }

    // Drops the values and gives the memory back.
    void release() {
        std::free(m_data);
        m_data = nullptr;
        m_size = m_capacity = 0;
    }
    void reserve(size_t capacity) {
        if (capacity > m_capacity) {
            reallocate(capacity);
        }
    }
    void push_back(T value) {
        if (m_size == m_capacity) {
            grow(m_size + 1);
        }
        m_data[m_size++] = value;
    }
    void append(const T* values, size_t count) {
        if (count == 0) {
            return;
        }
        if (m_capacity - m_size < count) {
            grow(m_size + count);
        }
        std::memcpy(m_data + m_size, values, count * sizeof(T));
        m_size += count;
    }

private:
    void grow(size_t needed) {
        size_t capacity = m_capacity < 1024 ? 1024 : m_capacity * 2;
        reallocate(capacity < needed ? needed : capacity);
    }
    void reallocate(size_t capacity) {
        void* p = std::realloc(m_data, capacity * sizeof(T));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        m_data = static_cast<T*>(p);
        m_capacity = capacity;
        if (capacity * sizeof(T) >= kLargeBlock) {
            platform::adviseLargePages(m_data, capacity * sizeof(T));
        }
    }

    static constexpr size_t kLargeBlock = size_t{4} << 20;

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace zentory
