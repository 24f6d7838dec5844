#include "check_tool/run_check_tool.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "check_tool/tool_arguments.h"
#include "launch_gate/run_launch_gate.h"
#include "standin_fixture.h"

namespace {

using namespace win32_standin;

const GUID kDisplayClass = MakeGuid(0x4D36E968);
const char kSettingsPath[] = "C:\\prog\\detail.ini";
const char kToolPath[] = "C:\\prog\\LaunchGateCheck.exe";

class RunCheckToolTest : public StandinTest {
protected:
    void SetUp() override
    {
        StandinTest::SetUp();
        Prepare();
    }

    static void Prepare()
    {
        SetModulePath(kToolPath);
        SetStandardOutput(OutputTarget::FileOrPipe);
        AddDeviceClass("DISPLAY", {kDisplayClass});
        WriteFile("C:\\prog\\LaunchGate.exe", "MZ");
        WriteFile("C:\\prog\\app.exe", "MZ");
    }

    static void StartAgain()
    {
        Reset();
        Prepare();
    }

    static std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        std::istringstream text(ByteOutput());
        std::string line;
        while (std::getline(text, line)) {
            EXPECT_FALSE(line.empty() || line.back() != '\r') << "line without CR LF: " << line;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }

    static std::vector<std::string> LinesStartingWith(const std::string& start)
    {
        std::vector<std::string> matching;
        for (const std::string& line : Lines()) {
            if (line.rfind(start, 0) == 0) {
                matching.push_back(line);
            }
        }
        return matching;
    }

    static Device DisplayDevice(const std::string& date, const std::string& description,
                                const std::string& provider, const std::string& version)
    {
        Device device = DeviceWithDriverDate(date);
        device.properties[SPDRP_DEVICEDESC] = TextValue(description);
        device.driverValues["ProviderName"] = TextValue(provider);
        device.driverValues["DriverVersion"] = TextValue(version);
        return device;
    }
};

TEST_F(RunCheckToolTest, ReportOfAPassInOrder)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nDriverDate=9-27-2005\nLaunchApp=app.exe\n"
                             "Parameter=app.exe -x \"a b\"\n");
    AddDevice(kDisplayClass, DisplayDevice("10-3-2005", "Card", "Maker", "8.1.2.3"));

    EXPECT_EQ(RunCheckTool("LaunchGateCheck.exe"), kExitWouldStart);

    const std::vector<std::string> expected = {
        "What LaunchGate.exe in \"C:\\prog\" would decide on this machine",
        "Settings file: \"C:\\prog\\detail.ini\" (found)",
        "  Class=DISPLAY   (built-in default)",
        "  DriverDate=9-27-2005   (from the file)",
        "  Enumerator=   (built-in default)",
        "  Devices=Last   (built-in default)",
        "  Message=   (built-in default)",
        "  StartAnyway=0   (built-in default)",
        "  LaunchApp=app.exe   (from the file)",
        "  Parameter=app.exe -x \"a b\"   (from the file)",
        "Class: \"DISPLAY\" = {4D36E968-E325-11CE-0000-000000000000}",
        "Enumerator: every enumerator",
        "Rule: Devices=Last (the last device walked decides)",
        "Device 0: id \"PCI\\VEN_10DE&DEV_0001\\4&1A2B3C&0&0008\", description \"Card\", "
        "provider \"Maker\", version \"8.1.2.3\", DriverDate \"10-3-2005\": meets",
        "Verdict: PASS - device 0, the last one walked, decided: meets (minimum \"9-27-2005\")",
        "Application: \"C:\\prog\\app.exe\" (exists)",
        "Command line: \"app.exe -x \"a b\"\"",
        "  split by the C runtime into 3 arguments:",
        "    argv[0] = \"app.exe\"   (the program's own name)",
        "    argv[1] = \"-x\"",
        "    argv[2] = \"a b\"",
    };
    EXPECT_EQ(Lines(), expected);
}

} // namespace
