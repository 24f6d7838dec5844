// The stand-in decides which paths name one file, and the gate's refusal to start itself and the
// settings file found beside the program are tested through that reading. Its rule, simpler than
// Windows's own: separators unified, trailing dots and blanks of each name dropped (the drop stops
// at "." or ".."), then "." and ".." resolved, never above the drive; case ignored.

#include <gtest/gtest.h>

#include <string>

#include "standin.h"

namespace {

struct PathPair {
    const char* first;
    const char* second;
    bool sameFile;
};

const PathPair kPathPairs[] = {
    {"C:\\Gate\\App.exe", "c:/gate/app.exe", true},
    {"C:\\gate\\.\\app.exe", "C:\\gate\\app.exe", true},
    {"C:\\gate\\sub\\..\\app.exe", "C:\\gate\\app.exe", true},
    {"C:\\gate\\sub\\.. \\app.exe", "C:\\gate\\app.exe", true},
    {"C:\\gate\\sub\\..\\..\\..\\gate\\app.exe", "C:\\gate\\app.exe", true},
    {"C:\\gate\\app.exe. . ", "C:\\gate\\app.exe", true},
    {"C:\\gate\\\\app.exe", "C:\\gate\\app.exe", true},
    {"C:\\gate\\app.ex", "C:\\gate\\app.exe", false},
    {"C:\\gate\\a pp.exe", "C:\\gate\\app.exe", false},
    {"C:\\gate\\sub\\app.exe", "C:\\gate\\app.exe", false},
    {"C:\\gate\\..app.exe", "C:\\gate\\app.exe", false},
};

TEST(StandinPaths, NameOneFileByTheStandinsRule)
{
    for (const PathPair& pair : kPathPairs) {
        EXPECT_EQ(win32_standin::NameTheSameFileOnDisk(pair.first, pair.second), pair.sameFile)
            << pair.first << " and " << pair.second;
    }
}

} // namespace
