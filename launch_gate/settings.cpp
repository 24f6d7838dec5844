#include "launch_gate/settings.h"

#include "launch_gate/program_path.h"
#include "platform/win32_api.h"

const char kSettingsFileName[] = "detail.ini";
const char kSettingsSection[] = "ZELCHECK";
const char kGateFileName[] = "LaunchGate.exe";

namespace {

const DWORD kFieldCapacity = static_cast<DWORD>(kSettingCapacity);

struct KeyEntry {
    const char* name;
    const char* defaultValue;
};

// In the order of SettingKey.
const KeyEntry kKeys[kSettingKeyCount] = {
    {"Class", "DISPLAY"},  {"DriverDate", "9-27-2005"}, {"Enumerator", ""}, {"Devices", "Last"},
    {"Message", ""},       {"StartAnyway", "0"},        {"LaunchApp", ""},  {"Parameter", ""},
};

// Starts with a line feed, which no value in a file can hold; the bar after it keeps it from
// being a trailing blank, which the platform trims off a default.
const char kNoValueInFile[] = "\n|";

void CopyDefault(const char* defaultValue, SettingText& value)
{
    DWORD length = 0;
    while (length + 1 < kFieldCapacity && defaultValue[length] != '\0') {
        value[length] = defaultValue[length];
        ++length;
    }
    value[length] = '\0';
}

void ReadProfileValue(const char* settingsPath, const char* key, const char* defaultValue,
                      SettingText& value)
{
    DWORD length = GetPrivateProfileStringA(kSettingsSection, key, defaultValue, value,
                                            kFieldCapacity, settingsPath);
    if (length >= kFieldCapacity) {
        length = kFieldCapacity - 1;
    }
    value[length] = '\0';
}

} // namespace

const char* NameSetting(SettingKey key)
{
    return kKeys[key].name;
}

const char* FindSettingDefault(SettingKey key)
{
    return kKeys[key].defaultValue;
}

void ReadSetting(const char* settingsPath, SettingKey key, Settings& settings)
{
    SettingText& value = settings.values[key];
    if (settingsPath[0] == '\0') {
        CopyDefault(kKeys[key].defaultValue, value);
        return;
    }
    ReadProfileValue(settingsPath, kKeys[key].name, kKeys[key].defaultValue, value);
}

void ReadCheckSettings(const char* settingsPath, Settings& settings)
{
    ReadSetting(settingsPath, kClassSetting, settings);
    ReadSetting(settingsPath, kDriverDateSetting, settings);
    ReadSetting(settingsPath, kEnumeratorSetting, settings);
    ReadSetting(settingsPath, kDevicesSetting, settings);
}

void ReadWarningSettings(const char* settingsPath, Settings& settings)
{
    ReadSetting(settingsPath, kMessageSetting, settings);
    ReadSetting(settingsPath, kStartAnywaySetting, settings);
}

void ReadStartSettings(const char* settingsPath, Settings& settings)
{
    ReadSetting(settingsPath, kLaunchAppSetting, settings);
    ReadSetting(settingsPath, kParameterSetting, settings);
}

bool IsSettingInFile(const char* settingsPath, SettingKey key)
{
    if (settingsPath[0] == '\0') {
        return false;
    }
    SettingText value = {};
    ReadProfileValue(settingsPath, kKeys[key].name, kNoValueInFile, value);
    return value[0] != kNoValueInFile[0];
}

bool AllowsStartAnyway(const char* startAnyway)
{
    return startAnyway[0] == '1' && startAnyway[1] == '\0';
}

bool FindProgramFolder(SettingText& programPath, SettingText& programFolder)
{
    programFolder[0] = '\0';
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
