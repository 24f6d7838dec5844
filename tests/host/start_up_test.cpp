#include "launch_gate/start_up.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StartUpTest, CommandLineForWinMainFollowsTheProgramName)
{
    const struct {
        std::string commandLine;
        std::string rest;
    } cases[] = {
        {"\"C:\\Program Files\\gate\\LaunchGate.exe\" -x 1", "-x 1"},
        {"C:\\gate\\LaunchGate.exe  \t -x", "-x"},
        {"LaunchGate.exe\targ", "arg"},
        {"LaunchGate.exe", ""},
        {"\"C:\\a b\\LaunchGate.exe\"", ""},
        {"\"C:\\no closing quote", ""},
        {"\"\" rest", "rest"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string commandLine = c.commandLine;
        const char* rest = SkipProgramName(&commandLine[0]);
        EXPECT_EQ(std::string(rest), c.rest) << c.commandLine;
        EXPECT_GE(rest, commandLine.c_str());
        EXPECT_LE(rest, commandLine.c_str() + commandLine.size());
    }
}

} // namespace
