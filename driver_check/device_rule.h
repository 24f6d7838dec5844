#pragma once

// How the verdicts of the devices walked combine into one. Makes no platform call, so any walk
// of devices can feed it.

enum DeviceRule {
    kDecideByLastDevice,  // "Last": the last device walked decides
    kDecideByAnyDevice,   // "Any": one device meeting the minimum passes
    kDecideByAllDevices,  // "All": at least one device, and every one meets the minimum
};

// The rule named by a "Devices" setting, matched without regard to case; any other text,
// empty included, names the last-device rule.
DeviceRule ReadDeviceRule(const char* name);
// Whether `name` is one of "Last", "Any" and "All", without regard to case.
bool NamesDeviceRule(const char* name);

struct DeviceVerdicts {
    DeviceRule rule;
    int anyWalked;
    int lastVerdict;
    int anyMet;
    int allMet;
    // For telling which devices decided; positions in the walk, from 0.
    unsigned long walked;
    unsigned long firstMet;    // valid when anyMet
    unsigned long firstUnmet;  // valid when allMet is 0 and a device was walked
};

void StartDeviceVerdicts(DeviceRule rule, DeviceVerdicts& verdicts);
// Adds the verdict of the next device walked: 1 when its driver date meets the minimum, 0 when
// it does not or cannot be read.
void AddDeviceVerdict(DeviceVerdicts& verdicts, int verdict);
// 1 for pass, 0 for fail; with no device walked, fail under every rule.
int DecideDeviceVerdicts(const DeviceVerdicts& verdicts);

// Which devices decided the verdict, as far as one device did.
enum DecidingDevices {
    kNoDeviceWalked,
    kLastDeviceDecided,       // "Last": the device at `position`, the last walked
    kFirstMeetingDecided,     // "Any", pass: the device at `position` is the first that meets
    kNoDeviceMet,             // "Any", fail: every device walked, none meets
    kEveryDeviceMet,          // "All", pass: every device walked meets
    kFirstNotMeetingDecided,  // "All", fail: the device at `position` is the first that does not
};
DecidingDevices FindDecidingDevices(const DeviceVerdicts& verdicts, unsigned long& position);
