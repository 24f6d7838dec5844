#include "check_tool/run_check_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "check_tool/tool_arguments.h"
#include "launch_gate/run_launch_gate.h"
#include "platform/system_library.h"
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

// One case of each exit status, with what the gate does on the same machine.
TEST_F(RunCheckToolTest, ExitStatusSaysWhatTheGateWouldDo)
{
    const std::string gateFolder = "C:\\" + std::string(250, 'g');
    const struct {
        const char* what;
        std::string commandLine;
        std::string settings;
        std::string date;
        int status;
    } cases[] = {
        {"pass, application exists", "LaunchGateCheck.exe", "LaunchApp=app.exe\n", "10-3-2005", 0},
        {"fail", "LaunchGateCheck.exe", "LaunchApp=app.exe\n", "9-26-2005", 1},
        {"fail, Yes/No box", "LaunchGateCheck.exe", "LaunchApp=app.exe\nStartAnyway=1\n",
         "9-26-2005", 1},
        {"pass, LaunchApp empty", "LaunchGateCheck.exe", "LaunchApp=\n", "10-3-2005", 2},
        {"pass, LaunchApp missing", "LaunchGateCheck.exe", "", "10-3-2005", 2},
        {"pass, no such file", "LaunchGateCheck.exe", "LaunchApp=none.exe\n", "10-3-2005", 2},
        {"pass, a folder", "LaunchGateCheck.exe", "LaunchApp=tools\n", "10-3-2005", 2},
        {"pass, the gate itself", "LaunchGateCheck.exe", "LaunchApp=sub\\..\\LAUNCHGATE.EXE\n",
         "10-3-2005", 2},
        {"pass, too long to join", "LaunchGateCheck.exe",
         "LaunchApp=" + std::string(250, 'a') + ".exe\n", "10-3-2005", 2},
        {"given folder", "LaunchGateCheck.exe C:\\prog\\", "LaunchApp=app.exe\n", "10-3-2005", 0},
        {"given folder, relative", "LaunchGateCheck.exe ..\\prog", "LaunchApp=app.exe\n",
         "10-3-2005", 0},
        {"folder whose gate path does not fit", "LaunchGateCheck.exe " + gateFolder,
         "LaunchApp=app.exe\n", "10-3-2005", 2},
        {"no such folder", "LaunchGateCheck.exe C:\\nowhere", "", "10-3-2005", 3},
        {"a file, not a folder", "LaunchGateCheck.exe C:\\prog\\app.exe", "", "10-3-2005", 3},
        {"empty folder", "LaunchGateCheck.exe \"\"", "", "10-3-2005", 3},
        {"two arguments", "LaunchGateCheck.exe C:\\prog C:\\prog", "", "10-3-2005", 3},
    };
    for (const auto& c : cases) {
        StartAgain();
        SetCurrentFolder("C:\\work");
        AddFolder("C:\\prog\\tools");
        AddFolder(gateFolder);
        WriteFile(gateFolder + "\\app.exe", "MZ");
        WriteFile(kSettingsPath, "[ZELCHECK]\n" + c.settings);
        AddDevice(kDisplayClass, DeviceWithDriverDate(c.date));
        EXPECT_EQ(RunCheckTool(c.commandLine.c_str()), c.status) << c.what;
        EXPECT_TRUE(CallsTo("CreateProcessA").empty()) << c.what;
        EXPECT_TRUE(CallsTo("MessageBoxA").empty()) << c.what;
        for (const Call& read : CallsTo("GetPrivateProfileStringA")) {
            EXPECT_EQ(read.arguments.at(4), kSettingsPath) << c.what;
        }
        if (c.status == 3) {
            EXPECT_EQ(Lines().back(), "Usage: LaunchGateCheck.exe [FOLDER]") << c.what;
            EXPECT_TRUE(CallsTo("GetPrivateProfileStringA").empty()) << c.what;
        }
    }
}

// One settings mistake of each kind gives its own warning line, and a sound file gives none.
TEST_F(RunCheckToolTest, WarnsOfEachLikelyMistake)
{
    const struct {
        std::string settings;
        std::vector<std::string> warnings;
    } cases[] = {
        {"LaunchApp=app.exe\nParameter=app.exe -x\n", {}},
        {"DriverDate=13-1-2005\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: DriverDate=13-1-2005: its month (the first field) is not 1 to 12"}},
        {"DriverDate=9-32-2005\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: DriverDate=9-32-2005: its day (the second field) is not 1 to 31"}},
        {"DriverDate=9-27-05\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: DriverDate=9-27-05: its year (the third field) is before 1990; write all "
          "four digits"}},
        {"DriverDate=9/27/2005\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: DriverDate=9/27/2005: it holds characters other than digits and \"-\"; the "
          "gate reads only the digits before them in each field (write 9-27-2005, not 9/27/2005 "
          "or 27.9.2005)",
          "Warning: DriverDate=9/27/2005: it has fewer than three fields; the gate counts a "
          "missing field as 0"}},
        {"DriverDate=2005-09-27\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: DriverDate=2005-09-27: it starts with a year; the gate reads month-day-year "
          "(write 9-27-2005, not 2005-09-27)"}},
        {"Devices=Every\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: Devices=Every: not Last, Any or All; the gate reads it as Last"}},
        {"StartAnyway=yes\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: StartAnyway=yes: not 0 or 1; the gate reads it as 0"}},
        {"Class=Displays\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: Class=Displays: the platform knows no device setup class of that name; the "
          "check fails"}},
        {"Enumerator=PCIE\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Warning: Enumerator=PCIE: the platform knows no enumerator of that name; no device is "
          "walked and the check fails"}},
        {"LaunchApp=\nParameter=app.exe\n",
         {"Warning: LaunchApp is empty or missing: the gate starts nothing"}},
        {"Parameter=app.exe\n", {"Warning: LaunchApp is empty or missing: the gate starts nothing"}},
        {"LaunchApp=game.exe\nParameter=game.exe\n",
         {"Warning: LaunchApp=game.exe: no such file in the folder: the gate starts nothing"}},
        {"LaunchApp=tools\nParameter=tools\n",
         {"Warning: LaunchApp=tools: a folder, not an application: the gate starts nothing"}},
        {"LaunchApp=" + std::string(255, 'a') + "\nParameter=x\n",
         {"Warning: LaunchApp is too long to join to the folder within 259 characters: the gate "
          "starts nothing",
          "Warning: Parameter's first word \"x\" is not the application's file name: the "
          "application reads it as its own name and gets its arguments from the second word on "
          "(write the name of LaunchApp first)"}},
        {"LaunchApp=launchgate.exe\nParameter=launchgate.exe\n",
         {"Warning: LaunchApp=launchgate.exe: the gate itself, which it never starts"}},
        {"LaunchApp=app.exe\nParameter=-fullscreen\n",
         {"Warning: Parameter's first word \"-fullscreen\" is not the application's file name: "
          "the application reads it as its own name and gets its arguments from the second word "
          "on (write the name of LaunchApp first)"}},
        {"LaunchApp=app.exe\n",
         {"Warning: Parameter is empty: the application gets an empty command line, not even its "
          "own name"}},
    };
    for (const auto& c : cases) {
        StartAgain();
        AddFolder("C:\\prog\\tools");
        AddDevice(kDisplayClass, DeviceWithDriverDate("10-3-2005"));
        WriteFile(kSettingsPath, "[ZELCHECK]\n" + c.settings);
        RunCheckTool("LaunchGateCheck.exe");
        EXPECT_EQ(LinesStartingWith("Warning:"), c.warnings) << c.settings;
    }
}

TEST_F(RunCheckToolTest, FailShowsTheBoxAndWhatYesWouldStart)
{
    const struct {
        std::string settings;
        std::vector<std::string> tail;  // from the verdict line to before the warnings
    } cases[] = {
        {"Message=Update your driver.\nLaunchApp=app.exe\nParameter=app.exe\n",
         {"Verdict: FAIL - device 0, the last one walked, decided: too old (minimum "
          "\"9-27-2005\")",
          "Box: \"Update your driver.\" captioned \"Warning\", buttons OK"}},
        {"Message=Start anyway?\nStartAnyway=1\nLaunchApp=app.exe\nParameter=app.exe -y\n",
         {"Verdict: FAIL - device 0, the last one walked, decided: too old (minimum "
          "\"9-27-2005\")",
          "Box: \"Start anyway?\" captioned \"Warning\", buttons Yes, No (No is the default)",
          "If Yes is pressed: Application: \"C:\\prog\\app.exe\" (exists)",
          "If Yes is pressed: Command line: \"app.exe -y\"",
          "  split by the C runtime into 2 arguments:",
          "    argv[0] = \"app.exe\"   (the program's own name)", "    argv[1] = \"-y\""}},
    };
    for (const auto& c : cases) {
        StartAgain();
        AddDevice(kDisplayClass, DeviceWithDriverDate("9-26-2005"));
        WriteFile(kSettingsPath, "[ZELCHECK]\n" + c.settings);
        EXPECT_EQ(RunCheckTool("LaunchGateCheck.exe"), kExitWouldWarn);
        std::vector<std::string> lines = Lines();
        const auto verdict = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("Verdict:", 0) == 0;
        });
        ASSERT_NE(verdict, lines.end());
        EXPECT_EQ(std::vector<std::string>(verdict, verdict + std::min<std::ptrdiff_t>(
                                                               lines.end() - verdict,
                                                               static_cast<std::ptrdiff_t>(
                                                                   c.tail.size()))),
                  c.tail);
    }
}

// The verdict line names the device or devices that decided, under each rule.
TEST_F(RunCheckToolTest, VerdictSaysWhichDevicesDecided)
{
    const struct {
        std::string devices;
        std::vector<std::string> dates;
        std::string verdict;
    } cases[] = {
        {"Last", {}, "Verdict: FAIL - no device was walked"},
        {"Last", {"10-3-2005", "1-1-2001"},
         "Verdict: FAIL - device 1, the last one walked, decided: too old (minimum \"9-27-2005\")"},
        {"any", {"1-1-2001", "10-3-2005", "10-3-2005"},
         "Verdict: PASS - device 1 decided, the first one walked whose driver date meets "
         "(minimum \"9-27-2005\")"},
        {"Any", {"1-1-2001", "1-1-2002"},
         "Verdict: FAIL - none of the 2 devices walked has a driver date that meets (minimum "
         "\"9-27-2005\")"},
        {"All", {"10-3-2005", "10-3-2006"},
         "Verdict: PASS - all 2 devices walked have a driver date that meets (minimum "
         "\"9-27-2005\")"},
        {"ALL", {"10-3-2005", "1-1-2001", "1-1-2001"},
         "Verdict: FAIL - device 1 decided, the first one walked whose driver date does not meet "
         "(minimum \"9-27-2005\")"},
    };
    for (const auto& c : cases) {
        StartAgain();
        for (const std::string& date : c.dates) {
            AddDevice(kDisplayClass, DeviceWithDriverDate(date));
        }
        WriteFile(kSettingsPath, "[ZELCHECK]\nDevices=" + c.devices + "\n");
        RunCheckTool("LaunchGateCheck.exe");
        EXPECT_EQ(LinesStartingWith("Verdict:"), std::vector<std::string>{c.verdict}) << c.devices;
        EXPECT_EQ(LinesStartingWith("Device ").size(), c.dates.size()) << c.devices;
    }
}

// What the platform records about a device is read whatever its length and type, shown within
// bounds, cut visibly, never read past what came back.
TEST_F(RunCheckToolTest, DeviceLinesShowWhatThePlatformRecordsWithinBounds)
{
    const std::string longText(300, 'p');
    const std::string shown = std::string(120, 'p') + "...\" (cut: 300 characters)";
    Device noKey;
    noKey.hasDriverKey = false;
    noKey.properties[SPDRP_DEVICEDESC] = RawValue(REG_SZ, "Unterminated");
    Device noDate;
    noDate.instanceId = std::string(600, 'I');
    noDate.driverValues["DriverDesc"] = TextValue("From the driver key");
    noDate.driverValues["ProviderName"] = TextValue(longText);
    noDate.driverValues["DriverVersion"] = RawValue(REG_DWORD, std::string("\x01\x02\x03\x04", 4));
    Device longDate = DeviceWithDriverDate(std::string(64, '1'));
    longDate.properties[SPDRP_DEVICEDESC] = RawValue(REG_SZ, std::string(700, 'd'));
    longDate.driverValues["ProviderName"] = TextValue("Tab\there\x1B[2J");
    longDate.driverValues["DriverVersion"] = RawValue(REG_SZ, std::string(512, 'v'));
    const std::vector<std::string> expected = {
        "Device 0: id \"PCI\\VEN_10DE&DEV_0001\\4&1A2B3C&0&0008\", description \"Unterminated\", "
        "provider none, version none, DriverDate none (no driver key): unreadable",
        "Device 1: id (601 bytes, too long to read), description \"From the driver key\", "
        "provider \"" + shown + ", version (not text: registry type 4), DriverDate none (no "
        "DriverDate value): unreadable",
        "Device 2: id \"PCI\\VEN_10DE&DEV_0001\\4&1A2B3C&0&0008\", description (700 bytes, too "
        "long to read), provider \"Tab?here?[2J\", version \"" + std::string(120, 'v') +
        "...\" (cut: 512 characters), DriverDate none (64 characters or more: too long): "
        "unreadable",
    };
    for (const Device& device : {noKey, noDate, longDate}) {
        AddDevice(kDisplayClass, device);
    }
    EXPECT_EQ(RunCheckTool("LaunchGateCheck.exe"), kExitWouldWarn);
    EXPECT_EQ(LinesStartingWith("Device "), expected);
}

// A SETUPAPI without the calls the tool uses for information still decides: those parts read
// as none, and the decision is the gate's.
TEST_F(RunCheckToolTest, InformationCallsMissingLeaveTheDecision)
{
    RemoveLibraryFunction("SetupDiGetDeviceInstanceIdA");
    RemoveLibraryFunction("SetupDiGetDeviceRegistryPropertyA");
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\nParameter=app.exe\n");
    AddDevice(kDisplayClass, DisplayDevice("10-3-2005", "Card", "Maker", "1.0"));
    EXPECT_EQ(RunCheckTool("LaunchGateCheck.exe"), kExitWouldStart);
    EXPECT_EQ(LinesStartingWith("Device "),
              std::vector<std::string>{"Device 0: id none, description none, provider \"Maker\", "
                                       "version \"1.0\", DriverDate \"10-3-2005\": meets"});
}

// A value written in the file counts as from the file even when empty or equal to the default.
TEST_F(RunCheckToolTest, EachKeySaysWhereItsValueCameFrom)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nClass=DISPLAY\nMessage=\nStartAnyway = 0 \n");
    RunCheckTool("LaunchGateCheck.exe");
    const std::vector<std::string> expected = {
        "  Class=DISPLAY   (from the file)",     "  DriverDate=9-27-2005   (built-in default)",
        "  Enumerator=   (built-in default)",    "  Devices=Last   (built-in default)",
        "  Message=   (from the file)",          "  StartAnyway=0   (from the file)",
        "  LaunchApp=   (built-in default)",     "  Parameter=   (built-in default)"};
    EXPECT_EQ(LinesStartingWith("  "), expected);

    StartAgain();
    RunCheckTool("LaunchGateCheck.exe");
    EXPECT_EQ(LinesStartingWith("Settings file:"),
              std::vector<std::string>{"Settings file: \"C:\\prog\\detail.ini\" (not found: every "
                                       "key takes its built-in default)"});
    EXPECT_EQ(LinesStartingWith("  Class="),
              std::vector<std::string>{"  Class=DISPLAY   (built-in default)"});
}

TEST_F(RunCheckToolTest, UnknownClassAndEnumeratorAreSaid)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nClass=Nothing\n");
    EXPECT_EQ(RunCheckTool("LaunchGateCheck.exe"), kExitWouldWarn);
    EXPECT_EQ(LinesStartingWith("Class:"),
              std::vector<std::string>{
                  "Class: \"Nothing\" is unknown to the platform: no device is walked"});

    StartAgain();
    AddDevice(kDisplayClass, DeviceWithDriverDate("10-3-2005"));
    WriteFile(kSettingsPath, "[ZELCHECK]\nEnumerator=USB\n");
    EXPECT_EQ(RunCheckTool("LaunchGateCheck.exe"), kExitWouldWarn);
    EXPECT_EQ(LinesStartingWith("Enumerator:"),
              std::vector<std::string>{"Enumerator: \"USB\""});
}

// The tool decides as the gate in that folder does, on the same machine.
TEST_F(RunCheckToolTest, DecidesAsTheGateDoes)
{
    const struct {
        std::string settings;
        std::vector<std::string> dates;
    } cases[] = {
        {"LaunchApp=app.exe\n", {"10-3-2005"}},
        {"LaunchApp=app.exe\n", {"10-3-2005", "1-1-2001"}},
        {"LaunchApp=app.exe\nDevices=Any\n", {"10-3-2005", "1-1-2001"}},
        {"LaunchApp=app.exe\nDevices=All\n", {"10-3-2005", "1-1-2001"}},
        {"LaunchApp=app.exe\nEnumerator=USB\n", {"10-3-2005"}},
        {"LaunchApp=app.exe\nClass=Net\n", {"10-3-2005"}},
        {"LaunchApp=missing.exe\n", {"10-3-2005"}},  // the gate's start fails (see below)
        {"LaunchApp=LaunchGate.exe\n", {"10-3-2005"}},
        {"LaunchApp=app.exe\nDriverDate=12-31-2030\n", {"10-3-2005"}},
    };
    for (const auto& c : cases) {
        StartAgain();
        WriteFile(kSettingsPath, "[ZELCHECK]\n" + c.settings);
        for (const std::string& date : c.dates) {
            AddDevice(kDisplayClass, DeviceWithDriverDate(date));
        }
        const int status = RunCheckTool("LaunchGateCheck.exe");

        ReleaseSystemLibrary(kUser32Library);
        const std::string settings = "[ZELCHECK]\n" + c.settings;
        Reset();
        Prepare();
        SetModulePath("C:\\prog\\LaunchGate.exe");
        // The stand-in starts any path; the platform fails to start a file that is not there.
        SetProcessStartResult(c.settings.find("missing") == std::string::npos);
        WriteFile(kSettingsPath, settings);
        for (const std::string& date : c.dates) {
            AddDevice(kDisplayClass, DeviceWithDriverDate(date));
        }
        RunLaunchGate();
        const bool boxShown = !CallsTo("MessageBoxA").empty();
        const bool started = !CallsTo("WaitForSingleObject").empty();
        EXPECT_EQ(status, boxShown ? kExitWouldWarn : started ? kExitWouldStart
                                                              : kExitWouldStartNothing)
            << c.settings;
    }
}

// A console gets the very text a file gets, as wide characters of the ANSI code page.
TEST_F(RunCheckToolTest, AConsoleGetsTheSameTextAsWideCharacters)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nMessage=Pilote trop ancien: mettez-le \xE0 jour\n");
    AddDevice(kDisplayClass, DisplayDevice("1-1-2001", "Carte graphique \xE9tendue", "Soci\xE9t\xE9",
                                           "1.0"));
    RunCheckTool("LaunchGateCheck.exe");
    const std::string text = ByteOutput();
    ASSERT_NE(text.find("Carte graphique \xE9tendue"), std::string::npos);

    StartAgain();
    SetStandardOutput(OutputTarget::Console);
    WriteFile(kSettingsPath, "[ZELCHECK]\nMessage=Pilote trop ancien: mettez-le \xE0 jour\n");
    AddDevice(kDisplayClass, DisplayDevice("1-1-2001", "Carte graphique \xE9tendue", "Soci\xE9t\xE9",
                                           "1.0"));
    RunCheckTool("LaunchGateCheck.exe");
    EXPECT_EQ(ConsoleOutput(), ConvertAnsiText(text));
}

} // namespace
