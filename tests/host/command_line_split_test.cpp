#include "check_tool/command_line_split.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> StoredArguments(const SplitArguments& arguments)
{
    std::vector<std::string> stored;
    for (int i = 0; i < arguments.stored; ++i) {
        stored.push_back(arguments.text + arguments.start[i]);
    }
    return stored;
}

TEST(SplitCommandLine, SplitsAsTheCRuntimeDocumentsIt)
{
    const struct {
        const char* line;
        std::vector<std::string> argv;
    } cases[] = {
        // The documented examples, after a program name.
        {"p \"a b c\" d e", {"p", "a b c", "d", "e"}},
        {"p \"ab\\\"c\" \"\\\\\" d", {"p", "ab\"c", "\\", "d"}},
        {"p a\\\\\\b d\"e f\"g h", {"p", "a\\\\\\b", "de fg", "h"}},
        {"p a\\\\\\\"b c d", {"p", "a\\\"b", "c", "d"}},
        {"p a\\\\\\\\\"b c\" d e", {"p", "a\\\\b c", "d", "e"}},
        // Inside quotes a pair of quotes is one literal quote and the quoted part goes on.
        {"p a\"b\"\" c d", {"p", "ab\" c d"}},
        {"p \"a\"\"b\"", {"p", "a\"b"}},
        {"p \"\"\"\"", {"p", "\""}},
        // Blanks, tabs, empty and unterminated arguments.
        {"p", {"p"}},
        {"p   ", {"p"}},
        {"p\ta \t b", {"p", "a", "b"}},
        {"p \"\"", {"p", ""}},
        {"p \"open to the end", {"p", "open to the end"}},
        {"p a\\\\", {"p", "a\\\\"}},
        {"p \\\"", {"p", "\""}},
        // argv[0]: quotes group and are dropped, backslashes are plain.
        {"\"C:\\Program Files\\game.exe\" -x", {"C:\\Program Files\\game.exe", "-x"}},
        {"\"C:\\dir\\\"x y", {"C:\\dir\\x", "y"}},
        {"ga\"me e\"xe a", {"game exe", "a"}},
        {"-fullscreen", {"-fullscreen"}},
        {"game.exe -fullscreen", {"game.exe", "-fullscreen"}},
        {"", {""}},
    };
    for (const auto& c : cases) {
        SplitArguments arguments;
        SplitCommandLine(c.line, arguments);
        EXPECT_EQ(StoredArguments(arguments), c.argv) << c.line;
        EXPECT_EQ(arguments.found, static_cast<int>(c.argv.size())) << c.line;
        EXPECT_FALSE(arguments.cut) << c.line;
        for (int i = 0; i < arguments.stored; ++i) {
            EXPECT_EQ(arguments.length[i], c.argv[static_cast<size_t>(i)].size()) << c.line;
        }
    }
}

TEST(SplitCommandLine, ReportsWhatDidNotFit)
{
    const std::string longArgument(kSplitTextCapacity + 100, 'x');
    SplitArguments arguments;
    SplitCommandLine(("p " + longArgument + " tail").c_str(), arguments);
    EXPECT_TRUE(arguments.cut);
    EXPECT_EQ(arguments.found, 3);
    ASSERT_EQ(arguments.stored, 2);
    EXPECT_EQ(arguments.length[1], longArgument.size());
    const std::string storedPart = arguments.text + arguments.start[1];
    EXPECT_EQ(storedPart, longArgument.substr(0, kSplitTextCapacity - 3));

    std::string many = "p";
    for (int i = 0; i < kSplitArgumentCapacity + 10; ++i) {
        many += " a";
    }
    SplitCommandLine(many.c_str(), arguments);
    EXPECT_TRUE(arguments.cut);
    EXPECT_EQ(arguments.found, kSplitArgumentCapacity + 11);
    EXPECT_EQ(arguments.stored, kSplitArgumentCapacity);
}

TEST(ReadNextArgument, WritesNothingPastItsCapacity)
{
    for (size_t capacity : {0u, 1u, 2u, 5u}) {
        char argument[16];
        memset(argument, '#', sizeof(argument));
        size_t length = 0;
        const char* rest = ReadNextArgument(" \"abc def\" g", capacity == 0 ? nullptr : argument,
                                            capacity, length);
        ASSERT_NE(rest, nullptr);
        EXPECT_STREQ(rest, " g");
        EXPECT_EQ(length, 7u) << capacity;
        if (capacity > 0) {
            EXPECT_EQ(std::string(argument), std::string("abc def").substr(0, capacity - 1));
        }
        for (size_t i = capacity; i < sizeof(argument); ++i) {
            EXPECT_EQ(argument[i], '#') << "written at " << i << " with capacity " << capacity;
        }
    }
}

} // namespace
