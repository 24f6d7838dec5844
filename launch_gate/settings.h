#pragma once

#include <stddef.h>

// The settings file "detail.ini" beside the gate: its keys, their built-in defaults and the
// order in which the gate reads them. The gate and the check tool both read it through here.

const size_t kSettingCapacity = 260;
typedef char SettingText[kSettingCapacity];

extern const char kSettingsFileName[];
extern const char kSettingsSection[];
// The gate's own file name, as shipped: the check tool looks for the gate of a folder by it.
extern const char kGateFileName[];

enum SettingKey {
    kClassSetting,
    kDriverDateSetting,
    kEnumeratorSetting,
    kDevicesSetting,
    kMessageSetting,
    kStartAnywaySetting,
    kLaunchAppSetting,
    kParameterSetting,
    kSettingKeyCount
};

const char* NameSetting(SettingKey key);
const char* FindSettingDefault(SettingKey key);

// Every value, each filled only when its key is read.
struct Settings {
    SettingText values[kSettingKeyCount];
};

// Reads one key with its built-in default, cut to 259 characters. An empty `settingsPath`
// means there is no settings file to trust, so the default stands and nothing is read.
void ReadSetting(const char* settingsPath, SettingKey key, Settings& settings);

// The keys of the check, in the gate's order: Class, DriverDate, Enumerator, Devices.
void ReadCheckSettings(const char* settingsPath, Settings& settings);
// After a failed check: Message, then StartAnyway.
void ReadWarningSettings(const char* settingsPath, Settings& settings);
// Before a start: LaunchApp, then Parameter.
void ReadStartSettings(const char* settingsPath, Settings& settings);

// Whether the settings file itself holds `key` (an empty value included), as opposed to its
// default standing in. Asks the file once more with a default no file can hold: a profile
// value is one line, so it never holds a line feed. The gate never asks this.
bool IsSettingInFile(const char* settingsPath, SettingKey key);

// "StartAnyway" lets the user go past the warning only when it is exactly "1".
bool AllowsStartAnyway(const char* startAnyway);

// Finds the running program's own path and its folder. A path that filled the whole field
// may have been cut, so it leaves no folder to trust: both are then empty.
bool FindProgramFolder(SettingText& programPath, SettingText& programFolder);
