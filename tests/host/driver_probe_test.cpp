#include "driver_check/driver_probe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system_library.h"
#include "standin_fixture.h"

namespace {

using namespace win32_standin;

const GUID kDisplayClass = MakeGuid(0x4D36E968);
const char kMinimum[] = "9-27-2005";

// The run sequence releases SETUPAPI after the check; here each check is followed by that
// release, so that every case starts without it.
class DriverProbeTest : public StandinTest {
protected:
    void SetUp() override
    {
        ReleaseSystemLibrary(kSetupApiLibrary);
        StandinTest::SetUp();
        AddDeviceClass("Display", {kDisplayClass});
    }

    void TearDown() override
    {
        ReleaseSystemLibrary(kSetupApiLibrary);
        StandinTest::TearDown();
    }

    // A fresh platform for the next case, which a new run would find without SETUPAPI loaded.
    static void Reset()
    {
        ReleaseSystemLibrary(kSetupApiLibrary);
        win32_standin::Reset();
    }

    static void AddDevicesWithDates(const std::vector<std::string>& dates)
    {
        for (const std::string& date : dates) {
            AddDevice(kDisplayClass, DeviceWithDriverDate(date));
        }
    }

    static Device DeviceWithRawDate(DWORD type, const std::string& bytes)
    {
        Device device;
        device.driverValues["DriverDate"] = RawValue(type, bytes);
        return device;
    }
};

TEST_F(DriverProbeTest, LastDeviceWalkedDecides)
{
    const struct {
        std::vector<std::string> dates;
        int verdict;
    } cases[] = {
        {{}, 0},
        {{"9-27-2005"}, 1},
        {{"9-26-2005"}, 0},
        {{"1-15-2006"}, 1},
        {{"10-1-2004"}, 0},
        {{"10-3-2005", "9-1-2005"}, 0},
        {{"9-1-2005", "10-3-2005"}, 1},
        {{"1-1-2001", "1-1-2001", "12-31-2030"}, 1},
    };
    for (const auto& c : cases) {
        Reset();
        AddDeviceClass("DISPLAY", {kDisplayClass});
        AddDevicesWithDates(c.dates);
        EXPECT_EQ(CheckInstalledDriver("display", kMinimum), c.verdict)
            << c.dates.size() << " devices, last " << (c.dates.empty() ? "-" : c.dates.back());
        EXPECT_TRUE(OpenHandles().empty());
    }
}

TEST_F(DriverProbeTest, CallsThePlatformAsDocumented)
{
    AddDevicesWithDates({"10-3-2005"});
    ASSERT_EQ(CheckInstalledDriver("Display", kMinimum), 1);

    const std::vector<std::string> expectedOrder = {
        "SetupDiClassGuidsFromNameA", "SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo",
        "SetupDiOpenDevRegKey",       "RegQueryValueExA",     "RegCloseKey",
        "SetupDiEnumDeviceInfo",      "SetupDiDestroyDeviceInfoList"};
    EXPECT_EQ(CalledFunctions(), expectedOrder);

    const Call devices = CallsTo("SetupDiGetClassDevsA").at(0);
    EXPECT_EQ(devices.arguments, (std::vector<std::string>{"0x4d36e968", kNullArgument,
                                                           kNullArgument, "0x2"}));
    const Call driverKey = CallsTo("SetupDiOpenDevRegKey").at(0);
    // scope DICS_FLAG_GLOBAL, profile 0, the driver key, KEY_READ
    EXPECT_EQ(std::vector<std::string>(driverKey.arguments.begin() + 2, driverKey.arguments.end()),
              (std::vector<std::string>{"0x1", "0", "0x2", "0x20019"}));
    const Call query = CallsTo("RegQueryValueExA").at(0);
    EXPECT_EQ(query.arguments.at(1), "DriverDate");
    EXPECT_EQ(query.arguments.at(3), "64");
}

TEST_F(DriverProbeTest, UnknownClassWalksNothing)
{
    AddDevicesWithDates({"10-3-2005"});
    AddDeviceClass("Listed without identifiers", {});
    for (const char* name : {"NoSuchClass", "Listed without identifiers", ""}) {
        EXPECT_EQ(CheckInstalledDriver(name, kMinimum), 0) << name;
    }
    EXPECT_TRUE(CallsTo("SetupDiGetClassDevsA").empty());
}

TEST_F(DriverProbeTest, ClassWithSeveralIdentifiersUsesTheFirst)
{
    const GUID second = MakeGuid(0x12345678);
    AddDeviceClass("Twice", {kDisplayClass, second});
    AddDevice(second, DeviceWithDriverDate("1-1-1999"));
    AddDevicesWithDates({"10-3-2005"});
    EXPECT_EQ(CheckInstalledDriver("Twice", kMinimum), 1);
    EXPECT_EQ(CallsTo("SetupDiGetClassDevsA").at(0).arguments.at(0), "0x4d36e968");
}

TEST_F(DriverProbeTest, DeviceSetThatCannotBeBuiltFails)
{
    AddDevicesWithDates({"10-3-2005"});
    FailDeviceSet(true);
    EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), 0);
    EXPECT_TRUE(CallsTo("SetupDiEnumDeviceInfo").empty());
}

// Each device's date comes from its own driver key, not from whichever driver instance shares
// its position in the walk: an absent device ahead of it must not lend it a date.
TEST_F(DriverProbeTest, ReadsEachDevicesOwnDriverKey)
{
    Device absent = DeviceWithDriverDate("1-1-2001");
    absent.present = false;
    AddDevice(kDisplayClass, absent);
    AddDevicesWithDates({"10-3-2005"});
    EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), 1);

    Reset();
    AddDeviceClass("Display", {kDisplayClass});
    Device absentNew = DeviceWithDriverDate("10-3-2005");
    absentNew.present = false;
    AddDevice(kDisplayClass, absentNew);
    AddDevicesWithDates({"1-1-2001"});
    EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), 0);
    ASSERT_EQ(CallsTo("SetupDiOpenDevRegKey").size(), 1u);
    EXPECT_EQ(CallsTo("SetupDiOpenDevRegKey")[0].arguments.at(1), "1");  // the present device
}

TEST_F(DriverProbeTest, UnreadableDateFailsThatDeviceWithoutInheritingTheLastDate)
{
    Device noDriverKey;
    noDriverKey.hasDriverKey = false;
    Device noDate;
    noDate.driverValues["DriverVersion"] = TextValue("8.181.0.0");
    const struct {
        const char* what;
        Device device;
    } unreadable[] = {
        {"no driver key", noDriverKey},
        {"no DriverDate value", noDate},
        {"64 characters and terminator",
         DeviceWithDriverDate("10-3-2005" + std::string(55, ' '))},
        {"64 characters unterminated", DeviceWithRawDate(REG_SZ, "10-3-2005" + std::string(55, ' '))},
        {"very long", DeviceWithDriverDate(std::string(5000, '9'))},
    };
    for (const auto& c : unreadable) {
        Reset();
        AddDeviceClass("Display", {kDisplayClass});
        AddDevicesWithDates({"10-3-2005"});
        AddDevice(kDisplayClass, c.device);
        EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), 0) << c.what;
        EXPECT_TRUE(OpenHandles().empty()) << c.what;
        EXPECT_TRUE(Faults().empty()) << c.what;
    }
}

TEST_F(DriverProbeTest, DateIsMeasuredWithinTheBytesReturned)
{
    const struct {
        const char* what;
        Device device;
        int verdict;
    } cases[] = {
        {"63 characters and terminator", DeviceWithDriverDate("10-3-2005" + std::string(54, ' ')), 1},
        {"63 characters unterminated", DeviceWithRawDate(REG_SZ, "10-3-2005" + std::string(54, ' ')), 1},
        {"unterminated binary", DeviceWithRawDate(REG_BINARY, "10-3-2005"), 1},
        {"ends before stale bytes", DeviceWithRawDate(REG_SZ, "1-1-2"), 0},
        {"text up to an inner NUL", DeviceWithRawDate(REG_SZ, std::string("9-1-2005\0" "12-31-2099", 19)), 0},
        {"empty", DeviceWithRawDate(REG_SZ, ""), 0},
        {"a number", DeviceWithRawDate(REG_DWORD, std::string("\xD5\x07\x00\x00", 4)), 0},
    };
    for (const auto& c : cases) {
        Reset();
        AddDeviceClass("Display", {kDisplayClass});
        // A first device leaves a passing date in the field that the second must not reuse.
        AddDevicesWithDates({"12-31-2099"});
        AddDevice(kDisplayClass, c.device);
        EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), c.verdict) << c.what;
    }
}

TEST_F(DriverProbeTest, ManyDevicesAreAllWalkedAndEveryKeyClosed)
{
    for (int i = 0; i < 300; ++i) {
        AddDevicesWithDates({i % 2 == 0 ? "1-1-2001" : "1-1-2010"});
    }
    EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), 1);
    EXPECT_EQ(CallsTo("SetupDiOpenDevRegKey").size(), 300u);
    EXPECT_EQ(CallsTo("RegCloseKey").size(), 300u);

    AddDevicesWithDates({"1-1-2001"});
    EXPECT_EQ(CheckInstalledDriver("Display", kMinimum), 0);
}

TEST_F(DriverProbeTest, MinimumDateIsLeftUnchanged)
{
    AddDevicesWithDates({"10-3-2005", "1-1-2001"});
    char minimum[] = "9-27-2005";
    CheckInstalledDriver("Display", minimum);
    EXPECT_STREQ(minimum, "9-27-2005");
}

} // namespace
