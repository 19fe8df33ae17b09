#include "TextDiff.h"

#include <algorithm>
#include <cstdio>

namespace zentory::test {

namespace {

constexpr size_t kLinesShown = 4;

// Line `index` (from 0) of `text` from `start`, with its line end, or "(end)".
std::string lineAt(const std::string& text, size_t start, size_t index) {
    for (; index > 0 && start < text.size(); --index) {
        const size_t lf = text.find('\n', start);
        start = lf == std::string::npos ? text.size() : lf + 1;
    }
    if (start >= text.size()) {
        return "(end)";
    }
    const size_t lf = text.find('\n', start);
    std::string quoted = "\"";
    quoted += escaped(text.substr(start, lf == std::string::npos ? lf : lf + 1 - start));
    quoted += '"';
    return quoted;
}

} // namespace

::testing::AssertionResult sameBytes(const char* gotExpr, const char* expectedExpr,
                                     const std::string& got, const std::string& expected) {
    if (got == expected) {
        return ::testing::AssertionSuccess();
    }
    const size_t at = static_cast<size_t>(
        std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first -
        got.begin());
    const size_t lineStart = at == 0 ? 0 : got.rfind('\n', at - 1) + 1;
    const size_t line = 1 + static_cast<size_t>(std::count(got.begin(), got.begin() + at, '\n'));
    auto failure = ::testing::AssertionFailure();
    failure << gotExpr << " (" << got.size() << " bytes) and " << expectedExpr << " ("
            << expected.size() << " bytes) part at byte " << at << ", line " << line << ", column "
            << (at - lineStart + 1) << ":";
    for (size_t i = 0; i < kLinesShown; ++i) {
        const std::string g = lineAt(got, lineStart, i);
        const std::string e = lineAt(expected, lineStart, i);
        if (g == "(end)" && e == "(end)") {
            break;
        }
        failure << "\n  line " << line + i << (g == e ? "   " : " ! ") << "got      " << g;
        if (g != e) {
            failure << "\n  line " << line + i << " ! expected " << e;
        }
    }
    return failure;
}

std::string firstDifference(const std::vector<std::string>& got,
                            const std::vector<std::string>& expected) {
    const auto [g, e] = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
    if (g == got.end() && e == expected.end()) {
        return "none";
    }
    return "entry " + std::to_string(g - got.begin()) + " of " + std::to_string(got.size()) + "/" +
           std::to_string(expected.size()) + ": got '" + (g == got.end() ? "(end)" : escaped(*g)) +
           "', expected '" + (e == expected.end() ? "(end)" : escaped(*e)) + "'";
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

} // namespace zentory::test
