#include "launch_gate/run_launch_gate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin_fixture.h"

namespace {

using namespace win32_standin;

const GUID kDisplayClass = MakeGuid(0x4D36E968);
const GUID kNetClass = MakeGuid(0x4D36E972);
const char kSettingsPath[] = "C:\\gate\\detail.ini";

class RunLaunchGateTest : public StandinTest {
protected:
    void SetUp() override
    {
        StandinTest::SetUp();
        AddDeviceClass("DISPLAY", {kDisplayClass});
        AddDeviceClass("Net", {kNetClass});
    }

    static void GivePassingDisplay() { AddDevice(kDisplayClass, DeviceWithDriverDate("10-3-2005")); }
    static void GiveFailingDisplay() { AddDevice(kDisplayClass, DeviceWithDriverDate("9-26-2005")); }

    // Keys read from the settings file, in order.
    static std::vector<std::string> KeysRead()
    {
        std::vector<std::string> keys;
        for (const Call& call : CallsTo("GetPrivateProfileStringA")) {
            keys.push_back(call.arguments.at(1));
        }
        return keys;
    }

    static std::vector<std::string> ProcessCalls()
    {
        std::vector<std::string> names;
        for (const Call& call : Calls()) {
            const bool fileClosed =
                call.function == "CloseHandle" && call.arguments.at(1) == "file";
            if (!fileClosed && (call.function == "CreateProcessA" ||
                                call.function == "WaitForSingleObject" ||
                                call.function == "CloseHandle" || call.function == "MessageBoxA")) {
                names.push_back(call.function + (call.function == "CloseHandle"
                                                     ? " " + call.arguments.at(1)
                                                     : std::string()));
            }
        }
        return names;
    }
};

TEST_F(RunLaunchGateTest, PassStartsTheApplicationWithParameterAloneAndWaits)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nClass=Net\nDriverDate=1-1-2004\nMessage=old\n"
                             "LaunchApp=app.exe\nParameter=-x 1\n");
    AddDevice(kNetClass, DeviceWithDriverDate("6-30-2004"));

    EXPECT_EQ(RunLaunchGate(), 0);

    EXPECT_EQ(KeysRead(), (std::vector<std::string>{"Class", "DriverDate", "Enumerator", "Devices",
                                                    "LaunchApp", "Parameter"}));
    for (const Call& read : CallsTo("GetPrivateProfileStringA")) {
        EXPECT_EQ(read.arguments.at(0), "ZELCHECK");
        EXPECT_EQ(read.arguments.at(3), "260");
        EXPECT_EQ(read.arguments.at(4), kSettingsPath);
    }
    const Call start = CallsTo("CreateProcessA").at(0);
    const std::vector<std::string> expectedStart = {
        "C:\\gate\\app.exe", "-x 1", kNullArgument, kNullArgument, "0", "0x0",
        kNullArgument,       kNullArgument, std::to_string(sizeof(STARTUPINFOA))};
    EXPECT_EQ(start.arguments, expectedStart);
    EXPECT_EQ(ProcessCalls(), (std::vector<std::string>{"CreateProcessA", "WaitForSingleObject",
                                                        "CloseHandle process",
                                                        "CloseHandle thread"}));
    EXPECT_EQ(CallsTo("WaitForSingleObject").at(0).arguments.at(1), "0xffffffff");
}

TEST_F(RunLaunchGateTest, FailShowsTheWarningAndReadsNeitherApplicationNorParameter)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nMessage=Please update your display driver.\n"
                             "LaunchApp=app.exe\nParameter=-x 1\n");
    GiveFailingDisplay();

    EXPECT_EQ(RunLaunchGate(), 0);

    EXPECT_EQ(KeysRead(), (std::vector<std::string>{"Class", "DriverDate", "Enumerator", "Devices",
                                                    "Message", "StartAnyway"}));
    EXPECT_EQ(ProcessCalls(), std::vector<std::string>{"MessageBoxA"});
    EXPECT_EQ(CallsTo("MessageBoxA").at(0).arguments,
              (std::vector<std::string>{kNullArgument, "Please update your display driver.",
                                        "Warning", "0x0"}));
}

// Each system library is loaded from the system folder when first needed and released as soon
// as the run is done with it: SETUPAPI before the box or the start, USER32 and the libraries
// the box needs right after the box.
TEST_F(RunLaunchGateTest, SystemLibrariesAreLoadedWhenNeededAndReleasedBeforeTheRunGoesOn)
{
    const std::vector<std::string> boxLibraries = {"win32u.dll", "gdi32.dll", "imm32.dll",
                                                   "uxtheme.dll", "combase.dll", "ole32.dll",
                                                   "msimg32.dll", "user32.dll"};
    GiveFailingDisplay();
    EXPECT_EQ(RunLaunchGate(), 0);
    std::vector<std::string> expected = {"setupapi.dll"};
    expected.insert(expected.end(), boxLibraries.begin(), boxLibraries.end());
    EXPECT_EQ(LoadedLibraryNames(), expected);
    EXPECT_LT(IndexOfCall("FreeLibrary", 0), IndexOfCall("LoadLibraryExA", 1));
    EXPECT_LT(IndexOfCall("MessageBoxA", 0), IndexOfCall("FreeLibrary", 1));

    Reset();
    SetUp();
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\n");
    GivePassingDisplay();
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(LoadedLibraryNames(), std::vector<std::string>{"setupapi.dll"});
    EXPECT_LT(IndexOfCall("FreeLibrary", 0), IndexOfCall("CreateProcessA", 0));
}

// Without USER32 there is no box, as without the box's function; nothing is started either.
TEST_F(RunLaunchGateTest, NoBoxWithoutItsLibraryOrFunction)
{
    for (bool libraryMissing : {true, false}) {
        Reset();
        SetUp();
        WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\n");
        GiveFailingDisplay();
        if (libraryMissing) {
            FailLibraryLoad("user32.dll");
        } else {
            RemoveLibraryFunction("MessageBoxA");
        }
        EXPECT_EQ(RunLaunchGate(), 0);
        EXPECT_TRUE(CallsTo("MessageBoxA").empty());
        EXPECT_TRUE(CallsTo("CreateProcessA").empty());
    }
}

// SETUPAPI that cannot be loaded or lacks a function the probe uses gives no device set, which
// fails the check: the box is shown, nothing is started.
TEST_F(RunLaunchGateTest, WithoutAUsableSetupLibraryTheCheckFails)
{
    const std::vector<std::string> missing = {
        "setupapi.dll", "SetupDiClassGuidsFromNameA", "SetupDiGetClassDevsA",
        "SetupDiEnumDeviceInfo", "SetupDiOpenDevRegKey", "SetupDiDestroyDeviceInfoList"};
    for (const std::string& what : missing) {
        Reset();
        SetUp();
        WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\nMessage=old\n");
        GivePassingDisplay();
        if (what == "setupapi.dll") {
            FailLibraryLoad(what);
        } else {
            RemoveLibraryFunction(what);
        }
        EXPECT_EQ(RunLaunchGate(), 0);
        EXPECT_TRUE(CallsTo("SetupDiGetClassDevsA").empty()) << what;
        EXPECT_TRUE(CallsTo("CreateProcessA").empty()) << what;
        ASSERT_EQ(CallsTo("MessageBoxA").size(), 1u) << what;
        EXPECT_EQ(CallsTo("MessageBoxA").at(0).arguments.at(1), "old");
    }
}

TEST_F(RunLaunchGateTest, KeysAreReadInOrderOnEveryPath)
{
    const std::vector<std::string> check = {"Class", "DriverDate", "Enumerator", "Devices"};
    const std::vector<std::string> warn = {"Message", "StartAnyway"};
    const std::vector<std::string> start = {"LaunchApp", "Parameter"};
    const auto join = [](std::vector<std::string> first, const std::vector<std::string>& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const struct {
        const char* what;
        bool passing;
        std::string settings;
        BoxAnswer answer;
        std::vector<std::string> keys;
        bool started;
    } cases[] = {
        {"pass", true, "", BoxAnswer::DefaultButton, join(check, start), true},
        {"pass, StartAnyway set", true, "StartAnyway=1\n", BoxAnswer::No, join(check, start), true},
        {"fail", false, "", BoxAnswer::DefaultButton, join(check, warn), false},
        {"fail, Yes", false, "StartAnyway=1\n", BoxAnswer::Yes, join(join(check, warn), start),
         true},
        {"fail, No", false, "StartAnyway=1\n", BoxAnswer::No, join(check, warn), false},
        {"fail, box not shown", false, "StartAnyway=1\n", BoxAnswer::CannotShow,
         join(check, warn), false},
    };
    for (const auto& c : cases) {
        Reset();
        SetUp();
        SetBoxAnswer(c.answer);
        WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\n" + c.settings);
        if (c.passing) {
            GivePassingDisplay();
        } else {
            GiveFailingDisplay();
        }
        EXPECT_EQ(RunLaunchGate(), 0) << c.what;
        EXPECT_EQ(KeysRead(), c.keys) << c.what;
        EXPECT_EQ(CallsTo("CreateProcessA").size(), c.started ? 1u : 0u) << c.what;
    }
}

TEST_F(RunLaunchGateTest, NewKeysTakeTheirDefaultsWhenMissing)
{
    GiveFailingDisplay();
    EXPECT_EQ(RunLaunchGate(), 0);
    const std::vector<Call> reads = CallsTo("GetPrivateProfileStringA");
    ASSERT_EQ(reads.size(), 6u);
    EXPECT_EQ(reads.at(2).arguments.at(2), "");
    EXPECT_EQ(reads.at(3).arguments.at(2), "Last");
    EXPECT_EQ(reads.at(5).arguments.at(2), "0");
    EXPECT_EQ(CallsTo("SetupDiGetClassDevsA").at(0).arguments.at(1), kNullArgument);
}

TEST_F(RunLaunchGateTest, EnumeratorAndDevicesRuleReachTheCheck)
{
    const struct {
        std::string settings;
        const char* handedOver;
        bool started;
    } cases[] = {
        {"", kNullArgument, false},
        {"Devices=Last\n", kNullArgument, false},
        {"Devices=any\n", kNullArgument, true},
        {"Devices=ALL\n", kNullArgument, false},
        {"Devices=first\n", kNullArgument, false},
        {"Enumerator=PCI\n", "PCI", true},
        {"Enumerator=PCI\nDevices=All\n", "PCI", true},
        {"Enumerator=  pci  \n", "pci", true},
        {"Enumerator=ROOT\nDevices=Any\n", "ROOT", false},
        {"Enumerator=NOSUCH\nDevices=Any\n", "NOSUCH", false},
    };
    for (const auto& c : cases) {
        Reset();
        SetUp();
        AddDevice(kDisplayClass, DeviceWithDriverDate("3-1-2010"));
        Device remote = DeviceWithDriverDate("6-21-2006");
        remote.enumerator = "ROOT";
        AddDevice(kDisplayClass, remote);
        WriteFile(kSettingsPath, "[ZELCHECK]\nDriverDate=1-1-2007\nLaunchApp=app.exe\n" +
                                     c.settings);
        EXPECT_EQ(RunLaunchGate(), 0) << c.settings;
        EXPECT_EQ(CallsTo("SetupDiGetClassDevsA").at(0).arguments.at(1), c.handedOver)
            << c.settings;
        EXPECT_EQ(CallsTo("CreateProcessA").size(), c.started ? 1u : 0u) << c.settings;
        EXPECT_EQ(CallsTo("MessageBoxA").size(), c.started ? 0u : 1u) << c.settings;
    }
}

TEST_F(RunLaunchGateTest, StartAnywayAsksYesOrNoAndYesStartsAsAPassDoes)
{
    const struct {
        std::string startAnyway;
        BoxAnswer answer;
        const char* style;
        bool started;
    } cases[] = {
        {"1", BoxAnswer::Yes, "0x104", true},
        {"  1 ", BoxAnswer::Yes, "0x104", true},
        {"1", BoxAnswer::No, "0x104", false},
        {"1", BoxAnswer::DefaultButton, "0x104", false},
        {"1", BoxAnswer::CannotShow, "0x104", false},
        {"0", BoxAnswer::Yes, "0x0", false},
        {"", BoxAnswer::Yes, "0x0", false},
        {"yes", BoxAnswer::Yes, "0x0", false},
        {"01", BoxAnswer::Yes, "0x0", false},
        {"11", BoxAnswer::Yes, "0x0", false},
        {"true", BoxAnswer::Yes, "0x0", false},
    };
    for (const auto& c : cases) {
        Reset();
        SetUp();
        SetBoxAnswer(c.answer);
        WriteFile(kSettingsPath, "[ZELCHECK]\nMessage=Old driver. Start anyway?\n"
                                 "LaunchApp=app.exe\nParameter=-x 1\nStartAnyway=" +
                                     c.startAnyway + "\n");
        GiveFailingDisplay();
        EXPECT_EQ(RunLaunchGate(), 0) << c.startAnyway;
        EXPECT_EQ(CallsTo("MessageBoxA").at(0).arguments,
                  (std::vector<std::string>{kNullArgument, "Old driver. Start anyway?", "Warning",
                                            c.style}))
            << c.startAnyway;
        if (c.started) {
            EXPECT_EQ(ProcessCalls(),
                      (std::vector<std::string>{"MessageBoxA", "CreateProcessA",
                                                "WaitForSingleObject", "CloseHandle process",
                                                "CloseHandle thread"}));
            EXPECT_EQ(CallsTo("CreateProcessA").at(0).arguments.at(0), "C:\\gate\\app.exe");
            EXPECT_EQ(CallsTo("CreateProcessA").at(0).arguments.at(1), "-x 1");
        } else {
            EXPECT_EQ(ProcessCalls(), std::vector<std::string>{"MessageBoxA"}) << c.startAnyway;
        }
    }
}

// A box whose library cannot be loaded is never shown, so it counts as No.
TEST_F(RunLaunchGateTest, StartAnywayWithoutTheBoxLibraryStartsNothing)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\nStartAnyway=1\n");
    GiveFailingDisplay();
    FailLibraryLoad("user32.dll");
    SetBoxAnswer(BoxAnswer::Yes);
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    EXPECT_TRUE(CallsTo("CreateProcessA").empty());
}

// After Yes the same guards hold as after a pass.
TEST_F(RunLaunchGateTest, YesStillNeverStartsTheGateItself)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=GATE.exe\nStartAnyway=1\n");
    GiveFailingDisplay();
    SetBoxAnswer(BoxAnswer::Yes);
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(CallsTo("MessageBoxA").size(), 1u);
    EXPECT_TRUE(CallsTo("CreateProcessA").empty());
}

TEST_F(RunLaunchGateTest, FileWithOnlyApplicationAndParameterUsesTheDefaultCheck)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\nParameter=go\n");
    GiveFailingDisplay();  // 9-26-2005 falls short of the default 9-27-2005 by one day
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(CallsTo("SetupDiClassGuidsFromNameA").at(0).arguments.at(0), "DISPLAY");
    const std::vector<Call> reads = CallsTo("GetPrivateProfileStringA");
    EXPECT_EQ(reads.at(0).arguments.at(2), "DISPLAY");
    EXPECT_EQ(reads.at(1).arguments.at(2), "9-27-2005");
    EXPECT_EQ(ProcessCalls(), std::vector<std::string>{"MessageBoxA"});

    Reset();
    SetUp();
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\nParameter=go\n");
    AddDevice(kDisplayClass, DeviceWithDriverDate("9-27-2005"));
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(CallsTo("CreateProcessA").at(0).arguments.at(1), "go");
}

TEST_F(RunLaunchGateTest, NoSettingsFileFailsWithAnEmptyBox)
{
    EXPECT_EQ(RunLaunchGate(), 0);  // no display device at all
    EXPECT_EQ(CallsTo("MessageBoxA").at(0).arguments.at(1), "");
    EXPECT_TRUE(CallsTo("CreateProcessA").empty());
}

TEST_F(RunLaunchGateTest, EmptyMessageStillShowsTheBox)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nMessage=\n");
    GiveFailingDisplay();
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(CallsTo("MessageBoxA").at(0).arguments,
              (std::vector<std::string>{kNullArgument, "", "Warning", "0x0"}));
}

TEST_F(RunLaunchGateTest, ApplicationAndCommandLineArriveAsWritten)
{
    const struct {
        std::string launchApp;
        std::string parameter;
        std::string applicationPath;
        std::string commandLine;
    } cases[] = {
        {"tools\\run.exe", "-x 1", "C:\\gate\\tools\\run.exe", "-x 1"},
        {"app.exe", "\"quoted arg\" two", "C:\\gate\\app.exe", "\"quoted arg\" two"},
        {"app.exe", std::string(300, 'p'), "C:\\gate\\app.exe", std::string(259, 'p')},
        {"", "", "C:\\gate\\", ""},
        {"C:\\elsewhere\\app.exe", "", "C:\\gate\\C:\\elsewhere\\app.exe", ""},
    };
    for (const auto& c : cases) {
        Reset();
        SetUp();
        WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=" + c.launchApp + "\nParameter=" +
                                     c.parameter + "\n");
        GivePassingDisplay();
        EXPECT_EQ(RunLaunchGate(), 0);
        const Call start = CallsTo("CreateProcessA").at(0);
        EXPECT_EQ(start.arguments.at(0), c.applicationPath);
        EXPECT_EQ(start.arguments.at(1), c.commandLine);
    }
}

// A gate that started itself would start an endless chain of waiting gates.
TEST_F(RunLaunchGateTest, ApplicationNamingTheGateItselfIsNotStarted)
{
    for (const char* name : {"gate.exe", "GATE.EXE", ".\\gate.exe", "..\\gate\\Gate.exe",
                             "sub\\..\\gate.exe", "gate.exe.", "./gate.exe"}) {
        Reset();
        SetUp();
        WriteFile(kSettingsPath, std::string("[ZELCHECK]\nLaunchApp=") + name + "\n");
        GivePassingDisplay();
        EXPECT_EQ(RunLaunchGate(), 0);
        EXPECT_TRUE(CallsTo("CreateProcessA").empty()) << name;
        EXPECT_TRUE(CallsTo("MessageBoxA").empty()) << name;
    }

    Reset();
    SetUp();
    WriteFile("C:\\gate\\app.exe", "");
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\n");
    GivePassingDisplay();
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(CallsTo("CreateProcessA").size(), 1u);
}

TEST_F(RunLaunchGateTest, FailedStartEndsSilently)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=missing.exe\n");
    GivePassingDisplay();
    SetProcessStartResult(false);
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(ProcessCalls(), std::vector<std::string>{"CreateProcessA"});
}

TEST_F(RunLaunchGateTest, ApplicationsOwnExitStatusStillGivesZero)
{
    WriteFile(kSettingsPath, "[ZELCHECK]\nLaunchApp=app.exe\n");
    GivePassingDisplay();
    // The gate never asks for the application's exit status, so the stand-in has none to give;
    // the Wine suite starts an application that really exits with 7.
    EXPECT_EQ(RunLaunchGate(), 0);
    EXPECT_EQ(CallsTo("WaitForSingleObject").size(), 1u);
}

// A program path that may have been cut leaves no folder to trust, and one too deep for the
// settings path leaves no settings file: either way the built-in defaults hold for every key,
// and with no trusted folder nothing is started.
TEST_F(RunLaunchGateTest, ProgramPathTooLongForTheSettingsPathUsesDefaultsEverywhere)
{
    const std::string folder = "C:\\" + std::string(246, 'd');  // 249: no room for "\\detail.ini"
    const struct {
        std::string modulePath;
        bool failure;
    } cases[] = {
        {folder + "\\" + std::string(9, 'g'), false},   // 259 characters: fits
        {folder + "\\" + std::string(10, 'g'), false},  // fills the whole field
        {folder + "\\" + std::string(100, 'g'), false},
        {"", true},
        {"gate.exe", false},
    };
    for (const auto& c : cases) {
        for (bool passing : {true, false}) {
            Reset();
            SetUp();
            SetModulePath(c.modulePath, c.failure);
            WriteFile(folder + "\\detail.ini", "[ZELCHECK]\nLaunchApp=app.exe\nMessage=m\n");
            AddDevice(kDisplayClass, DeviceWithDriverDate(passing ? "10-3-2005" : "1-1-2005"));
            EXPECT_EQ(RunLaunchGate(), 0);
            EXPECT_TRUE(CallsTo("GetPrivateProfileStringA").empty()) << c.modulePath.size();
            EXPECT_EQ(CallsTo("SetupDiClassGuidsFromNameA").at(0).arguments.at(0), "DISPLAY");
            if (passing && c.modulePath.size() <= 259 && !c.failure &&
                c.modulePath.find('\\') != std::string::npos) {
                // The folder is known but the settings path does not fit: no settings file.
                EXPECT_EQ(CallsTo("CreateProcessA").at(0).arguments.at(0), folder + "\\");
            } else {
                EXPECT_TRUE(CallsTo("CreateProcessA").empty()) << c.modulePath.size();
            }
            EXPECT_EQ(CallsTo("MessageBoxA").size(), passing ? 0u : 1u);
            if (!passing) {
                EXPECT_EQ(CallsTo("MessageBoxA").at(0).arguments.at(1), "");
            }
        }
    }
}

TEST_F(RunLaunchGateTest, ApplicationPathThatWouldNotFitStartsNothing)
{
    const std::string folder = "C:\\" + std::string(200, 'd');
    SetModulePath(folder + "\\gate.exe");
    const std::string settings = folder + "\\detail.ini";
    for (size_t nameLength : {55u, 56u, 300u}) {
        Reset();
        SetUp();
        SetModulePath(folder + "\\gate.exe");
        WriteFile(settings, "[ZELCHECK]\nLaunchApp=" + std::string(nameLength, 'a') + "\n");
        GivePassingDisplay();
        EXPECT_EQ(RunLaunchGate(), 0);
        const bool fits = folder.size() + 1 + nameLength < 260;
        EXPECT_EQ(CallsTo("CreateProcessA").size(), fits ? 1u : 0u) << nameLength;
        EXPECT_TRUE(CallsTo("MessageBoxA").empty());
    }
}

} // namespace
