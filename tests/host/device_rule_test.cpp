#include "driver_check/device_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceRuleTest, NamesMatchWithoutRegardToCaseAndAnythingElseIsLast)
{
    const struct {
        const char* name;
        DeviceRule rule;
    } cases[] = {
        {"Any", kDecideByAnyDevice},   {"ANY", kDecideByAnyDevice},
        {"aNy", kDecideByAnyDevice},   {"All", kDecideByAllDevices},
        {"all", kDecideByAllDevices},  {"ALL", kDecideByAllDevices},
        {"Last", kDecideByLastDevice}, {"", kDecideByLastDevice},
        {"An", kDecideByLastDevice},   {"Anyone", kDecideByLastDevice},
        {"Al", kDecideByLastDevice},   {"Alll", kDecideByLastDevice},
        {" any", kDecideByLastDevice}, {"any ", kDecideByLastDevice},
        {"\xC1ny", kDecideByLastDevice}, {"1", kDecideByLastDevice},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadDeviceRule(c.name), c.rule) << c.name;
    }
}

// The rule state is fed by any walk, so it is checked apart from the probe too.
TEST(DeviceRuleTest, NoDeviceFailsUnderEveryRule)
{
    for (DeviceRule rule : {kDecideByLastDevice, kDecideByAnyDevice, kDecideByAllDevices}) {
        DeviceVerdicts verdicts;
        StartDeviceVerdicts(rule, verdicts);
        EXPECT_EQ(DecideDeviceVerdicts(verdicts), 0) << rule;
        AddDeviceVerdict(verdicts, 1);
        EXPECT_EQ(DecideDeviceVerdicts(verdicts), 1) << rule;
    }
}

} // namespace
