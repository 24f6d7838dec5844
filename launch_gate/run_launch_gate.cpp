#include "launch_gate/run_launch_gate.h"

#include "driver_check/device_rule.h"
#include "driver_check/driver_probe.h"
#include "launch_gate/program_path.h"
#include "launch_gate/same_file.h"
#include "launch_gate/settings.h"
#include "launch_gate/warning_box.h"
#include "platform/system_library.h"
#include "platform/win32_api.h"

namespace {

// Shows the warning. Returns true only when the publisher lets the user start anyway and the
// user pressed Yes; a box that could not be shown counts as No.
bool WarnAndAskToStartAnyway(const SettingText& settingsPath, Settings& settings)
{
    ReadWarningSettings(settingsPath, settings);
    const char* message = settings.values[kMessageSetting];
    if (AllowsStartAnyway(settings.values[kStartAnywaySetting])) {
        return ShowWarningBox(message, MB_YESNO | MB_DEFBUTTON2) == IDYES;
    }
    ShowWarningBox(message, MB_OK);
    return false;
}

void StartApplicationAndWait(const SettingText& programPath, const SettingText& programFolder,
                             const SettingText& settingsPath, Settings& settings)
{
    ReadStartSettings(settingsPath, settings);

    SettingText applicationPath = {};
    if (!JoinPath(programFolder, settings.values[kLaunchAppSetting], applicationPath,
                  kSettingCapacity)) {
        return;
    }
    // A gate that started itself would start an endless chain of waiting gates.
    if (NameTheSameFile(applicationPath, programPath)) {
        return;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(applicationPath, settings.values[kParameterSetting], nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

} // namespace

int RunLaunchGate()
{
    SettingText programPath = {};
    SettingText programFolder = {};
    SettingText settingsPath = {};
    const bool haveProgramFolder = FindProgramFolder(programPath, programFolder);
    if (haveProgramFolder) {
        JoinPath(programFolder, kSettingsFileName, settingsPath, kSettingCapacity);
    }

    Settings settings = {};
    ReadCheckSettings(settingsPath, settings);

    const int verdict = CheckInstalledDriver(
        settings.values[kClassSetting], settings.values[kEnumeratorSetting],
        settings.values[kDriverDateSetting], ReadDeviceRule(settings.values[kDevicesSetting]));
    // The check was SETUPAPI's only use.
    ReleaseSystemLibrary(kSetupApiLibrary);
    if (verdict == 0 && !WarnAndAskToStartAnyway(settingsPath, settings)) {
        return 0;
    }
    if (haveProgramFolder) {
        StartApplicationAndWait(programPath, programFolder, settingsPath, settings);
    }
    return 0;
}
