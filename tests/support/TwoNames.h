#pragma once
// A file with two names (hard links) in a temporary folder: what a rewrite
// must change in place, never replace. Shared by the rewrite suites.

#include "Files.h"
#include "Pattern.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zentory::test {

class TwoNames : public ::testing::Test {
protected:
    explicit TwoNames(std::string oldText = pattern(size_t{3} << 20, 'a'))
        : old(std::move(oldText)) {
        writeBytes(path, old);
        std::filesystem::create_hard_link(path, dir / "other-name.txt");
    }
    void expectOldTextUnderBothNames() {
        EXPECT_TRUE(readBytes(path) == old);
        EXPECT_TRUE(readBytes(dir / "other-name.txt") == old);
        EXPECT_EQ(std::filesystem::hard_link_count(path), 2u);
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"list.txt", "other-name.txt"}));
    }

    TempDir dir;
    const std::string path = dir / "list.txt";
    const std::string old;
};

} // namespace zentory::test
