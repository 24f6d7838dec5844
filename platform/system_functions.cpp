// The Win32 functions the gate calls by their own names but does not import: each has the
// platform's signature and passes its call on to the function found in the library loaded from
// the system folder. When that library or function is missing, the call fails the way the
// platform reports a failure of that function, with the last error left by the loader.

#include "platform/system_library.h"

namespace {

template <typename Function>
Function FindFunction(SystemFunction function)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)(void)>(FindSystemFunction(function)));
}

} // namespace

BOOL WINAPI SetupDiClassGuidsFromNameA(PCSTR className, LPGUID classGuidList,
                                       DWORD classGuidListSize, PDWORD requiredSize)
{
    const auto call =
        FindFunction<decltype(&SetupDiClassGuidsFromNameA)>(kSetupDiClassGuidsFromNameA);
    if (call == nullptr) {
        return FALSE;
    }
    return call(className, classGuidList, classGuidListSize, requiredSize);
}

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags)
{
    const auto call = FindFunction<decltype(&SetupDiGetClassDevsA)>(kSetupDiGetClassDevsA);
    if (call == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    return call(classGuid, enumerator, parent, flags);
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex,
                                  PSP_DEVINFO_DATA deviceInfoData)
{
    const auto call = FindFunction<decltype(&SetupDiEnumDeviceInfo)>(kSetupDiEnumDeviceInfo);
    if (call == nullptr) {
        return FALSE;
    }
    return call(deviceInfoSet, memberIndex, deviceInfoData);
}

HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, PSP_DEVINFO_DATA deviceInfoData,
                                 DWORD scope, DWORD hwProfile, DWORD keyType, REGSAM samDesired)
{
    const auto call = FindFunction<decltype(&SetupDiOpenDevRegKey)>(kSetupDiOpenDevRegKey);
    if (call == nullptr) {
        return reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    return call(deviceInfoSet, deviceInfoData, scope, hwProfile, keyType, samDesired);
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet)
{
    const auto call =
        FindFunction<decltype(&SetupDiDestroyDeviceInfoList)>(kSetupDiDestroyDeviceInfoList);
    if (call == nullptr) {
        return FALSE;
    }
    return call(deviceInfoSet);
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO deviceInfoSet, PSP_DEVINFO_DATA deviceInfoData,
                                        PSTR deviceInstanceId, DWORD deviceInstanceIdSize,
                                        PDWORD requiredSize)
{
    const auto call =
        FindFunction<decltype(&SetupDiGetDeviceInstanceIdA)>(kSetupDiGetDeviceInstanceIdA);
    if (call == nullptr) {
        return FALSE;
    }
    return call(deviceInfoSet, deviceInfoData, deviceInstanceId, deviceInstanceIdSize,
                requiredSize);
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO deviceInfoSet,
                                              PSP_DEVINFO_DATA deviceInfoData, DWORD property,
                                              PDWORD propertyRegDataType, PBYTE propertyBuffer,
                                              DWORD propertyBufferSize, PDWORD requiredSize)
{
    const auto call = FindFunction<decltype(&SetupDiGetDeviceRegistryPropertyA)>(
        kSetupDiGetDeviceRegistryPropertyA);
    if (call == nullptr) {
        return FALSE;
    }
    return call(deviceInfoSet, deviceInfoData, property, propertyRegDataType, propertyBuffer,
                propertyBufferSize, requiredSize);
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const auto call = FindFunction<decltype(&MessageBoxA)>(kMessageBoxA);
    if (call == nullptr) {
        return 0;
    }
    return call(owner, text, caption, type);
}
