#include "driver_check/driver_date.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct DateCase {
    const char* installed;
    const char* minimum;
    int expected;
};

void PrintTo(const DateCase& c, std::ostream* out)
{
    *out << '"' << c.installed << "\" vs \"" << c.minimum << '"';
}

class MeetsMinimumDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(MeetsMinimumDateTest, ComparesInCalendarOrder)
{
    const DateCase& c = GetParam();
    EXPECT_EQ(MeetsMinimumDate(c.installed, c.minimum), c.expected)
        << c.installed << " against " << c.minimum;
}

INSTANTIATE_TEST_SUITE_P(Calendar, MeetsMinimumDateTest, testing::Values(
    DateCase{"9-27-2005", "9-27-2005", 1},
    DateCase{"9-28-2005", "9-27-2005", 1},
    DateCase{"9-26-2005", "9-27-2005", 0},
    DateCase{"10-1-2005", "9-27-2005", 1},
    DateCase{"1-15-2006", "9-27-2005", 1},   // a later year wins whatever the month
    DateCase{"10-1-2004", "9-27-2005", 0},   // an earlier year loses whatever the month
    DateCase{"12-31-2004", "1-1-2005", 0},
    DateCase{"1-1-2005", "12-31-2004", 1},
    DateCase{"09-027-2005", "9-27-2005", 1},
    DateCase{"9--27--2005", "-9-27-2005-", 1},
    DateCase{"9-27-2005-99", "9-27-2005", 1},
    DateCase{"9-27", "9-27-2005", 0},        // no year reads as year 0
    DateCase{"", "9-27-2005", 0},
    DateCase{"", "", 1},
    DateCase{"garbage", "9-27-2005", 0},
    DateCase{"1-1-2006", "garbage", 1}));

TEST(ReorderDateToYearMonthDay, PutsTheYearFirstAndFillsMissingFields)
{
    const struct {
        const char* date;
        const char* reordered;
    } cases[] = {
        {"9-27-2005", "2005-9-27"},
        {"--09--027--2005--x", "2005-09-027"},
        {"9-27", "0-9-27"},
        {"", "0-0-0"},
        {" 9- 27 -2005 ", "2005 - 9- 27 "},
    };
    for (const auto& c : cases) {
        char out[kDateTextCapacity];
        ASSERT_TRUE(ReorderDateToYearMonthDay(c.date, out, sizeof(out))) << c.date;
        EXPECT_STREQ(out, c.reordered) << c.date;
    }
}

TEST(ReorderDateToYearMonthDay, RefusesWhatDoesNotFitAndWritesNoFurther)
{
    char out[12];
    memset(out, 'x', sizeof(out));
    EXPECT_TRUE(ReorderDateToYearMonthDay("12-31-2005", out, 11));  // 10 characters + NUL
    EXPECT_STREQ(out, "2005-12-31");
    memset(out, 'x', sizeof(out));
    EXPECT_FALSE(ReorderDateToYearMonthDay("12-31-2005", out, 10));
    EXPECT_STREQ(out, "");
    EXPECT_EQ(out[10], 'x');
    EXPECT_EQ(out[11], 'x');
}

TEST(MeetsMinimumDate, TooLongToReorderFails)
{
    const std::string longYear = "9-27-" + std::string(kDateTextCapacity, '2');
    EXPECT_EQ(MeetsMinimumDate(longYear.c_str(), "9-27-2005"), 0);
    EXPECT_EQ(MeetsMinimumDate("9-27-2005", longYear.c_str()), 0);
}

} // namespace
