#include "platform/TextFile.h"

#include <gtest/gtest.h>

using zentory::platform::splitLines;

TEST(TextFileLines, Placeholder) {
    EXPECT_EQ(splitLines("a\r\nb").size(), 2u);
}
