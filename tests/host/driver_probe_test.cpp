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

// Today's decision: every enumerator, the last device walked decides.
int CheckLastDevice(const char* className, const char* minimumDate)
{
    return CheckInstalledDriver(className, "", minimumDate, kDecideByLastDevice);
}

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
        EXPECT_EQ(CheckLastDevice("display", kMinimum), c.verdict)
            << c.dates.size() << " devices, last " << (c.dates.empty() ? "-" : c.dates.back());
        EXPECT_TRUE(OpenHandles().empty());
    }
}

TEST_F(DriverProbeTest, CallsThePlatformAsDocumented)
{
    AddDevicesWithDates({"10-3-2005"});
    ASSERT_EQ(CheckLastDevice("Display", kMinimum), 1);

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
        EXPECT_EQ(CheckLastDevice(name, kMinimum), 0) << name;
    }
    EXPECT_TRUE(CallsTo("SetupDiGetClassDevsA").empty());
}

TEST_F(DriverProbeTest, ClassWithSeveralIdentifiersUsesTheFirst)
{
    const GUID second = MakeGuid(0x12345678);
    AddDeviceClass("Twice", {kDisplayClass, second});
    AddDevice(second, DeviceWithDriverDate("1-1-1999"));
    AddDevicesWithDates({"10-3-2005"});
    EXPECT_EQ(CheckLastDevice("Twice", kMinimum), 1);
    EXPECT_EQ(CallsTo("SetupDiGetClassDevsA").at(0).arguments.at(0), "0x4d36e968");
}

TEST_F(DriverProbeTest, DeviceSetThatCannotBeBuiltFails)
{
    AddDevicesWithDates({"10-3-2005"});
    FailDeviceSet(true);
    EXPECT_EQ(CheckLastDevice("Display", kMinimum), 0);
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
    EXPECT_EQ(CheckLastDevice("Display", kMinimum), 1);

    Reset();
    AddDeviceClass("Display", {kDisplayClass});
    Device absentNew = DeviceWithDriverDate("10-3-2005");
    absentNew.present = false;
    AddDevice(kDisplayClass, absentNew);
    AddDevicesWithDates({"1-1-2001"});
    EXPECT_EQ(CheckLastDevice("Display", kMinimum), 0);
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
        EXPECT_EQ(CheckLastDevice("Display", kMinimum), 0) << c.what;
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
        EXPECT_EQ(CheckLastDevice("Display", kMinimum), c.verdict) << c.what;
    }
}

TEST_F(DriverProbeTest, ManyDevicesAreAllWalkedAndEveryKeyClosed)
{
    for (int i = 0; i < 300; ++i) {
        AddDevicesWithDates({i % 2 == 0 ? "1-1-2001" : "1-1-2010"});
    }
    EXPECT_EQ(CheckLastDevice("Display", kMinimum), 1);
    EXPECT_EQ(CallsTo("SetupDiOpenDevRegKey").size(), 300u);
    EXPECT_EQ(CallsTo("RegCloseKey").size(), 300u);

    AddDevicesWithDates({"1-1-2001"});
    EXPECT_EQ(CheckLastDevice("Display", kMinimum), 0);
}

// "N" meets the minimum, "O" does not, "U" cannot be read (no driver key, no value, or too long
// for the field, in turn).
Device DeviceFor(char kind, size_t position)
{
    if (kind == 'N') {
        return DeviceWithDriverDate("10-3-2005");
    }
    if (kind == 'O') {
        return DeviceWithDriverDate("1-1-2001");
    }
    Device unreadable;
    switch (position % 3) {
    case 0:
        unreadable.hasDriverKey = false;
        break;
    case 1:
        unreadable.driverValues["DriverVersion"] = TextValue("8.181.0.0");
        break;
    default:
        unreadable = DeviceWithDriverDate("10-3-2005" + std::string(60, ' '));
        break;
    }
    return unreadable;
}

TEST_F(DriverProbeTest, EachRuleDecidesOverTheDevicesWalked)
{
    const struct {
        std::string devices;
        int last;
        int any;
        int all;
    } cases[] = {
        {"", 0, 0, 0},      {"N", 1, 1, 1},     {"O", 0, 0, 0},     {"U", 0, 0, 0},
        {"NO", 0, 1, 0},    {"ON", 1, 1, 0},    {"NN", 1, 1, 1},    {"OO", 0, 0, 0},
        {"UN", 1, 1, 0},    {"NU", 0, 1, 0},    {"UO", 0, 0, 0},    {"OU", 0, 0, 0},
        {"UU", 0, 0, 0},    {"NNN", 1, 1, 1},   {"NUN", 1, 1, 0},   {"ONO", 0, 1, 0},
        {"UUUN", 1, 1, 0},
    };
    for (const auto& c : cases) {
        const struct {
            DeviceRule rule;
            int verdict;
        } rules[] = {{kDecideByLastDevice, c.last},
                     {kDecideByAnyDevice, c.any},
                     {kDecideByAllDevices, c.all}};
        for (const auto& r : rules) {
            Reset();
            AddDeviceClass("Display", {kDisplayClass});
            for (size_t i = 0; i < c.devices.size(); ++i) {
                AddDevice(kDisplayClass, DeviceFor(c.devices[i], i));
            }
            EXPECT_EQ(CheckInstalledDriver("Display", "", kMinimum, r.rule), r.verdict)
                << "devices " << c.devices << ", rule " << r.rule;
            EXPECT_TRUE(OpenHandles().empty());
            EXPECT_TRUE(Faults().empty());
        }
    }
}

// An old integrated and a new discrete GPU on PCI, then Microsoft's own display driver of
// 6-21-2006 under ROOT, walked last, as a remote session's adapter would be.
TEST_F(DriverProbeTest, EnumeratorIsHandedToThePlatformAndLimitsTheWalk)
{
    const auto addDevice = [](const GUID& identifier, const char* enumerator, const char* date) {
        Device device = DeviceWithDriverDate(date);
        device.enumerator = enumerator;
        AddDevice(identifier, device);
    };
    const struct {
        const char* enumerator;
        const char* handedOver;
        size_t devicesWalked;
        int last;
        int any;
    } cases[] = {
        {"", kNullArgument, 3, 0, 1},
        {"PCI", "PCI", 2, 1, 1},
        {"pci", "pci", 2, 1, 1},
        {"ROOT", "ROOT", 1, 0, 0},
        {"SWD", "SWD", 0, 0, 0},  // it lists a device of another class only
        {"NOSUCHENUMERATOR", "NOSUCHENUMERATOR", 0, 0, 0},
    };
    for (const auto& c : cases) {
        for (DeviceRule rule : {kDecideByLastDevice, kDecideByAnyDevice}) {
            Reset();
            const GUID other = MakeGuid(0x77);
            AddDeviceClass("Display", {kDisplayClass});
            AddDeviceClass("Other", {other});
            addDevice(kDisplayClass, "PCI", "1-1-2001");
            addDevice(kDisplayClass, "PCI", "3-1-2010");
            addDevice(kDisplayClass, "ROOT", "6-21-2006");
            addDevice(other, "SWD", "3-1-2010");
            const int verdict = CheckInstalledDriver("Display", c.enumerator, "1-1-2008", rule);
            EXPECT_EQ(verdict, rule == kDecideByLastDevice ? c.last : c.any) << c.enumerator;
            EXPECT_EQ(CallsTo("SetupDiGetClassDevsA").at(0).arguments.at(1), c.handedOver);
            EXPECT_EQ(CallsTo("SetupDiOpenDevRegKey").size(), c.devicesWalked) << c.enumerator;
        }
    }
}

TEST_F(DriverProbeTest, MinimumDateIsLeftUnchanged)
{
    AddDevicesWithDates({"10-3-2005", "1-1-2001"});
    char minimum[] = "9-27-2005";
    CheckLastDevice("Display", minimum);
    EXPECT_STREQ(minimum, "9-27-2005");
}

} // namespace
