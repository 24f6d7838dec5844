// Fuzzes the whole run on the Win32 stand-in. The input becomes the program path, the settings
// file, the device classes, the devices with their driver values (any type, terminated or not,
// any length) and what a process start returns. Whatever they hold, the run must end with 0,
// start at most one process and only one inside the program's folder, show at most one box and
// never both a box and a start, close everything it opened and never misuse the platform.
//
// Input strings, in order:
//   flags: characters 0-3 are switches ("1" = on): the process start fails, the program path
//     cannot be read, the box's library fails to load, the device set cannot be opened;
//     character 4 places the settings file: 0 beside the program, 1 nowhere, 2 beside the
//     program with its name in upper case;
//   the program path;
//   the settings file's content;
//   the number of classes (0-3), then for each class its name and its identifiers (one per
//     character: 1-3 a fixed identifier, 0 the all-zero one);
//   the number of devices (0-5), then for each device its flags (class identifier as above,
//     "1" = not present, "1" = no driver key, number of values 0-3) and for each value its name,
//     its type (decimal) and its bytes.

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "launch_gate/run_launch_gate.h"
#include "standin.h"

namespace {

using namespace fuzz_input;
using namespace win32_standin;

const size_t kMaximumPath = 300;
const size_t kMaximumSettings = 2000;
const size_t kMaximumName = 40;
const size_t kMaximumValue = 300;
// The program's room for a path, terminator included.
const size_t kPathRoom = 260;

GUID IdentifierFor(const std::string& token, size_t index)
{
    const unsigned which = Choice(token, index, 4);
    return which == 0 ? GUID{} : MakeGuid(0x4D36E960u + which);
}

DWORD ReadType(const std::string& token)
{
    if (token.empty()) {
        return REG_SZ;
    }
    uint32_t type = 0;
    for (const char c : token) {
        type = c >= '0' && c <= '9' ? type * 10u + static_cast<uint32_t>(c - '0')
                                    : type * 31u + static_cast<unsigned char>(c);
    }
    return type;
}

// The folder the program may start from: its path as the platform reports it, cut back to the
// last backslash (which may leave it empty). False when the path is unreadable, does not fit,
// or has no backslash.
bool ExpectedFolder(const std::string& modulePath, bool pathFails, std::string& folder)
{
    const size_t lastBackslash = modulePath.rfind('\\');
    if (pathFails || modulePath.size() >= kPathRoom || lastBackslash == std::string::npos) {
        return false;
    }
    folder = modulePath.substr(0, lastBackslash);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string flags = input.ConsumeRandomLengthString(8);
    const bool startFails = Choice(flags, 0, 2) == 1;
    const bool pathFails = Choice(flags, 1, 2) == 1;
    const bool libraryFails = Choice(flags, 2, 2) == 1;
    const bool deviceSetFails = Choice(flags, 3, 2) == 1;
    const unsigned settingsPlace = Choice(flags, 4, 3);
    // Windows reports a path without NULs; the stand-in gets the same.
    const std::string modulePath = CText(input.ConsumeRandomLengthString(kMaximumPath));
    const std::string settings = input.ConsumeRandomLengthString(kMaximumSettings);

    Reset();
    SetModulePath(modulePath, pathFails);
    SetProcessStartResult(!startFails);
    if (libraryFails) {
        FailLibraryLoad("user32.dll");
    }
    FailDeviceSet(deviceSetFails);

    std::string folder;
    const bool haveFolder = ExpectedFolder(modulePath, pathFails, folder);
    const size_t lastBackslash = modulePath.rfind('\\');
    const std::string besideProgram =
        (lastBackslash == std::string::npos ? std::string() : modulePath.substr(0, lastBackslash)) +
        (settingsPlace == 2 ? "\\DETAIL.INI" : "\\detail.ini");
    if (settingsPlace != 1) {
        WriteFile(besideProgram, settings);
    }

    const unsigned classCount = Choice(input.ConsumeRandomLengthString(2), 0, 4);
    for (unsigned i = 0; i < classCount; ++i) {
        const std::string name = input.ConsumeRandomLengthString(kMaximumName);
        const std::string identifierToken = input.ConsumeRandomLengthString(4);
        std::vector<GUID> identifiers;
        for (size_t j = 0; j < identifierToken.size(); ++j) {
            identifiers.push_back(IdentifierFor(identifierToken, j));
        }
        AddDeviceClass(name, identifiers);
    }

    const unsigned deviceCount = Choice(input.ConsumeRandomLengthString(2), 0, 6);
    for (unsigned i = 0; i < deviceCount; ++i) {
        const std::string deviceFlags = input.ConsumeRandomLengthString(6);
        Device device;
        device.present = Choice(deviceFlags, 1, 2) == 0;
        device.hasDriverKey = Choice(deviceFlags, 2, 2) == 0;
        const unsigned valueCount = Choice(deviceFlags, 3, 4);
        for (unsigned j = 0; j < valueCount; ++j) {
            const std::string name = input.ConsumeRandomLengthString(kMaximumName);
            const DWORD type = ReadType(input.ConsumeRandomLengthString(12));
            device.driverValues[name] = RawValue(type, input.ConsumeRandomLengthString(kMaximumValue));
        }
        AddDevice(IdentifierFor(deviceFlags, 0), device);
    }

    Require(RunLaunchGate() == 0, "the run ended with a status other than 0");

    const std::vector<Call> starts = CallsTo("CreateProcessA");
    const std::vector<Call> boxes = CallsTo("MessageBoxA");
    Require(starts.size() <= 1, "more than one process started");
    Require(boxes.size() <= 1, "more than one box shown");
    Require(starts.empty() || boxes.empty(), "both a box and a process start");
    if (!starts.empty()) {
        const std::string& application = starts[0].arguments.at(0);
        Require(haveFolder, "a process start without a trusted program folder");
        Require(application.size() < kPathRoom, "a started path longer than the program's room");
        Require(application.compare(0, folder.size() + 1, folder + "\\") == 0,
                "a started path outside the program's folder");
        Require(!NameTheSameFileOnDisk(application, modulePath), "the gate started itself");
    }
    Require(OpenHandles().empty(), "a handle or key left open");
    Require(LoadedLibraries().empty(), "a library left loaded");
    for (const std::string& fault : Faults()) {
        fprintf(stderr, "platform misuse: %s\n", fault.c_str());
    }
    Require(Faults().empty(), "the platform was misused");
    return 0;
}
