#pragma once
// The composed text of a list on its way to the writer: gathered in pieces of
// 64 KiB, each handed on when full, and for a long list composed on a second
// thread while the first one writes.

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

namespace zentory::pieces {

// Pieces handed to the writer: large enough that writing costs few system
// calls, small enough that a long list is never held twice and that the few
// buffers in circulation cost few fresh pages.
constexpr size_t kChunk = size_t{64} << 10;

// Eight bytes looked at at once, for the escapers' fast paths: each result is
// non-zero when some byte of `word` is as asked.
constexpr uint64_t kByteOnes = 0x0101010101010101ULL;
constexpr uint64_t kByteHighs = 0x8080808080808080ULL;

// Some byte of `word` is `byte`.
inline uint64_t anyByteIs(uint64_t word, uint8_t byte) {
    const uint64_t x = word ^ (kByteOnes * byte);
    return (x - kByteOnes) & ~x & kByteHighs;
}

// Some byte of `word` is below `limit` (at most 0x80).
inline uint64_t anyByteBelow(uint64_t word, uint8_t limit) {
    return (word - kByteOnes * limit) & ~word & kByteHighs;
}

// Whether any of the eight bytes in `word` is a control byte (below 0x20, or 0x7F).
inline bool hasControlByte(uint64_t word) {
    return (anyByteBelow(word, 0x20) | anyByteIs(word, 0x7f)) != 0;
}

// From `i` on, the first place in `text` where eight bytes are not all plain
// to `needsLook` (a test of eight bytes at once), or where fewer than eight
// bytes are left: where an escaper has to look at single bytes again.
template <typename NeedsLook>
size_t skipPlainWords(std::string_view text, size_t i, NeedsLook needsLook) {
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (needsLook(word)) {
            break;
        }
    }
    return i;
}

inline bool isControlByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

// Copies `bytes` to `out`, every control byte written as "?".
inline void copyClean(char* out, std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    std::memcpy(out, bytes.data(), bytes.size());
    for (size_t i = skipPlainWords(bytes, 0, hasControlByte); i < bytes.size(); ++i) {
        if (isControlByte(out[i])) {
            out[i] = '?';
        }
    }
}

// A piece of composed text in a buffer of its own.
struct Piece {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    size_t capacity = 0;

    std::string_view text() const { return std::string_view(data.get(), size); }
};

// The composed text, gathered in one buffer, CR LF put in as the lines go, and
// handed on in pieces of about kChunk bytes.
class TextSink {
public:
    // `deliver` takes the full piece away and leaves an empty one in its place.
    explicit TextSink(std::function<void(Piece&)> deliver)
        : m_deliver(std::move(deliver)), m_piece{std::unique_ptr<char[]>(new char[kChunk]), 0,
                                                 kChunk} {}

    void text(std::string_view bytes) {
        if (!bytes.empty()) { // an empty view may hold no pointer, which memcpy refuses
            std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        }
    }

    // The bytes as held, with every control byte written as "?", so that one
    // file stays one line.
    void cleanText(std::string_view bytes) {
        if (!bytes.empty()) {
            copyClean(room(bytes.size()), bytes);
        }
    }

    void lineEnd() {
        char* out = room(2);
        out[0] = '\r';
        out[1] = '\n';
    }

    void flush() {
        if (m_piece.size > 0) {
            m_deliver(m_piece);
        }
    }

    // Space for `bytes` more bytes, counted as written.
    char* room(size_t bytes) {
        if (m_piece.capacity - m_piece.size < bytes) {
            flush();
            if (bytes > m_piece.capacity) {
                m_piece.data.reset(new char[bytes]);
                m_piece.capacity = bytes;
            }
        }
        char* out = m_piece.data.get() + m_piece.size;
        m_piece.size += bytes;
        return out;
    }

private:
    std::function<void(Piece&)> m_deliver;
    Piece m_piece;
};

// Runs `compose` and hands what it puts into its sink to `write`, in pieces of
// about kChunk bytes. With `piped` (for a long list), `compose` runs on a
// second thread while this one writes. Exceptions of either pass through.
void streamPieces(const std::function<void(std::string_view)>& write,
                  const std::function<void(TextSink&)>& compose, bool piped);

} // namespace zentory::pieces
