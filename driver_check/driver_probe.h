#pragma once

#include "driver_check/device_rule.h"

// Walks the present devices of the setup class named `className` that the Plug and Play
// enumerator `enumerator` lists (every enumerator when it is empty) and adds each one's verdict
// to `verdicts`: 1 when its installed driver date meets `minimumDate` (month-day-year) in
// calendar order, 0 when it does not or cannot be read. An unknown class or enumerator adds
// nothing.
void WalkClassDevices(const char* className, const char* enumerator, const char* minimumDate,
                      DeviceVerdicts& verdicts);

// The verdict of that walk under `rule`: 1 for pass, 0 for fail, and 0 when no device was walked.
int CheckInstalledDriver(const char* className, const char* enumerator, const char* minimumDate,
                         DeviceRule rule);
