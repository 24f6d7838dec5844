#include "driver_check/device_rule.h"

#include <gtest/gtest.h>

#include <vector>

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

namespace {

TEST(DeviceRuleTest, OnlyItsOwnThreeNamesNameARule)
{
    for (const char* name : {"Last", "last", "ANY", "aLL"}) {
        EXPECT_TRUE(NamesDeviceRule(name)) << name;
    }
    for (const char* name : {"", "Lst", "Lastly", " any", "1", "First"}) {
        EXPECT_FALSE(NamesDeviceRule(name)) << name;
    }
}

// The decision is unchanged by the telling; each rule names the device that decided it.
TEST(DeviceRuleTest, TellsWhichDeviceDecided)
{
    const struct {
        DeviceRule rule;
        std::vector<int> verdicts;
        int decision;
        DecidingDevices deciding;
        unsigned long position;
    } cases[] = {
        {kDecideByLastDevice, {}, 0, kNoDeviceWalked, 0},
        {kDecideByAllDevices, {}, 0, kNoDeviceWalked, 0},
        {kDecideByLastDevice, {1, 0, 1}, 1, kLastDeviceDecided, 2},
        {kDecideByLastDevice, {1, 1, 0}, 0, kLastDeviceDecided, 2},
        {kDecideByAnyDevice, {0, 1, 1}, 1, kFirstMeetingDecided, 1},
        {kDecideByAnyDevice, {0, 0}, 0, kNoDeviceMet, 0},
        {kDecideByAllDevices, {1, 1}, 1, kEveryDeviceMet, 0},
        {kDecideByAllDevices, {1, 0, 0}, 0, kFirstNotMeetingDecided, 1},
        {kDecideByAllDevices, {0, 1}, 0, kFirstNotMeetingDecided, 0},
    };
    for (const auto& c : cases) {
        DeviceVerdicts verdicts;
        StartDeviceVerdicts(c.rule, verdicts);
        for (int verdict : c.verdicts) {
            AddDeviceVerdict(verdicts, verdict);
        }
        unsigned long position = 99;
        EXPECT_EQ(DecideDeviceVerdicts(verdicts), c.decision) << c.rule;
        EXPECT_EQ(FindDecidingDevices(verdicts, position), c.deciding) << c.rule;
        EXPECT_EQ(position, c.position) << c.rule << " " << c.verdicts.size();
    }
}

} // namespace
