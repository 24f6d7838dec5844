#include "launch_gate/run_launch_gate.h"

#include "driver_check/device_rule.h"
#include "driver_check/driver_probe.h"
#include "launch_gate/program_path.h"
#include "launch_gate/same_file.h"
#include "launch_gate/warning_box.h"
#include "platform/system_library.h"
#include "platform/win32_api.h"

namespace {

const DWORD kFieldCapacity = 260;
typedef char TextField[kFieldCapacity];

const char kSettingsFileName[] = "detail.ini";
const char kSettingsSection[] = "ZELCHECK";

void CopyDefault(const char* defaultValue, TextField& value)
{
    DWORD length = 0;
    while (length + 1 < kFieldCapacity && defaultValue[length] != '\0') {
        value[length] = defaultValue[length];
        ++length;
    }
    value[length] = '\0';
}

// Reads one key of the settings section. An empty `settingsPath` means there is no settings
// file to trust, so the built-in default stands.
void ReadSetting(const TextField& settingsPath, const char* key, const char* defaultValue,
                 TextField& value)
{
    if (settingsPath[0] == '\0') {
        CopyDefault(defaultValue, value);
        return;
    }
    DWORD length = GetPrivateProfileStringA(kSettingsSection, key, defaultValue, value,
                                            kFieldCapacity, settingsPath);
    if (length >= kFieldCapacity) {
        length = kFieldCapacity - 1;
    }
    value[length] = '\0';
}

// Finds the program's own path and the folder it runs from. A path that filled the whole field
// may have been cut, so it leaves no folder to trust.
bool FindProgramFolder(TextField& programPath, TextField& programFolder)
{
    const DWORD length = GetModuleFileNameA(nullptr, programPath, kFieldCapacity);
    if (length == 0 || length >= kFieldCapacity) {
        programPath[0] = '\0';
        return false;
    }
    programPath[length] = '\0';
    for (DWORD i = 0; i <= length; ++i) {
        programFolder[i] = programPath[i];
    }
    return RemoveFileName(programFolder);
}

// Shows the warning. Returns true only when the publisher lets the user start anyway and the
// user pressed Yes; a box that could not be shown counts as No.
bool WarnAndAskToStartAnyway(const TextField& settingsPath)
{
    TextField message = {};
    TextField startAnyway = {};
    ReadSetting(settingsPath, "Message", "", message);
    ReadSetting(settingsPath, "StartAnyway", "0", startAnyway);
    if (startAnyway[0] == '1' && startAnyway[1] == '\0') {
        return ShowWarningBox(message, MB_YESNO | MB_DEFBUTTON2) == IDYES;
    }
    ShowWarningBox(message, MB_OK);
    return false;
}

void StartApplicationAndWait(const TextField& programPath, const TextField& programFolder,
                             const TextField& settingsPath)
{
    TextField applicationName = {};
    TextField commandLine = {};
    ReadSetting(settingsPath, "LaunchApp", "", applicationName);
    ReadSetting(settingsPath, "Parameter", "", commandLine);

    TextField applicationPath = {};
    if (!JoinPath(programFolder, applicationName, applicationPath, kFieldCapacity)) {
        return;
    }
    // A gate that started itself would start an endless chain of waiting gates.
    if (NameTheSameFile(applicationPath, programPath)) {
        return;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(applicationPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

} // namespace

int RunLaunchGate()
{
    TextField programPath = {};
    TextField programFolder = {};
    TextField settingsPath = {};
    const bool haveProgramFolder = FindProgramFolder(programPath, programFolder);
    if (haveProgramFolder) {
        JoinPath(programFolder, kSettingsFileName, settingsPath, kFieldCapacity);
    }

    TextField className = {};
    TextField minimumDate = {};
    TextField enumerator = {};
    TextField deviceRule = {};
    ReadSetting(settingsPath, "Class", "DISPLAY", className);
    ReadSetting(settingsPath, "DriverDate", "9-27-2005", minimumDate);
    ReadSetting(settingsPath, "Enumerator", "", enumerator);
    ReadSetting(settingsPath, "Devices", "Last", deviceRule);

    const int verdict =
        CheckInstalledDriver(className, enumerator, minimumDate, ReadDeviceRule(deviceRule));
    // The check was SETUPAPI's only use.
    ReleaseSystemLibrary(kSetupApiLibrary);
    if (verdict == 0 && !WarnAndAskToStartAnyway(settingsPath)) {
        return 0;
    }
    if (haveProgramFolder) {
        StartApplicationAndWait(programPath, programFolder, settingsPath);
    }
    return 0;
}
