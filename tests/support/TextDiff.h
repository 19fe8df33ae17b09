#pragma once
// Comparing long texts and lists so that a failure says where they part,
// instead of printing megabytes: golden files, exports, walk lists.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zentory::test {

// For EXPECT_SAME_BYTES: whether `got` equals `expected`; when not, the message
// gives both sizes, the first byte and line where they part, and the lines
// from there on side by side, control bytes written as escapes.
::testing::AssertionResult sameBytes(const char* gotExpr, const char* expectedExpr,
                                     const std::string& got, const std::string& expected);

// Where two lists part, for a readable failure message on long lists; "none"
// when they are equal.
std::string firstDifference(const std::vector<std::string>& got,
                            const std::vector<std::string>& expected);

// `text` with control bytes and backslashes written as C escapes.
std::string escaped(const std::string& text);

// The first line of `text`, without its LF.
std::string firstLine(const std::string& text);

// `text` with every `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to);

} // namespace zentory::test

#define EXPECT_SAME_BYTES(got, expected)                                                           \
    EXPECT_PRED_FORMAT2(::zentory::test::sameBytes, got, expected)
#define ASSERT_SAME_BYTES(got, expected)                                                           \
    ASSERT_PRED_FORMAT2(::zentory::test::sameBytes, got, expected)
