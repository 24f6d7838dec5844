#include "check_tool/setting_checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

TEST(CheckDriverDateSetting, FindsEachKindOfMistake)
{
    const unsigned kOther = kDateOtherSeparator;
    const unsigned kMissing = kDateMissingFields;
    const struct {
        const char* date;
        unsigned problems;
    } cases[] = {
        {"9-27-2005", 0},
        {"09-027-2005", 0},
        {"12-31-1990", 0},
        {"1-1-2030", 0},
        {"--9--27--2005--", 0},
        {"9/27/2005", kOther | kMissing},
        {"27.9.2005", kOther | kMissing | kDateMonthOutOfRange},
        {"9-27-2005 ", kOther},
        {"2005-09-27", kDateYearFirst},
        {"2005-9", kDateYearFirst | kMissing},
        {"13-1-2005", kDateMonthOutOfRange},
        {"0-1-2005", kDateMonthOutOfRange},
        {"9-32-2005", kDateDayOutOfRange},
        {"9-0-2005", kDateDayOutOfRange},
        {"9-27-05", kDateYearBefore1990},
        {"9-27-1989", kDateYearBefore1990},
        {"9-27", kMissing},
        {"", kMissing},
        {"9-27-2005-1", kDateExtraFields},
        {"99999999999-1-2005", kDateYearFirst},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckDriverDateSetting(c.date), c.problems) << c.date;
    }
}

TEST(DescribeDateProblem, GivesEveryProblemItsOwnText)
{
    std::set<std::string> texts;
    for (unsigned bit = 1; bit <= kDateExtraFields; bit <<= 1) {
        const std::string text = DescribeDateProblem(bit);
        EXPECT_FALSE(text.empty()) << bit;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 7u);
    EXPECT_STREQ(DescribeDateProblem(kDateExtraFields << 1), "");
}

TEST(CheckParameterFirstWord, ComparesTheCRuntimesFirstWordWithTheApplicationsName)
{
    const struct {
        const char* parameter;
        const char* launchApp;
        ParameterFirstWord result;
        const char* firstWord;
    } cases[] = {
        {"game.exe -fullscreen", "game.exe", kFirstWordNamesApplication, "game.exe"},
        {"-fullscreen", "game.exe", kFirstWordNamesSomethingElse, "-fullscreen"},
        {"GAME.EXE -x", "game.exe", kFirstWordNamesApplication, "GAME.EXE"},
        {"game -x", "game.exe", kFirstWordNamesApplication, "game"},
        {"game -x", "game.com", kFirstWordNamesSomethingElse, "game"},
        {"gam -x", "game.exe", kFirstWordNamesSomethingElse, "gam"},
        {"game.bin -x", "game.exe", kFirstWordNamesSomethingElse, "game.bin"},
        {"\"C:\\Program Files\\Game\\game.exe\" -x", "game.exe", kFirstWordNamesApplication,
         "C:\\Program Files\\Game\\game.exe"},
        {"bin\\game.exe", "bin\\game.exe", kFirstWordNamesApplication, "bin\\game.exe"},
        {"game.exe", "bin/game.exe", kFirstWordNamesApplication, "game.exe"},
        {"My Game.exe -x", "My Game.exe", kFirstWordNamesSomethingElse, "My"},
        {"\"My Game.exe\" -x", "My Game.exe", kFirstWordNamesApplication, "My Game.exe"},
        {"\"\" -x", "game.exe", kFirstWordNamesSomethingElse, ""},
        {"", "game.exe", kParameterIsEmpty, ""},
        {"-x", "", kApplicationNameIsEmpty, "-x"},
        {"-x", "tools\\", kApplicationNameIsEmpty, "-x"},
    };
    for (const auto& c : cases) {
        char firstWord[260];
        EXPECT_EQ(CheckParameterFirstWord(c.parameter, c.launchApp, firstWord, sizeof(firstWord)),
                  c.result)
            << c.parameter << " / " << c.launchApp;
        EXPECT_STREQ(firstWord, c.firstWord) << c.parameter;
    }
}

TEST(CheckParameterFirstWord, AFirstWordThatDoesNotFitNamesSomethingElse)
{
    const std::string name(300, 'g');
    char firstWord[16 + 4];
    memset(firstWord, '#', sizeof(firstWord));
    EXPECT_EQ(CheckParameterFirstWord(name.c_str(), name.c_str(), firstWord, 16),
              kFirstWordNamesSomethingElse);
    EXPECT_EQ(std::string(firstWord), name.substr(0, 15));
    for (size_t i = 16; i < sizeof(firstWord); ++i) {
        EXPECT_EQ(firstWord[i], '#');
    }
}

} // namespace
