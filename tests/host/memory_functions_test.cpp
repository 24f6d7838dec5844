#include "platform/memory_functions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each call writes exactly `count` bytes at the destination, never one before or after.
TEST(MemoryFunctionsTest, FillAndCopyWriteExactlyTheCountGiven)
{
    for (size_t count : {0u, 1u, 7u, 64u, 260u, 1021u}) {
        std::string filled(count + 2, '#');
        EXPECT_EQ(FillBytes(&filled[1], 0x1AB, count), &filled[1]);  // the value is cut to a byte
        EXPECT_EQ(filled, "#" + std::string(count, '\xAB') + "#") << count;

        std::string source(count, '\0');
        for (size_t i = 0; i < count; ++i) {
            source[i] = static_cast<char>(i * 7 + 1);
        }
        std::string copied(count + 2, '#');
        EXPECT_EQ(CopyBytes(&copied[1], source.data(), count), &copied[1]);
        EXPECT_EQ(copied, "#" + source + "#") << count;
    }
}

TEST(MemoryFunctionsTest, MeasureTextStopsAtTheTerminator)
{
    EXPECT_EQ(MeasureText(""), 0u);
    EXPECT_EQ(MeasureText("a"), 1u);
    EXPECT_EQ(MeasureText("detail.ini\0junk"), 10u);
    const std::string long_text(1000, '\xFF');
    EXPECT_EQ(MeasureText(long_text.c_str()), 1000u);
}

} // namespace
