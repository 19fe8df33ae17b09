#pragma once
// A shell wildcard pattern matched against one file name: "*" stands for any
// run of characters (none, or a leading "." too), "?" for one character,
// "[...]" for one character of a set ("[a-z0-9_]"; "[!...]" or "[^...]" for
// one not in it; a "]" right after the opening or the "!" belongs to the set),
// and "\" takes the next character as it is. A "[" without its "]" is itself.
// Names are bytes: a valid UTF-8 sequence is one character, any other byte is
// a character of its own that only itself, "?" and "*" match. Ignoring case
// compares the simple case folding of each character.

#include <cstdint>
#include <string_view>
#include <vector>

namespace zentory {

class Glob {
public:
    Glob(std::string_view pattern, bool ignoreCase);

    bool matches(std::string_view name) const;

private:
    enum class Kind : uint8_t { Literal, Any, Star, Set, NotSet };
    struct Token {
        Kind kind;
        char32_t c = 0;     // Literal: the (folded) character
        uint32_t first = 0; // Set, NotSet: the ranges [first, first + count)
        uint32_t count = 0;
    };
    struct Range {
        char32_t low;
        char32_t high;
    };

    bool inSet(const Token& t, char32_t c) const;
    bool matchesOne(const Token& t, char32_t c) const;
    size_t parseSet(std::string_view pattern, size_t at);

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    bool m_ignoreCase;
};

} // namespace zentory
