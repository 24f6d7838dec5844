// Fuzzes the whole run on the Win32 stand-in. The input becomes the program path, the settings
// file, the device classes, the devices with their driver values (any type, terminated or not,
// any length) under several enumerators, the keys "Enumerator", "Devices" and "StartAnyway"
// (any bytes), what a process start returns and which button the user presses. Whatever they
// hold, the run must end with 0, start at most one process and only one inside the program's
// folder, show at most one box and start after it only on Yes, read the keys in their order,
// close everything it opened and never misuse the platform; and the verdict must be the one the
// target's own model of the walk and the device rules gives (each device's date compared by the
// product's MeetsMinimumDate, which driver_date_fuzz checks against a model of its own).
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
//     "1" = not present, "1" = no driver key, number of values 0-3, enumerator 0-3: PCI, ROOT,
//     SWD, USB) and for each value its name, its type (decimal) and its bytes;
//   the keys' flags: character 0 says which keys are written at the end of the settings file
//     (a digit 0-7, the sum of 1 for Enumerator, 2 for Devices, 4 for StartAnyway), character 1
//     the user's answer to a box (0 its default button, 1 Yes, 2 No, 3 the box cannot be shown);
//   then the values of Enumerator, Devices and StartAnyway.

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <strings.h>
#include <vector>

#include "driver_check/driver_date.h"
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
const size_t kDriverDateRoom = 64;
const char* const kEnumerators[] = {"PCI", "ROOT", "SWD", "USB"};

struct ClassModel {
    std::string name;
    std::vector<GUID> identifiers;
};

struct DeviceModel {
    GUID identifier;
    Device device;
};

std::string LowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool SameIdentifier(const GUID& a, const GUID& b)
{
    return memcmp(&a, &b, sizeof(GUID)) == 0;
}

// One device's verdict: its first value named "DriverDate" in any case, read into 64 bytes, its
// text measured up to the first NUL within them.
int ModelDeviceVerdict(const Device& device, const std::string& minimum)
{
    if (!device.hasDriverKey) {
        return 0;
    }
    for (const auto& value : device.driverValues) {
        if (LowerAscii(value.first) != "driverdate") {
            continue;
        }
        const std::vector<uint8_t>& bytes = value.second.bytes;
        const std::string text(bytes.begin(), bytes.end());
        const std::string date = CText(text);
        if (bytes.size() > kDriverDateRoom || date.size() >= kDriverDateRoom) {
            return 0;
        }
        return MeetsMinimumDate(date.c_str(), minimum.c_str());
    }
    return 0;
}

// The verdict the whole walk should give: the class's first identifier, the present devices of
// it that the enumerator lists (one that lists no device at all is unknown: nothing), combined
// by the rule the "Devices" value names.
int ModelVerdict(const std::vector<ClassModel>& classes, const std::vector<DeviceModel>& devices,
                 bool deviceSetFails, const std::string& className, const std::string& enumerator,
                 const std::string& minimum, const std::string& rule)
{
    std::vector<GUID> identifiers;
    for (const ClassModel& c : classes) {
        if (LowerAscii(c.name) == LowerAscii(className)) {
            identifiers.insert(identifiers.end(), c.identifiers.begin(), c.identifiers.end());
        }
    }
    if (identifiers.empty() || SameIdentifier(identifiers[0], GUID{}) || deviceSetFails) {
        return 0;
    }
    bool enumeratorKnown = enumerator.empty();
    for (const DeviceModel& d : devices) {
        enumeratorKnown = enumeratorKnown || LowerAscii(d.device.enumerator) == LowerAscii(enumerator);
    }
    if (!enumeratorKnown) {
        return 0;
    }
    std::vector<int> verdicts;
    for (const DeviceModel& d : devices) {
        if (SameIdentifier(d.identifier, identifiers[0]) && d.device.present &&
            (enumerator.empty() ||
             LowerAscii(d.device.enumerator) == LowerAscii(enumerator))) {
            verdicts.push_back(ModelDeviceVerdict(d.device, minimum));
        }
    }
    if (verdicts.empty()) {
        return 0;
    }
    int any = 0;
    int all = 1;
    for (int v : verdicts) {
        any |= v;
        all &= v;
    }
    const std::string lowerRule = LowerAscii(rule);
    return lowerRule == "any" ? any : lowerRule == "all" ? all : verdicts.back();
}

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
    std::vector<ClassModel> classes;
    for (unsigned i = 0; i < classCount; ++i) {
        const std::string name = input.ConsumeRandomLengthString(kMaximumName);
        const std::string identifierToken = input.ConsumeRandomLengthString(4);
        std::vector<GUID> identifiers;
        for (size_t j = 0; j < identifierToken.size(); ++j) {
            identifiers.push_back(IdentifierFor(identifierToken, j));
        }
        AddDeviceClass(name, identifiers);
        classes.push_back(ClassModel{name, identifiers});
    }

    const unsigned deviceCount = Choice(input.ConsumeRandomLengthString(2), 0, 6);
    std::vector<DeviceModel> devices;
    for (unsigned i = 0; i < deviceCount; ++i) {
        const std::string deviceFlags = input.ConsumeRandomLengthString(6);
        Device device;
        device.present = Choice(deviceFlags, 1, 2) == 0;
        device.hasDriverKey = Choice(deviceFlags, 2, 2) == 0;
        const unsigned valueCount = Choice(deviceFlags, 3, 4);
        device.enumerator = kEnumerators[Choice(deviceFlags, 4, 4)];
        for (unsigned j = 0; j < valueCount; ++j) {
            const std::string name = input.ConsumeRandomLengthString(kMaximumName);
            const DWORD type = ReadType(input.ConsumeRandomLengthString(12));
            device.driverValues[name] = RawValue(type, input.ConsumeRandomLengthString(kMaximumValue));
        }
        AddDevice(IdentifierFor(deviceFlags, 0), device);
        devices.push_back(DeviceModel{IdentifierFor(deviceFlags, 0), device});
    }

    const std::string keyFlags = input.ConsumeRandomLengthString(4);
    const unsigned keysWritten = Choice(keyFlags, 0, 8);
    const unsigned answer = Choice(keyFlags, 1, 4);
    const BoxAnswer answers[] = {BoxAnswer::DefaultButton, BoxAnswer::Yes, BoxAnswer::No,
                                 BoxAnswer::CannotShow};
    SetBoxAnswer(answers[answer]);
    const char* const newKeys[] = {"Enumerator", "Devices", "StartAnyway"};
    std::string keyLines;
    for (unsigned k = 0; k < 3; ++k) {
        const std::string value = input.ConsumeRandomLengthString(kMaximumName);
        if ((keysWritten & (1u << k)) != 0) {
            keyLines += std::string(newKeys[k]) + "=" + value + "\n";
        }
    }
    if (settingsPlace != 1 && !keyLines.empty()) {
        WriteFile(besideProgram, settings + "\n" + keyLines);
    }

    Require(RunLaunchGate() == 0, "the run ended with a status other than 0");

    // The values the gate was handed, from the settings file it named, or the defaults when it
    // read none.
    const std::vector<Call> reads = CallsTo("GetPrivateProfileStringA");
    const auto valueOf = [&reads](const char* key, const char* defaultValue) {
        return reads.empty() ? std::string(defaultValue)
                             : ProfileValue(reads[0].arguments.at(4), "ZELCHECK", key,
                                            defaultValue, kPathRoom);
    };
    const std::string enumerator = valueOf("Enumerator", "");
    const int verdict = ModelVerdict(classes, devices, deviceSetFails, valueOf("Class", "DISPLAY"),
                                     enumerator, valueOf("DriverDate", "9-27-2005"),
                                     valueOf("Devices", "Last"));
    const bool asks = valueOf("StartAnyway", "0") == "1";
    const bool yes = verdict == 0 && asks && !libraryFails && answers[answer] == BoxAnswer::Yes;

    std::vector<std::string> keysRead;
    for (const Call& read : reads) {
        keysRead.push_back(read.arguments.at(1));
    }
    std::vector<std::string> keysExpected;
    if (!reads.empty()) {
        keysExpected = {"Class", "DriverDate", "Enumerator", "Devices"};
        if (verdict == 0) {
            keysExpected.push_back("Message");
            keysExpected.push_back("StartAnyway");
        }
        if (verdict == 1 || yes) {
            keysExpected.push_back("LaunchApp");
            keysExpected.push_back("Parameter");
        }
    }
    Require(keysRead == keysExpected, "keys read other than in their order on this path");

    const std::vector<Call> deviceSets = CallsTo("SetupDiGetClassDevsA");
    for (const Call& set : deviceSets) {
        Require(set.arguments.at(1) == (enumerator.empty() ? kNullArgument : enumerator),
                "the enumerator handed to the platform is not the one read");
    }

    const std::vector<Call> starts = CallsTo("CreateProcessA");
    const std::vector<Call> boxes = CallsTo("MessageBoxA");
    // The warning path, and only it, loads the box's library.
    bool warned = false;
    for (const Call& load : CallsTo("LoadLibraryExA")) {
        const std::string& path = load.arguments.at(0);
        const std::string suffix = "\\user32.dll";
        warned = warned || (path.size() >= suffix.size() &&
                            strcasecmp(path.c_str() + path.size() - suffix.size(),
                                       suffix.c_str()) == 0);
    }
    if (verdict != (warned ? 0 : 1)) {
        fprintf(stderr, "model verdict %d, the gate %s\n", verdict, warned ? "warned" : "passed");
    }
    Require(verdict == (warned ? 0 : 1), "the verdict differs from the model's");
    Require(starts.size() <= 1, "more than one process started");
    Require(boxes.size() <= 1, "more than one box shown");
    Require(boxes.size() == (verdict == 0 && !libraryFails ? 1u : 0u), "a box on the wrong path");
    if (!boxes.empty()) {
        Require(boxes[0].arguments.at(3) == (asks ? "0x104" : "0x0"), "the box's buttons");
    }
    Require(starts.empty() || verdict == 1 || yes, "a start after a fail without Yes");
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
