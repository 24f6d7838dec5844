#include "launch_gate/program_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(RemoveFileName, KeepsTheFolder)
{
    const struct {
        const char* path;
        bool kept;
        const char* folder;
    } cases[] = {
        {"C:\\Games\\Tool\\gate.exe", true, "C:\\Games\\Tool"},
        {"C:\\gate.exe", true, "C:"},
        {"\\\\server\\share\\gate.exe", true, "\\\\server\\share"},
        {"C:\\a b\\c.d\\gate", true, "C:\\a b\\c.d"},
        {"gate.exe", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        char path[64];
        strcpy(path, c.path);
        EXPECT_EQ(RemoveFileName(path), c.kept) << c.path;
        EXPECT_STREQ(path, c.folder) << c.path;
    }
}

TEST(JoinPath, JoinsWithOneBackslash)
{
    char joined[32];
    ASSERT_TRUE(JoinPath("C:\\gate", "detail.ini", joined, sizeof(joined)));
    EXPECT_STREQ(joined, "C:\\gate\\detail.ini");
    ASSERT_TRUE(JoinPath("C:\\gate", "tools\\run.exe", joined, sizeof(joined)));
    EXPECT_STREQ(joined, "C:\\gate\\tools\\run.exe");
    ASSERT_TRUE(JoinPath("C:\\gate", "", joined, sizeof(joined)));
    EXPECT_STREQ(joined, "C:\\gate\\");
}

TEST(JoinPath, RefusesAJoinThatWouldNotFitAndWritesNothingPastTheField)
{
    const std::string folder(100, 'f');
    const size_t capacity = 260;
    for (size_t nameLength : {157u, 158u, 159u, 400u}) {
        const std::string name(nameLength, 'n');
        char joined[capacity + 8];
        memset(joined, 'x', sizeof(joined));
        const bool fits = folder.size() + 1 + nameLength < capacity;
        EXPECT_EQ(JoinPath(folder.c_str(), name.c_str(), joined, capacity), fits) << nameLength;
        if (fits) {
            EXPECT_EQ(std::string(joined), folder + "\\" + name);
        } else {
            EXPECT_STREQ(joined, "");
        }
        for (size_t i = capacity; i < sizeof(joined); ++i) {
            EXPECT_EQ(joined[i], 'x') << "written past the field at " << i;
        }
    }
    char joined[260];
    EXPECT_FALSE(JoinPath(std::string(300, 'f').c_str(), "detail.ini", joined, sizeof(joined)));
}

} // namespace
