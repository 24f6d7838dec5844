#include "driver_check/meets_minimum.h"

#include <gtest/gtest.h>

namespace {

struct ComparisonCase {
    const char* installed;
    const char* required;
    const char* separators;
    int count;
    int expected;
};

void PrintTo(const ComparisonCase& c, std::ostream* out)
{
    *out << '"' << c.installed << "\" vs \"" << c.required << "\" seps \"" << c.separators
         << "\" count " << c.count;
}

class MeetsMinimumTest : public testing::TestWithParam<ComparisonCase> {};

TEST_P(MeetsMinimumTest, GivesTheExpectedVerdict)
{
    const ComparisonCase& c = GetParam();
    EXPECT_EQ(MeetsMinimum(c.installed, c.required, c.separators, c.count), c.expected);
}

// Field-wise from the left, against the required "9-27-2005".
INSTANTIATE_TEST_SUITE_P(Fields, MeetsMinimumTest, testing::Values(
    ComparisonCase{"9-27-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"9-28-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"9-27-2004", "9-27-2005", "-", 3, 0},
    ComparisonCase{"10-1-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"1-15-2006", "9-27-2005", "-", 3, 0},
    ComparisonCase{"9-26-2099", "9-27-2005", "-", 3, 0},
    ComparisonCase{"9-27-2005-1", "9-27-2005", "-", 3, 1},
    ComparisonCase{"9-27-2005-0", "9-27-2005-1", "-", 4, 0},
    ComparisonCase{"1-1-1-1-9", "1-1-1-1-1", ".", 4, 1}));

INSTANTIATE_TEST_SUITE_P(Separators, MeetsMinimumTest, testing::Values(
    ComparisonCase{"9--27-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"-9-27-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"9-27-2005---", "9-27-2005", "-", 3, 1},
    ComparisonCase{"9-27-2004", "9-27-2005", "-", 2, 1},
    ComparisonCase{"8.181.0.0", "8.181.0.1", ".", 4, 0},
    ComparisonCase{"8.181/1", "8/181.0", "./", 3, 1},
    ComparisonCase{"1-2", "1.3", ".-", 2, 0},
    ComparisonCase{"5 6", "5-7", "-", 1, 1}));  // "5 6" is one field reading 5

INSTANTIATE_TEST_SUITE_P(NumberReading, MeetsMinimumTest, testing::Values(
    ComparisonCase{"09-027-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"09-026-2005", "9-27-2005", "-", 3, 0},
    ComparisonCase{"9a-27-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"x-27-2005", "9-27-2005", "-", 3, 0},
    ComparisonCase{" \t9-27-2005", "9-27-2005", "-", 3, 1},
    ComparisonCase{"+9.27", "9.27", ".", 2, 1},
    ComparisonCase{"-9.27", "0.27", ".", 2, 0},
    ComparisonCase{"-9.27", "-10.27", ".", 2, 1},
    ComparisonCase{"+-9", "0", ".", 1, 1},     // a second sign ends the number: 0
    ComparisonCase{"- 9", "0", ".", 1, 1},     // blanks only before the sign
    ComparisonCase{"9 1", "9", ".", 1, 1}));

// Fields a string lacks count as 0.
INSTANTIATE_TEST_SUITE_P(MissingFields, MeetsMinimumTest, testing::Values(
    ComparisonCase{"1.2", "1.2.0", ".", 3, 1},
    ComparisonCase{"1.2.0", "1.2", ".", 3, 1},
    ComparisonCase{"1.2", "1.2.1", ".", 3, 0},
    ComparisonCase{"", "0.0.0", ".", 3, 1},
    ComparisonCase{"", "0.0.1", ".", 3, 0},
    ComparisonCase{"...", "1", ".", 3, 0},
    ComparisonCase{"1", "", ".", 3, 1},
    ComparisonCase{"-1", "", ".", 3, 0}));

// Count 0 or less compares nothing; counts past four compare only four.
INSTANTIATE_TEST_SUITE_P(Count, MeetsMinimumTest, testing::Values(
    ComparisonCase{"1", "9", "-", 0, 1},
    ComparisonCase{"1", "9", "-", -3, 1},
    ComparisonCase{"1-1-1-1-1", "1-1-1-1-9", "-", 5, 1},
    ComparisonCase{"1-1-1-0", "1-1-1-1-9", "-", 5, 0}));

// The number reading wraps at 32 bits, signed comparison.
INSTANTIATE_TEST_SUITE_P(Overflow, MeetsMinimumTest, testing::Values(
    ComparisonCase{"2147483647", "2147483646", ".", 1, 1},
    ComparisonCase{"2147483648", "0", ".", 1, 0},            // wraps to -2147483648
    ComparisonCase{"4294967295", "0", ".", 1, 0},            // wraps to -1
    ComparisonCase{"4294967296", "0", ".", 1, 1},            // wraps to 0
    ComparisonCase{"4294967297", "1", ".", 1, 1},            // wraps to 1
    ComparisonCase{"-2147483648", "-2147483647", ".", 1, 0},
    ComparisonCase{"-2147483649", "2147483647", ".", 1, 1},  // wraps to 2147483647
    // 10^26 - 1 wraps to -469762049
    ComparisonCase{"99999999999999999999999999", "-469762049", ".", 1, 1},
    ComparisonCase{"99999999999999999999999999", "-469762048", ".", 1, 0}));

TEST(MeetsMinimum, LeavesBothTextsUnchanged)
{
    char installed[] = "9-27-2005";
    char required[] = "10-1-2005";
    MeetsMinimum(installed, required, "-", 3);
    EXPECT_STREQ(installed, "9-27-2005");
    EXPECT_STREQ(required, "10-1-2005");
}

} // namespace
