#pragma once

#include "driver_check/device_rule.h"
#include "platform/win32_api.h"

// The walk over the present devices of a setup class, shared by the gate (which keeps only the
// verdicts) and the check tool (which also explains each device).

// Finds the identifier of the setup class named `className`: the first one the platform lists.
// False when the platform lists none.
bool FindClassIdentifier(const char* className, GUID& classIdentifier);

const DWORD kDriverDateCapacity = 64;

// Why a device's "DriverDate" could or could not be read.
enum DriverDateReading {
    kDriverDateRead,
    kNoDriverKey,
    kNoDriverDateValue,
    kDriverDateTooLong,  // 64 characters or more: no room for its terminator
};

// What the walk found for one device. `devices` and `device` stay valid during the call back
// only, for more reads of the same device.
struct DeviceReading {
    DWORD position;  // in the walk, from 0
    HDEVINFO devices;
    SP_DEVINFO_DATA* device;
    DriverDateReading dateReading;
    char driverDate[kDriverDateCapacity];  // as read, terminated; empty unless read
    int verdict;  // 1 when the date meets the minimum, 0 when it does not or was not read
};

typedef void (*DeviceReadingCallback)(const DeviceReading& reading, void* context);

// Walks the present devices of the setup class `classIdentifier` that the Plug and Play
// enumerator `enumerator` lists (every enumerator when it is empty), in the platform's order,
// reads each one's driver date from its own driver key, compares it with `minimumDate`
// (month-day-year) in calendar order and hands the reading to `callback` with `context`.
// Returns false when the platform could not build the device set (an unknown enumerator).
bool WalkClassDevices(const GUID& classIdentifier, const char* enumerator,
                      const char* minimumDate, DeviceReadingCallback callback, void* context);

// The verdict of the walk over the class named `className` under `rule`: 1 for pass, 0 for
// fail, and 0 when the class is unknown or no device was walked.
int CheckInstalledDriver(const char* className, const char* enumerator, const char* minimumDate,
                         DeviceRule rule);
