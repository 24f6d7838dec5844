#include "driver_check/driver_probe.h"

#include "driver_check/driver_date.h"
#include "platform/win32_api.h"

namespace {

bool IsUnsetIdentifier(const GUID& identifier)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&identifier);
    for (size_t i = 0; i < sizeof(identifier); ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

// Reads "DriverDate" from the device's own driver key. The registry hands back the bytes as
// they were stored, terminated or not, so the text is measured within what was returned and a
// value that leaves no room for the terminator counts as unreadable.
DriverDateReading ReadDeviceDriverDate(HDEVINFO devices, SP_DEVINFO_DATA& device,
                                       char (&driverDate)[kDriverDateCapacity])
{
    driverDate[0] = '\0';
    HKEY driverKey =
        SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    if (driverKey == INVALID_HANDLE_VALUE || driverKey == nullptr) {
        return kNoDriverKey;
    }
    DWORD valueType = 0;
    DWORD valueSize = kDriverDateCapacity;
    const LSTATUS status = RegQueryValueExA(driverKey, "DriverDate", nullptr, &valueType,
                                            reinterpret_cast<BYTE*>(driverDate), &valueSize);
    RegCloseKey(driverKey);
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && valueSize > kDriverDateCapacity)) {
        driverDate[0] = '\0';
        return kDriverDateTooLong;
    }
    if (status != ERROR_SUCCESS) {
        driverDate[0] = '\0';
        return kNoDriverDateValue;
    }
    DWORD length = 0;
    while (length < valueSize && driverDate[length] != '\0') {
        ++length;
    }
    if (length >= kDriverDateCapacity) {
        driverDate[0] = '\0';
        return kDriverDateTooLong;
    }
    driverDate[length] = '\0';
    return kDriverDateRead;
}

void AddReadingToVerdicts(const DeviceReading& reading, void* context)
{
    AddDeviceVerdict(*static_cast<DeviceVerdicts*>(context), reading.verdict);
}

} // namespace

// Takes the first identifier listed for the class name. The lookup can succeed with none listed
// for a name it does not know; and a name with more identifiers than the list holds fails with
// the first one copied, which is used only if it was really filled in.
bool FindClassIdentifier(const char* className, GUID& classIdentifier)
{
    GUID identifiers[1] = {};
    DWORD identifierCount = 0;
    const BOOL listed = SetupDiClassGuidsFromNameA(className, identifiers, 1, &identifierCount);
    const bool listTooShort =
        !listed && GetLastError() == static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER);
    if ((!listed && !listTooShort) || identifierCount == 0 || IsUnsetIdentifier(identifiers[0])) {
        return false;
    }
    classIdentifier = identifiers[0];
    return true;
}

bool WalkClassDevices(const GUID& classIdentifier, const char* enumerator,
                      const char* minimumDate, DeviceReadingCallback callback, void* context)
{
    const char* enumeratorOrAll = enumerator[0] == '\0' ? nullptr : enumerator;
    HDEVINFO devices =
        SetupDiGetClassDevsA(&classIdentifier, enumeratorOrAll, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return false;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(device);
        if (!SetupDiEnumDeviceInfo(devices, index, &device)) {
            break;
        }
        DeviceReading reading;
        reading.position = index;
        reading.devices = devices;
        reading.device = &device;
        reading.dateReading = ReadDeviceDriverDate(devices, device, reading.driverDate);
        reading.verdict = reading.dateReading == kDriverDateRead
                              ? MeetsMinimumDate(reading.driverDate, minimumDate)
                              : 0;
        callback(reading, context);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return true;
}

int CheckInstalledDriver(const char* className, const char* enumerator, const char* minimumDate,
                         DeviceRule rule)
{
    DeviceVerdicts verdicts;
    StartDeviceVerdicts(rule, verdicts);
    GUID classIdentifier = {};
    if (FindClassIdentifier(className, classIdentifier)) {
        WalkClassDevices(classIdentifier, enumerator, minimumDate, AddReadingToVerdicts,
                         &verdicts);
    }
    return DecideDeviceVerdicts(verdicts);
}
