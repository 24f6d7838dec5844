#include "check_tool/tool_arguments.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ReadToolArguments, TakesAtMostOneFolder)
{
    const std::string long259(259, 'f');
    const std::string long260(260, 'f');
    const struct {
        std::string line;
        ToolArguments result;
        std::string folder;
    } cases[] = {
        {"LaunchGateCheck.exe", kCheckOwnFolder, ""},
        {"\"C:\\My Tools\\LaunchGateCheck.exe\"", kCheckOwnFolder, ""},
        {"LaunchGateCheck.exe   ", kCheckOwnFolder, ""},
        {"LaunchGateCheck.exe C:\\Games", kCheckGivenFolder, "C:\\Games"},
        {"LaunchGateCheck.exe \"C:\\My Games\"", kCheckGivenFolder, "C:\\My Games"},
        // The C runtime's reading: a backslash before the closing quote escapes it.
        {"LaunchGateCheck.exe \"C:\\My Games\\\"", kCheckGivenFolder, "C:\\My Games\""},
        {"LaunchGateCheck.exe \"C:\\My Games\\\\\"", kCheckGivenFolder, "C:\\My Games\\"},
        {"LaunchGateCheck.exe C:\\My Games", kTooManyArguments, ""},
        {"LaunchGateCheck.exe a b c", kTooManyArguments, ""},
        {"LaunchGateCheck.exe a \"\"", kTooManyArguments, ""},
        {"LaunchGateCheck.exe \"\"", kEmptyFolderGiven, ""},
        {"x.exe " + long259, kCheckGivenFolder, long259},
        {"x.exe " + long260, kFolderTooLong, ""},
    };
    for (const auto& c : cases) {
        char folder[260 + 8];
        memset(folder, '#', sizeof(folder));
        EXPECT_EQ(ReadToolArguments(c.line.c_str(), folder, 260), c.result) << c.line;
        EXPECT_EQ(std::string(folder), c.folder) << c.line;
        for (size_t i = 260; i < sizeof(folder); ++i) {
            EXPECT_EQ(folder[i], '#') << "written past the field: " << c.line;
        }
    }
}

} // namespace
