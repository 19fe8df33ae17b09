#include "listing/Glob.h"

#include "listing/Utf8.h"
#include "platform/CaseFolding.h"

namespace zentory {

namespace {

// Bytes outside UTF-8 become characters above every code point, one per byte.
constexpr char32_t kOwnByte = 0x110000;

char32_t nextCharacter(std::string_view text, size_t at, size_t& length) {
    const char32_t c = DecodeUtf8(text, at, length);
    if (c == kNotUtf8) {
        length = 1;
        return kOwnByte + static_cast<unsigned char>(text[at]);
    }
    return c;
}

char32_t fold(char32_t c) {
    if (c < 0x80) {
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    }
    if (c >= kOwnByte) {
        return c;
    }
    return platform::foldCase(c);
}

// The character at `at` of a pattern, "\" taking the next one as it is.
char32_t patternCharacter(std::string_view pattern, size_t& at) {
    size_t length = 0;
    if (pattern[at] == '\\' && at + 1 < pattern.size()) {
        ++at;
    }
    const char32_t c = nextCharacter(pattern, at, length);
    at += length;
    return c;
}

} // namespace

Glob::Glob(std::string_view pattern, bool ignoreCase) : m_ignoreCase(ignoreCase) {
    for (size_t at = 0; at < pattern.size();) {
        const char c = pattern[at];
        if (c == '*') {
            if (m_tokens.empty() || m_tokens.back().kind != Kind::Star) {
                m_tokens.push_back(Token{Kind::Star});
            }
            ++at;
        } else if (c == '?') {
            m_tokens.push_back(Token{Kind::Any});
            ++at;
        } else if (c == '[') {
            at = parseSet(pattern, at);
        } else {
            const char32_t literal = patternCharacter(pattern, at);
            m_tokens.push_back(Token{Kind::Literal, m_ignoreCase ? fold(literal) : literal});
        }
    }
}

// Reads the set that opens at `at`; returns where the pattern goes on after
// it. A "[" without its "]" stands for itself.
size_t Glob::parseSet(std::string_view pattern, size_t at) {
    size_t i = at + 1;
    Kind kind = Kind::Set;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        kind = Kind::NotSet;
        ++i;
    }
    const size_t first = m_ranges.size();
    bool opening = true;
    while (i < pattern.size() && (opening || pattern[i] != ']')) {
        opening = false;
        const char32_t low = patternCharacter(pattern, i);
        char32_t high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            ++i;
            high = patternCharacter(pattern, i);
        }
        m_ranges.push_back(Range{low, high});
    }
    if (i >= pattern.size()) {
        m_ranges.resize(first);
        // The "[" is a character of its own; the rest is read as usual.
        m_tokens.push_back(Token{Kind::Literal, '['});
        return at + 1;
    }
    m_tokens.push_back(Token{kind, 0, static_cast<uint32_t>(first),
                             static_cast<uint32_t>(m_ranges.size() - first)});
    return i + 1;
}

bool Glob::inSet(const Token& t, char32_t c) const {
    for (uint32_t k = t.first; k < t.first + t.count; ++k) {
        if (c >= m_ranges[k].low && c <= m_ranges[k].high) {
            return true;
        }
    }
    return false;
}

bool Glob::matchesOne(const Token& t, char32_t c) const {
    switch (t.kind) {
    case Kind::Literal:
        return (m_ignoreCase ? fold(c) : c) == t.c;
    case Kind::Any:
        return true;
    case Kind::Set:
    case Kind::NotSet: {
        bool in = inSet(t, c);
        if (!in && m_ignoreCase && c < kOwnByte) {
            in = inSet(t, platform::lowerCase(c)) || inSet(t, platform::upperCase(c));
        }
        return in == (t.kind == Kind::Set);
    }
    case Kind::Star:
        break;
    }
    return false;
}

bool Glob::matches(std::string_view name) const {
    // The usual walk with one point to come back to: the last "*" seen, and
    // where in the name it took over. Linear in the name per "*".
    size_t p = 0;
    size_t n = 0;
    size_t starToken = SIZE_MAX;
    size_t starName = 0;
    size_t length = 0;
    while (n < name.size()) {
        if (p < m_tokens.size()) {
            const Token& t = m_tokens[p];
            if (t.kind == Kind::Star) {
                starToken = p++;
                starName = n;
                continue;
            }
            const char32_t c = nextCharacter(name, n, length);
            if (matchesOne(t, c)) {
                ++p;
                n += length;
                continue;
            }
        }
        if (starToken == SIZE_MAX) {
            return false;
        }
        nextCharacter(name, starName, length);
        starName += length;
        n = starName;
        p = starToken + 1;
    }
    while (p < m_tokens.size() && m_tokens[p].kind == Kind::Star) {
        ++p;
    }
    return p == m_tokens.size();
}

} // namespace zentory
