#include "check_tool/run_check_tool.h"

#include "check_tool/command_line_split.h"
#include "check_tool/setting_checks.h"
#include "check_tool/text_output.h"
#include "check_tool/tool_arguments.h"
#include "driver_check/device_rule.h"
#include "driver_check/driver_probe.h"
#include "launch_gate/program_path.h"
#include "launch_gate/same_file.h"
#include "launch_gate/settings.h"
#include "platform/memory_functions.h"
#include "platform/system_library.h"
#include "platform/win32_api.h"

namespace {

const DWORD kPathCapacity = static_cast<DWORD>(kSettingCapacity);
// Room for what the tool reads about a device for information; more is reported as too long.
const DWORD kInformationCapacity = 512;
// Longer information is shown cut to this many characters, with its full length.
const size_t kShownCharacters = 120;

// Writes `size` bytes of `text` up to its first NUL, at most `shown` of them, with control
// characters as "?" so that no byte read from the platform moves the reader's cursor; in
// quotes when `quoted`, and with its full length when cut.
void AppendShownText(TextWriter& writer, const char* text, size_t size, size_t shown,
                     bool quoted)
{
    size_t length = 0;
    while (length < size && text[length] != '\0') {
        ++length;
    }
    if (quoted) {
        AppendText(writer, "\"");
    }
    for (size_t i = 0; i < length && i < shown; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        const char printable = byte < 0x20 || byte == 0x7F ? '?' : text[i];
        AppendBytes(writer, &printable, 1);
    }
    if (length > shown) {
        AppendText(writer, "...");
    }
    if (quoted) {
        AppendText(writer, "\"");
    }
    if (length > shown) {
        AppendText(writer, " (cut: ");
        AppendNumber(writer, static_cast<unsigned long>(length));
        AppendText(writer, " characters)");
    }
}

// A terminated text of at most `capacity` bytes, in quotes, never cut.
void AppendQuoted(TextWriter& writer, const char* text, size_t capacity)
{
    AppendShownText(writer, text, capacity, capacity, true);
}

void AppendLine(TextWriter& writer, const char* text)
{
    AppendText(writer, text);
    AppendText(writer, "\r\n");
}

void AppendHex(TextWriter& writer, unsigned long value, int digits)
{
    char text[8];
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    }
    AppendBytes(writer, text, static_cast<size_t>(digits));
}

void AppendGuid(TextWriter& writer, const GUID& guid)
{
    AppendText(writer, "{");
    AppendHex(writer, guid.Data1, 8);
    AppendText(writer, "-");
    AppendHex(writer, guid.Data2, 4);
    AppendText(writer, "-");
    AppendHex(writer, guid.Data3, 4);
    AppendText(writer, "-");
    for (int i = 0; i < 8; ++i) {
        if (i == 2) {
            AppendText(writer, "-");
        }
        AppendHex(writer, guid.Data4[i], 2);
    }
    AppendText(writer, "}");
}

// A text read for information: what came back and in which state.
enum InformationState { kInformationRead, kInformationMissing, kInformationTooLong,
                        kInformationNotText };

struct Information {
    InformationState state;
    DWORD size;  // bytes that came back (read), or the size needed (too long)
    DWORD type;
    char text[kInformationCapacity];
};

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The platform's answer for a read into `information`: the size it reports is trusted only
// within the capacity given.
void SettleInformation(Information& information, bool succeeded, DWORD error, DWORD size)
{
    if (!succeeded) {
        information.state = error == static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER) ||
                                    error == static_cast<DWORD>(ERROR_MORE_DATA)
                                ? kInformationTooLong
                                : kInformationMissing;
        information.size = size;
        return;
    }
    if (size > kInformationCapacity) {
        information.state = kInformationTooLong;
        information.size = size;
        return;
    }
    information.size = size;
    information.state = IsTextType(information.type) ? kInformationRead : kInformationNotText;
}

void StartInformation(Information& information)
{
    information.state = kInformationMissing;
    information.size = 0;
    information.type = REG_SZ;
    information.text[0] = '\0';
}

void ReadRegistryInformation(HKEY key, const char* valueName, Information& information)
{
    StartInformation(information);
    if (key == nullptr) {
        return;
    }
    DWORD size = kInformationCapacity;
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExA(key, valueName, nullptr, &type,
                                            reinterpret_cast<BYTE*>(information.text), &size);
    information.type = type;
    SettleInformation(information, status == ERROR_SUCCESS, static_cast<DWORD>(status), size);
}

void AppendInformation(TextWriter& writer, const char* label, const Information& information)
{
    AppendText(writer, label);
    switch (information.state) {
    case kInformationRead:
        AppendShownText(writer, information.text, information.size, kShownCharacters, true);
        return;
    case kInformationMissing:
        AppendText(writer, "none");
        return;
    case kInformationTooLong:
        AppendText(writer, "(");
        AppendNumber(writer, information.size);
        AppendText(writer, " bytes, too long to read)");
        return;
    case kInformationNotText:
        AppendText(writer, "(not text: registry type ");
        AppendNumber(writer, information.type);
        AppendText(writer, ")");
        return;
    }
}

const char* DescribeVerdict(int verdict, DriverDateReading reading)
{
    if (reading != kDriverDateRead) {
        return "unreadable";
    }
    return verdict == 1 ? "meets" : "too old";
}

struct WalkReport {
    TextWriter* writer;
    DeviceVerdicts verdicts;
    int lastVerdict;
    DriverDateReading lastReading;
};

// One line per device: what the gate reads of it, and for information what the platform
// records about it. The extra reads are the tool's alone; the gate never makes them.
void ReportDevice(const DeviceReading& reading, void* context)
{
    WalkReport& report = *static_cast<WalkReport*>(context);
    TextWriter& writer = *report.writer;
    AddDeviceVerdict(report.verdicts, reading.verdict);
    report.lastVerdict = reading.verdict;
    report.lastReading = reading.dateReading;

    Information information;
    StartInformation(information);
    DWORD required = 0;
    const BOOL idRead = SetupDiGetDeviceInstanceIdA(reading.devices, reading.device,
                                                    information.text, kInformationCapacity,
                                                    &required);
    const DWORD idError = GetLastError();
    // A read that succeeds reports the size it needed, or nothing; the text is measured within
    // the capacity either way.
    SettleInformation(information, idRead != FALSE, idError,
                      idRead != FALSE ? (required == 0 ? kInformationCapacity : required)
                                      : required);
    AppendText(writer, "Device ");
    AppendNumber(writer, reading.position);
    AppendInformation(writer, ": id ", information);

    HKEY driverKey = SetupDiOpenDevRegKey(reading.devices, reading.device, DICS_FLAG_GLOBAL, 0,
                                          DIREG_DRV, KEY_READ);
    if (driverKey == INVALID_HANDLE_VALUE) {
        driverKey = nullptr;
    }

    StartInformation(information);
    required = 0;
    DWORD type = REG_NONE;
    const BOOL descriptionRead = SetupDiGetDeviceRegistryPropertyA(
        reading.devices, reading.device, SPDRP_DEVICEDESC, &type,
        reinterpret_cast<BYTE*>(information.text), kInformationCapacity, &required);
    const DWORD descriptionError = GetLastError();
    information.type = type;
    SettleInformation(information, descriptionRead != FALSE, descriptionError,
                      descriptionRead != FALSE ? (required == 0 ? kInformationCapacity : required)
                                               : required);
    if (information.state == kInformationMissing) {
        ReadRegistryInformation(driverKey, "DriverDesc", information);
    }
    AppendInformation(writer, ", description ", information);

    ReadRegistryInformation(driverKey, "ProviderName", information);
    AppendInformation(writer, ", provider ", information);
    ReadRegistryInformation(driverKey, "DriverVersion", information);
    AppendInformation(writer, ", version ", information);
    if (driverKey != nullptr) {
        RegCloseKey(driverKey);
    }

    switch (reading.dateReading) {
    case kDriverDateRead:
        AppendText(writer, ", DriverDate ");
        AppendQuoted(writer, reading.driverDate, kDriverDateCapacity);
        break;
    case kNoDriverKey:
        AppendText(writer, ", DriverDate none (no driver key)");
        break;
    case kNoDriverDateValue:
        AppendText(writer, ", DriverDate none (no DriverDate value)");
        break;
    case kDriverDateTooLong:
        AppendText(writer, ", DriverDate none (64 characters or more: too long)");
        break;
    }
    AppendText(writer, ": ");
    AppendLine(writer, DescribeVerdict(reading.verdict, reading.dateReading));
}

void AppendVerdict(TextWriter& writer, const WalkReport& report, int decision,
                   const char* minimumDate)
{
    AppendText(writer, decision == 1 ? "Verdict: PASS - " : "Verdict: FAIL - ");
    unsigned long position = 0;
    switch (FindDecidingDevices(report.verdicts, position)) {
    case kNoDeviceWalked:
        AppendLine(writer, "no device was walked");
        return;
    case kLastDeviceDecided:
        AppendText(writer, "device ");
        AppendNumber(writer, position);
        AppendText(writer, ", the last one walked, decided: ");
        AppendText(writer, DescribeVerdict(report.lastVerdict, report.lastReading));
        break;
    case kFirstMeetingDecided:
        AppendText(writer, "device ");
        AppendNumber(writer, position);
        AppendText(writer, " decided, the first one walked whose driver date meets");
        break;
    case kNoDeviceMet:
        AppendText(writer, "none of the ");
        AppendNumber(writer, report.verdicts.walked);
        AppendText(writer, " devices walked has a driver date that meets");
        break;
    case kEveryDeviceMet:
        AppendText(writer, "all ");
        AppendNumber(writer, report.verdicts.walked);
        AppendText(writer, " devices walked have a driver date that meets");
        break;
    case kFirstNotMeetingDecided:
        AppendText(writer, "device ");
        AppendNumber(writer, position);
        AppendText(writer, " decided, the first one walked whose driver date does not meet");
        break;
    }
    AppendText(writer, " (minimum ");
    AppendQuoted(writer, minimumDate, kSettingCapacity);
    AppendLine(writer, ")");
}

// What the gate would do with "LaunchApp" and "Parameter".
enum StartOutcome { kWouldStart, kNoTrustedFolder, kApplicationEmpty, kPathTooLong,
                    kApplicationMissing, kApplicationIsFolder, kApplicationIsGate };

struct ToolRun {
    TextWriter writer;
    SettingText folder;
    SettingText gatePath;     // empty when FOLDER\LaunchGate.exe would not fit: no trusted folder
    SettingText settingsPath; // empty when no settings file is trusted
    Settings settings;
    bool inFile[kSettingKeyCount];
};

StartOutcome FindStartOutcome(const ToolRun& run, SettingText& applicationPath)
{
    applicationPath[0] = '\0';
    if (run.gatePath[0] == '\0') {
        return kNoTrustedFolder;
    }
    const char* launchApp = run.settings.values[kLaunchAppSetting];
    if (!JoinPath(run.folder, launchApp, applicationPath, kSettingCapacity)) {
        return kPathTooLong;
    }
    if (launchApp[0] == '\0') {
        return kApplicationEmpty;
    }
    const DWORD attributes = GetFileAttributesA(applicationPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return kApplicationMissing;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return kApplicationIsFolder;
    }
    if (NameTheSameFile(applicationPath, run.gatePath)) {
        return kApplicationIsGate;
    }
    return kWouldStart;
}

void AppendSplit(TextWriter& writer, const char* commandLine)
{
    SplitArguments arguments;
    SplitCommandLine(commandLine, arguments);
    AppendText(writer, "  split by the C runtime into ");
    AppendNumber(writer, static_cast<unsigned long>(arguments.found));
    AppendLine(writer, arguments.found == 1 ? " argument:" : " arguments:");
    for (int i = 0; i < arguments.stored; ++i) {
        AppendText(writer, "    argv[");
        AppendNumber(writer, static_cast<unsigned long>(i));
        AppendText(writer, "] = ");
        AppendQuoted(writer, arguments.text + arguments.start[i], kSplitTextCapacity);
        AppendLine(writer, i == 0 ? "   (the program's own name)" : "");
    }
    if (arguments.stored < arguments.found) {
        AppendLine(writer, "    (more than shown)");
    }
}

StartOutcome ReportStart(ToolRun& run, const char* lead)
{
    TextWriter& writer = run.writer;
    SettingText applicationPath = {};
    const StartOutcome outcome = FindStartOutcome(run, applicationPath);
    AppendText(writer, lead);
    AppendText(writer, "Application: ");
    switch (outcome) {
    case kNoTrustedFolder:
        AppendLine(writer, "none (the gate's folder is not trusted: nothing is started)");
        return outcome;
    case kPathTooLong:
        AppendLine(writer, "none (the folder and LaunchApp would not fit in 259 characters: "
                           "nothing is started)");
        return outcome;
    default:
        break;
    }
    AppendQuoted(writer, applicationPath, kSettingCapacity);
    switch (outcome) {
    case kApplicationEmpty:
        AppendLine(writer, " (LaunchApp is empty: nothing is started)");
        break;
    case kApplicationMissing:
        AppendLine(writer, " (does not exist: nothing is started)");
        break;
    case kApplicationIsFolder:
        AppendLine(writer, " (is a folder, not an application: nothing is started)");
        break;
    case kApplicationIsGate:
        AppendLine(writer, " (is the gate itself, which never starts itself: nothing is started)");
        break;
    default:
        AppendLine(writer, " (exists)");
        break;
    }
    AppendText(writer, lead);
    AppendText(writer, "Command line: ");
    AppendQuoted(writer, run.settings.values[kParameterSetting], kSettingCapacity);
    AppendLine(writer, "");
    AppendSplit(writer, run.settings.values[kParameterSetting]);
    return outcome;
}

void AppendWarningStart(TextWriter& writer, SettingKey key, const ToolRun& run)
{
    AppendText(writer, "Warning: ");
    AppendText(writer, NameSetting(key));
    AppendText(writer, "=");
    AppendShownText(writer, run.settings.values[key], kSettingCapacity, kSettingCapacity, false);
}

void ReportWarnings(ToolRun& run, bool classKnown, bool enumeratorKnown)
{
    TextWriter& writer = run.writer;
    const Settings& settings = run.settings;
    if (run.gatePath[0] == '\0') {
        AppendLine(writer, "Warning: the gate's path in this folder would not fit in 259 "
                           "characters: it trusts no settings and starts nothing");
    } else if (run.settingsPath[0] == '\0') {
        AppendLine(writer, "Warning: the settings file's path would not fit in 259 characters: "
                           "the gate reads no settings");
    }
    const unsigned dateProblems = CheckDriverDateSetting(settings.values[kDriverDateSetting]);
    for (unsigned bit = 1; bit != 0 && bit <= dateProblems; bit <<= 1) {
        if ((dateProblems & bit) != 0) {
            AppendWarningStart(writer, kDriverDateSetting, run);
            AppendText(writer, ": ");
            AppendLine(writer, DescribeDateProblem(bit));
        }
    }
    if (!NamesDeviceRule(settings.values[kDevicesSetting])) {
        AppendWarningStart(writer, kDevicesSetting, run);
        AppendLine(writer, ": not Last, Any or All; the gate reads it as Last");
    }
    const char* startAnyway = settings.values[kStartAnywaySetting];
    if (!AllowsStartAnyway(startAnyway) && !(startAnyway[0] == '0' && startAnyway[1] == '\0')) {
        AppendWarningStart(writer, kStartAnywaySetting, run);
        AppendLine(writer, ": not 0 or 1; the gate reads it as 0");
    }
    if (!classKnown) {
        AppendWarningStart(writer, kClassSetting, run);
        AppendLine(writer, ": the platform knows no device setup class of that name; the check "
                           "fails");
    }
    if (!enumeratorKnown) {
        AppendWarningStart(writer, kEnumeratorSetting, run);
        AppendLine(writer, ": the platform knows no enumerator of that name; no device is "
                           "walked and the check fails");
    }
    SettingText applicationPath = {};
    switch (FindStartOutcome(run, applicationPath)) {
    case kApplicationEmpty:
        AppendLine(writer, "Warning: LaunchApp is empty or missing: the gate starts nothing");
        break;
    case kPathTooLong:
        AppendLine(writer, "Warning: LaunchApp is too long to join to the folder within 259 "
                           "characters: the gate starts nothing");
        break;
    case kApplicationMissing:
        AppendWarningStart(writer, kLaunchAppSetting, run);
        AppendLine(writer, ": no such file in the folder: the gate starts nothing");
        break;
    case kApplicationIsFolder:
        AppendWarningStart(writer, kLaunchAppSetting, run);
        AppendLine(writer, ": a folder, not an application: the gate starts nothing");
        break;
    case kApplicationIsGate:
        AppendWarningStart(writer, kLaunchAppSetting, run);
        AppendLine(writer, ": the gate itself, which it never starts");
        break;
    case kWouldStart:
    case kNoTrustedFolder:
        break;
    }
    char firstWord[kSettingCapacity];
    const ParameterFirstWord parameter =
        CheckParameterFirstWord(settings.values[kParameterSetting],
                                settings.values[kLaunchAppSetting], firstWord, kSettingCapacity);
    if (parameter == kFirstWordNamesSomethingElse) {
        AppendText(writer, "Warning: Parameter's first word ");
        AppendQuoted(writer, firstWord, kSettingCapacity);
        AppendText(writer, " is not the application's file name: the application reads it as "
                           "its own name and gets its arguments from the second word on (write ");
        AppendText(writer, "the name of LaunchApp first)");
        AppendLine(writer, "");
    } else if (parameter == kParameterIsEmpty && settings.values[kLaunchAppSetting][0] != '\0') {
        AppendLine(writer, "Warning: Parameter is empty: the application gets an empty command "
                           "line, not even its own name");
    }
}

void ReportSettings(ToolRun& run)
{
    TextWriter& writer = run.writer;
    AppendText(writer, "Settings file: ");
    if (run.gatePath[0] == '\0') {
        AppendLine(writer, "none (the gate's folder is not trusted: every key takes its "
                           "built-in default)");
    } else if (run.settingsPath[0] == '\0') {
        AppendLine(writer, "none (its path would not fit: every key takes its built-in default)");
    } else {
        AppendQuoted(writer, run.settingsPath, kSettingCapacity);
        const DWORD attributes = GetFileAttributesA(run.settingsPath);
        const bool found = attributes != INVALID_FILE_ATTRIBUTES &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        AppendLine(writer, found ? " (found)" : " (not found: every key takes its built-in "
                                                "default)");
    }
    for (int i = 0; i < kSettingKeyCount; ++i) {
        const SettingKey key = static_cast<SettingKey>(i);
        AppendText(writer, "  ");
        AppendText(writer, NameSetting(key));
        AppendText(writer, "=");
        AppendShownText(writer, run.settings.values[key], kSettingCapacity, kSettingCapacity, false);
        AppendLine(writer, run.inFile[key] ? "   (from the file)" : "   (built-in default)");
    }
}

const char* DescribeRule(DeviceRule rule)
{
    switch (rule) {
    case kDecideByAnyDevice:
        return "Any (one device that meets the minimum passes)";
    case kDecideByAllDevices:
        return "All (at least one device, and every one meets the minimum)";
    case kDecideByLastDevice:
        break;
    }
    return "Last (the last device walked decides)";
}

// Resolves FOLDER: the given one made full, or the tool's own. False when there is none to
// check.
bool FindFolderToCheck(const char* commandLine, ToolRun& run)
{
    SettingText given = {};
    switch (ReadToolArguments(commandLine, given, kSettingCapacity)) {
    case kCheckOwnFolder: {
        SettingText ownPath = {};
        if (!FindProgramFolder(ownPath, run.folder)) {
            AppendLine(run.writer, "LaunchGateCheck: its own folder is unknown or too long");
            return false;
        }
        return true;
    }
    case kCheckGivenFolder:
        break;
    case kTooManyArguments:
        AppendLine(run.writer, "LaunchGateCheck: more than one argument");
        return false;
    case kEmptyFolderGiven:
    case kFolderTooLong:
        AppendLine(run.writer, "LaunchGateCheck: the folder given is empty or too long");
        return false;
    }
    const DWORD length = GetFullPathNameA(given, kPathCapacity, run.folder, nullptr);
    const DWORD attributes = length == 0 || length >= kPathCapacity
                                 ? INVALID_FILE_ATTRIBUTES
                                 : GetFileAttributesA(run.folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        run.folder[0] = '\0';
        AppendText(run.writer, "LaunchGateCheck: no such folder: ");
        AppendQuoted(run.writer, given, kSettingCapacity);
        AppendLine(run.writer, "");
        return false;
    }
    run.folder[length] = '\0';
    // The gate's folder never ends in a backslash: its own path less the last component.
    DWORD end = length;
    while (end > 0 && run.folder[end - 1] == '\\') {
        --end;
        run.folder[end] = '\0';
    }
    return true;
}

int CheckFolder(ToolRun& run)
{
    TextWriter& writer = run.writer;
    AppendText(writer, "What LaunchGate.exe in ");
    AppendQuoted(writer, run.folder, kSettingCapacity);
    AppendLine(writer, " would decide on this machine");

    if (JoinPath(run.folder, kGateFileName, run.gatePath, kSettingCapacity)) {
        JoinPath(run.folder, kSettingsFileName, run.settingsPath, kSettingCapacity);
    }
    // The gate's reads first, in its order and with its defaults; then whether each value came
    // from the file.
    Settings& settings = run.settings;
    ReadCheckSettings(run.settingsPath, settings);
    ReadWarningSettings(run.settingsPath, settings);
    ReadStartSettings(run.settingsPath, settings);
    for (int i = 0; i < kSettingKeyCount; ++i) {
        run.inFile[i] = IsSettingInFile(run.settingsPath, static_cast<SettingKey>(i));
    }
    ReportSettings(run);

    const DeviceRule rule = ReadDeviceRule(settings.values[kDevicesSetting]);
    const char* enumerator = settings.values[kEnumeratorSetting];
    WalkReport report;
    report.writer = &writer;
    report.lastVerdict = 0;
    report.lastReading = kDriverDateRead;
    StartDeviceVerdicts(rule, report.verdicts);

    GUID classIdentifier = {};
    const bool classKnown = FindClassIdentifier(settings.values[kClassSetting], classIdentifier);
    AppendText(writer, "Class: ");
    AppendQuoted(writer, settings.values[kClassSetting], kSettingCapacity);
    if (classKnown) {
        AppendText(writer, " = ");
        AppendGuid(writer, classIdentifier);
        AppendLine(writer, "");
    } else {
        AppendLine(writer, " is unknown to the platform: no device is walked");
    }
    AppendText(writer, "Enumerator: ");
    if (enumerator[0] == '\0') {
        AppendLine(writer, "every enumerator");
    } else {
        AppendQuoted(writer, enumerator, kSettingCapacity);
        AppendLine(writer, "");
    }
    AppendText(writer, "Rule: Devices=");
    AppendLine(writer, DescribeRule(rule));
    bool enumeratorKnown = true;
    if (classKnown) {
        enumeratorKnown = WalkClassDevices(classIdentifier, enumerator,
                                           settings.values[kDriverDateSetting], ReportDevice,
                                           &report) ||
                          enumerator[0] == '\0';
    }
    ReleaseSystemLibrary(kSetupApiLibrary);
    const int decision = DecideDeviceVerdicts(report.verdicts);
    AppendVerdict(writer, report, decision, settings.values[kDriverDateSetting]);

    int status = kExitWouldWarn;
    if (decision == 1) {
        status = ReportStart(run, "") == kWouldStart ? kExitWouldStart : kExitWouldStartNothing;
    } else {
        const bool yesNo = AllowsStartAnyway(settings.values[kStartAnywaySetting]);
        AppendText(writer, "Box: ");
        AppendQuoted(writer, settings.values[kMessageSetting], kSettingCapacity);
        AppendText(writer, " captioned \"Warning\", buttons ");
        AppendLine(writer, yesNo ? "Yes, No (No is the default)" : "OK");
        if (yesNo) {
            ReportStart(run, "If Yes is pressed: ");
        }
    }
    ReportWarnings(run, classKnown, enumeratorKnown);
    return status;
}

} // namespace

int RunCheckTool(const char* commandLine)
{
    // One run's state, kept out of the stack: a frame of 4 KB or more would need the stack
    // probe of a C runtime this program does not have.
    static ToolRun run;
    FillBytes(&run, 0, sizeof(run));
    StartTextWriter(run.writer, GetStdHandle(STD_OUTPUT_HANDLE));
    int status = kExitCouldNotRun;
    if (FindFolderToCheck(commandLine, run)) {
        status = CheckFolder(run);
    } else {
        AppendLine(run.writer, "Usage: LaunchGateCheck.exe [FOLDER]");
    }
    FlushText(run.writer);
    return status;
}
