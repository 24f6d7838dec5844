// The stand-in's settings reader must follow the documented profile-file rules that the program
// relies on, or the run sequence's tests would prove nothing.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "standin.h"

namespace {

std::string ReadValue(const char* section, const char* key, const char* defaultValue,
                      DWORD size = 260, DWORD* returned = nullptr)
{
    char value[400];
    memset(value, 'x', sizeof(value));
    const DWORD length =
        GetPrivateProfileStringA(section, key, defaultValue, value, size, "C:\\Gate\\Detail.INI");
    if (returned != nullptr) {
        *returned = length;
    }
    EXPECT_EQ(value[length], '\0');
    EXPECT_EQ(value[size], 'x') << "written past the given size";
    return std::string(value);
}

TEST(StandinProfile, FollowsTheProfileRules)
{
    win32_standin::Reset();
    win32_standin::WriteFile("c:\\gate\\detail.ini",
                             "; comment\r\n"
                             "[Other]\r\n"
                             "Class=Wrong\r\n"
                             "  [ zelcheck ]  \r\n"
                             "  class  =  Net  \r\n"
                             "Message=\"  quoted  \"\r\n"
                             "Parameter=-x 1\r\n"
                             "Parameter=second\r\n"
                             "Empty=\r\n"
                             "[Next]\r\n"
                             "LaunchApp=elsewhere.exe\r\n");
    EXPECT_EQ(ReadValue("ZELCHECK", "Class", "DISPLAY"), "Net");
    EXPECT_EQ(ReadValue("ZELCHECK", "MESSAGE", ""), "  quoted  ");
    EXPECT_EQ(ReadValue("ZELCHECK", "Parameter", ""), "-x 1");
    EXPECT_EQ(ReadValue("ZELCHECK", "Empty", "default"), "");
    EXPECT_EQ(ReadValue("ZELCHECK", "LaunchApp", "none"), "none");
    EXPECT_EQ(ReadValue("Missing", "Class", "DISPLAY"), "DISPLAY");
    EXPECT_EQ(ReadValue("ZELCHECK", "Absent", "trailing   "), "trailing");
}

TEST(StandinProfile, AbsentFileGivesTheDefault)
{
    win32_standin::Reset();
    EXPECT_EQ(ReadValue("ZELCHECK", "Class", "DISPLAY"), "DISPLAY");
}

TEST(StandinProfile, LongValueIsCutToCapacityLessOne)
{
    win32_standin::Reset();
    win32_standin::WriteFile("C:\\gate\\detail.ini", "[ZELCHECK]\nParameter=" +
                                                         std::string(300, 'p') + "\n");
    DWORD returned = 0;
    EXPECT_EQ(ReadValue("ZELCHECK", "Parameter", "", 260, &returned), std::string(259, 'p'));
    EXPECT_EQ(returned, 259u);
    EXPECT_EQ(ReadValue("ZELCHECK", "Parameter", "", 1, &returned), "");
    EXPECT_EQ(returned, 0u);
}

} // namespace
