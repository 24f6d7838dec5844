// Fuzzes the check tool's whole report on the Win32 stand-in. The input becomes the settings
// file, the devices of the display class with their instance IDs, descriptions and driver
// values (any length, any type, terminated or not), the output's target and code page, and
// optionally the tool's own command line. Whatever they hold, the report stays within its bound,
// every write stays within the writer's buffer (AddressSanitizer watches every read), nothing is
// left open and the platform is never misused; and the exit status says what the gate itself
// does on the same machine: the gate is run on the same stand-in state as the model.
//
// Input strings, in order:
//   flags: character 0 the output (0 a file or pipe, 1 a console), 1 the ANSI code page (0 1252,
//     1 932, 2 65001), 2 a limit per write (0 none, else that many), 3 "1" = SETUPAPI lacks the
//     calls for information, 4 "1" = the next string is the tool's command line (then the gate
//     is not compared), 5 "1" = app.exe is on the disk;
//   the tool's command line (read only with flag 4);
//   the settings file's content;
//   the number of devices (0-4), then for each device its flags (enumerator 0-3: PCI, ROOT, SWD,
//     USB; "1" = no driver key; "1" = a description property; number of values 0-4), its
//     instance ID, its description's type (decimal) and bytes when it has one, and for each value
//     its name, its type (decimal) and its bytes.

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "check_tool/run_check_tool.h"
#include "check_tool/text_output.h"
#include "check_tool/tool_arguments.h"
#include "fuzz_input.h"
#include "launch_gate/run_launch_gate.h"
#include "platform/system_library.h"
#include "standin.h"

namespace {

using namespace fuzz_input;
using namespace win32_standin;

const size_t kMaximumSettings = 2000;
const size_t kMaximumValue = 700;
const char* const kEnumerators[] = {"PCI", "ROOT", "SWD", "USB"};
const GUID kDisplayClass = MakeGuid(0x4D36E968);
const char kFolder[] = "C:\\prog";

struct Machine {
    std::string settings;
    std::vector<Device> devices;
    bool appOnDisk;
    bool lacksInformationCalls;
};

void SetUpMachine(const Machine& machine, const std::string& modulePath)
{
    Reset();
    SetModulePath(modulePath);
    AddDeviceClass("DISPLAY", {kDisplayClass});
    AddDeviceClass("Net", {MakeGuid(0x4D36E972)});
    for (const Device& device : machine.devices) {
        AddDevice(kDisplayClass, device);
    }
    WriteFile(std::string(kFolder) + "\\detail.ini", machine.settings);
    WriteFile(std::string(kFolder) + "\\LaunchGate.exe", "MZ");
    AddFolder(std::string(kFolder) + "\\tools");
    if (machine.appOnDisk) {
        WriteFile(std::string(kFolder) + "\\app.exe", "MZ");
    }
    if (machine.lacksInformationCalls) {
        RemoveLibraryFunction("SetupDiGetDeviceInstanceIdA");
        RemoveLibraryFunction("SetupDiGetDeviceRegistryPropertyA");
    }
}

void RequireCleanPlatform(const char* who)
{
    Require(OpenHandles().empty(), who);
    Require(LoadedLibraries().empty(), who);
    Require(Faults().empty(), who);
}

// What the gate in the folder does on the same machine: 1 a box, 0 an application started and
// awaited, 2 neither. The stand-in starts any path; the platform starts only a file that is
// there, so the start succeeds exactly when the application path names a file on the disk.
int RunGateAsModel(const Machine& machine)
{
    const std::string gatePath = std::string(kFolder) + "\\LaunchGate.exe";
    SetUpMachine(machine, gatePath);
    const std::string launchApp = ProfileValue(std::string(kFolder) + "\\detail.ini", "ZELCHECK",
                                               "LaunchApp", "", 260);
    const std::string applicationPath = std::string(kFolder) + "\\" + launchApp;
    bool onDisk = false;
    for (const char* file : {"\\detail.ini", "\\LaunchGate.exe", "\\app.exe"}) {
        const bool written = std::string(file) != "\\app.exe" || machine.appOnDisk;
        onDisk = onDisk || (written && !launchApp.empty() &&
                            NameTheSameFileOnDisk(applicationPath, std::string(kFolder) + file));
    }
    SetProcessStartResult(onDisk);
    RunLaunchGate();
    ReleaseSystemLibrary(kUser32Library);
    const bool box = !CallsTo("MessageBoxA").empty();
    const bool started = !CallsTo("WaitForSingleObject").empty();
    RequireCleanPlatform("the gate left something open or misused the platform");
    return box ? kExitWouldWarn : started ? kExitWouldStart : kExitWouldStartNothing;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string flags = input.ConsumeRandomLengthString(16);
    const bool givenCommandLine = Choice(flags, 4, 2) == 1;
    const std::string commandLine =
        givenCommandLine ? input.ConsumeRandomLengthString(400) : "LaunchGateCheck.exe";
    Machine machine;
    machine.settings = input.ConsumeRandomLengthString(kMaximumSettings);
    machine.appOnDisk = Choice(flags, 5, 2) == 1;
    machine.lacksInformationCalls = Choice(flags, 3, 2) == 1;
    const unsigned deviceCount = Choice(input.ConsumeRandomLengthString(4), 0, 5);
    for (unsigned i = 0; i < deviceCount; ++i) {
        const std::string deviceFlags = input.ConsumeRandomLengthString(8);
        Device device;
        device.enumerator = kEnumerators[Choice(deviceFlags, 0, 4)];
        device.hasDriverKey = Choice(deviceFlags, 1, 2) == 0;
        device.instanceId = CText(input.ConsumeRandomLengthString(kMaximumValue));
        if (Choice(deviceFlags, 2, 2) == 1) {
            const std::string type = input.ConsumeRandomLengthString(4);
            device.properties[SPDRP_DEVICEDESC] = RawValue(
                static_cast<DWORD>(atoi(type.c_str())), input.ConsumeRandomLengthString(kMaximumValue));
        }
        const unsigned valueCount = Choice(deviceFlags, 3, 5);
        for (unsigned v = 0; v < valueCount; ++v) {
            const std::string name = input.ConsumeRandomLengthString(20);
            const std::string type = input.ConsumeRandomLengthString(4);
            device.driverValues[name] = RawValue(static_cast<DWORD>(atoi(type.c_str())),
                                                 input.ConsumeRandomLengthString(kMaximumValue));
        }
        machine.devices.push_back(device);
    }

    SetUpMachine(machine, std::string(kFolder) + "\\LaunchGateCheck.exe");
    const bool toConsole = Choice(flags, 0, 2) == 1;
    const UINT codePages[] = {1252, 932, 65001};
    SetAnsiCodePage(codePages[Choice(flags, 1, 3)]);
    SetStandardOutput(toConsole ? OutputTarget::Console : OutputTarget::FileOrPipe,
                      Choice(flags, 2, 10));
    const std::unique_ptr<char[]> line = ExactCopy(CText(commandLine));
    const int status = RunCheckTool(line.get());
    Require(status >= kExitWouldStart && status <= kExitCouldNotRun, "exit status out of range");
    RequireCleanPlatform("the tool left something open or misused the platform");
    Require(CallsTo("CreateProcessA").empty() && CallsTo("MessageBoxA").empty(),
            "the tool started a process or showed a box");
    for (const Call& call : Calls()) {
        if (call.function == "GetPrivateProfileStringA") {
            Require(call.arguments.at(4).size() < 260, "a settings path of 260 characters or more");
        }
        if (call.function == "WriteFile" || call.function == "WriteConsoleW") {
            Require(std::stoul(call.arguments.at(1)) <= kTextWriterCapacity,
                    "a write larger than the writer's buffer");
        }
    }
    // Bounded: a header, the keys, each device's line, the start's split and the warnings.
    const size_t written = toConsole ? ConsoleOutput().size() : ByteOutput().size();
    Require(written <= 16000 + 1200 * machine.devices.size(), "the report is unbounded");
    if (!givenCommandLine) {
        const int gate = RunGateAsModel(machine);
        Require(status == gate, "the tool's exit status differs from what the gate did");
    }
    return 0;
}
