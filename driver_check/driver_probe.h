#pragma once

// Walks the present devices of the setup class named `className` and checks each one's
// installed driver date against `minimumDate` (month-day-year) in calendar order. Returns the
// verdict for the last device walked: 1 when its date meets the minimum, 0 when it does not or
// cannot be read, and 0 when the class is unknown or has no present device.
int CheckInstalledDriver(const char* className, const char* minimumDate);
