// A strict stand-in for the Win32 calls the launch gate makes, written from their public
// documentation: capacities are honoured, truncation is reported as the platform reports it,
// data comes back unterminated where the platform may hand it back so, and wrong record sizes
// and unknown handles fail.

#include "standin.h"

#include <string.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace win32_standin {

const char kNullArgument[] = "<null>";

namespace {

enum class HandleKind { DeviceSet, DriverKey, Process, Thread, Library, File };

struct OpenHandle {
    HandleKind kind;
    std::vector<size_t> devices;  // DeviceSet: the devices in the set
    size_t device = 0;            // DriverKey: whose driver key; File: which file
};

struct DeviceClass {
    std::string name;
    std::vector<GUID> identifiers;
};

struct ClassDevice {
    GUID classIdentifier;
    Device device;
};

struct State {
    std::string modulePath = "C:\\gate\\gate.exe";
    bool moduleFailure = false;
    std::map<std::string, std::string> files;
    std::vector<DeviceClass> classes;
    std::vector<ClassDevice> devices;
    bool deviceSetFailure = false;
    bool processStartSucceeds = true;
    bool libraryFailure = false;
    BoxAnswer boxAnswer = BoxAnswer::DefaultButton;
    std::vector<Call> calls;
    std::vector<std::string> faults;
    std::map<uintptr_t, OpenHandle> handles;
    uintptr_t nextHandle = 0x1000;
    DWORD lastError = 0;
};

State& Platform()
{
    static State state;
    return state;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool SameGuid(const GUID& a, const GUID& b)
{
    return memcmp(&a, &b, sizeof(GUID)) == 0;
}

std::string Text(const char* text)
{
    return text == nullptr ? std::string(kNullArgument) : std::string(text);
}

std::string Pointer(const void* pointer)
{
    return pointer == nullptr ? std::string(kNullArgument) : std::string("<set>");
}

std::string Number(uint64_t value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Hex(uint64_t value)
{
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

void Record(const std::string& function, std::vector<std::string> arguments)
{
    Platform().calls.push_back(Call{function, std::move(arguments)});
}

void Fault(const std::string& what)
{
    Platform().faults.push_back(what);
}

uintptr_t NewHandle(const OpenHandle& handle)
{
    State& state = Platform();
    const uintptr_t value = state.nextHandle;
    state.nextHandle += 4;
    state.handles[value] = handle;
    return value;
}

OpenHandle* FindHandle(const void* handle, HandleKind kind)
{
    auto found = Platform().handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == Platform().handles.end() || found->second.kind != kind) {
        return nullptr;
    }
    return &found->second;
}

std::string HandleName(const void* handle)
{
    return Hex(reinterpret_cast<uintptr_t>(handle));
}

// The file a path names on the stand-in's disk: separators unified, "." and ".." resolved,
// trailing dots and blanks of each name dropped, case ignored, as Windows resolves names.
std::string NormalizePath(const std::string& path)
{
    std::vector<std::string> names;
    std::string name;
    std::string unified = path;
    std::replace(unified.begin(), unified.end(), '/', '\\');
    std::istringstream parts(unified);
    while (std::getline(parts, name, '\\')) {
        while (!name.empty() && (name.back() == '.' || name.back() == ' ') && name != "." &&
               name != "..") {
            name.pop_back();
        }
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            if (names.size() > 1) {
                names.pop_back();
            }
            continue;
        }
        names.push_back(Lower(name));
    }
    std::string normalized;
    for (const std::string& part : names) {
        normalized += (normalized.empty() ? "" : "\\") + part;
    }
    return normalized;
}

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Looks a key up the way profile files are read: the first section of that name, the first key
// of that name in it, names compared without regard to case, blanks around names and values
// trimmed, and one pair of matching quotes around a value removed.
bool FindProfileValue(const std::string& content, const std::string& section,
                      const std::string& key, std::string& value)
{
    std::istringstream lines(content);
    std::string line;
    bool sectionSeen = false;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string trimmed = TrimBlanks(line);
        if (!trimmed.empty() && trimmed[0] == '[') {
            const size_t close = trimmed.find(']');
            const std::string name = TrimBlanks(trimmed.substr(1, close == std::string::npos
                                                                      ? std::string::npos
                                                                      : close - 1));
            if (inSection) {
                return false;
            }
            inSection = !sectionSeen && Lower(name) == Lower(section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || trimmed.empty() || trimmed[0] == ';') {
            continue;
        }
        const size_t equals = trimmed.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        if (Lower(TrimBlanks(trimmed.substr(0, equals))) != Lower(key)) {
            continue;
        }
        value = TrimBlanks(trimmed.substr(equals + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
            value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
        }
        return true;
    }
    return false;
}

} // namespace

RegistryValue TextValue(const std::string& text)
{
    RegistryValue value;
    value.type = REG_SZ;
    value.bytes.assign(text.begin(), text.end());
    value.bytes.push_back(0);
    return value;
}

RegistryValue RawValue(DWORD type, const std::string& bytes)
{
    RegistryValue value;
    value.type = type;
    value.bytes.assign(bytes.begin(), bytes.end());
    return value;
}

Device DeviceWithDriverDate(const std::string& date)
{
    Device device;
    device.driverValues["DriverDate"] = TextValue(date);
    return device;
}

GUID MakeGuid(uint32_t data1)
{
    GUID guid = {};
    guid.Data1 = data1;
    guid.Data2 = 0xE325;
    guid.Data3 = 0x11CE;
    return guid;
}

void Reset()
{
    Platform() = State();
}

void SetModulePath(const std::string& path, bool failure)
{
    Platform().modulePath = path;
    Platform().moduleFailure = failure;
}

void WriteFile(const std::string& windowsPath, const std::string& content)
{
    Platform().files[NormalizePath(windowsPath)] = content;
}

void AddDeviceClass(const std::string& name, const std::vector<GUID>& identifiers)
{
    Platform().classes.push_back(DeviceClass{name, identifiers});
}

void AddDevice(const GUID& classIdentifier, const Device& device)
{
    Platform().devices.push_back(ClassDevice{classIdentifier, device});
}

void FailDeviceSet(bool failure)
{
    Platform().deviceSetFailure = failure;
}

void SetProcessStartResult(bool succeeds)
{
    Platform().processStartSucceeds = succeeds;
}

void FailLibraryLoad(bool failure)
{
    Platform().libraryFailure = failure;
}

void SetBoxAnswer(BoxAnswer answer)
{
    Platform().boxAnswer = answer;
}

std::string ProfileValue(const std::string& fileName, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         size_t capacity)
{
    std::string value;
    const auto file = Platform().files.find(NormalizePath(fileName));
    if (file == Platform().files.end() || !FindProfileValue(file->second, section, key, value)) {
        value = defaultValue;
        const size_t last = value.find_last_not_of(' ');
        value.erase(last == std::string::npos ? 0 : last + 1);
    }
    value = value.substr(0, strnlen(value.c_str(), value.size()));
    return capacity == 0 ? std::string() : value.substr(0, capacity - 1);
}

const std::vector<Call>& Calls()
{
    return Platform().calls;
}

std::vector<Call> CallsTo(const std::string& function)
{
    std::vector<Call> matching;
    for (const Call& call : Platform().calls) {
        if (call.function == function) {
            matching.push_back(call);
        }
    }
    return matching;
}

std::vector<std::string> OpenHandles()
{
    std::vector<std::string> names;
    for (const auto& handle : Platform().handles) {
        names.push_back(Hex(handle.first));
    }
    return names;
}

bool NameTheSameFileOnDisk(const std::string& firstPath, const std::string& secondPath)
{
    return NormalizePath(firstPath) == NormalizePath(secondPath);
}

const std::vector<std::string>& Faults()
{
    return Platform().faults;
}

} // namespace win32_standin

using namespace win32_standin;

DWORD WINAPI GetLastError(void)
{
    return Platform().lastError;
}

static void SetError(DWORD error)
{
    Platform().lastError = error;
}

// Before Windows Vista a path that fills the buffer comes back cut and unterminated, with the
// buffer's size returned: the stand-in hands it back that way.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    State& state = Platform();
    Record("GetModuleFileNameA", {Pointer(module), Number(size)});
    if (module != nullptr || state.moduleFailure) {
        SetError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const size_t length = state.modulePath.size();
    if (length >= size) {
        memcpy(fileName, state.modulePath.data(), size);
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(fileName, state.modulePath.c_str(), length + 1);
    SetError(ERROR_SUCCESS);
    return static_cast<DWORD>(length);
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                                      LPSTR returnedString, DWORD size, LPCSTR fileName)
{
    Record("GetPrivateProfileStringA", {Text(appName), Text(keyName), Text(defaultValue),
                                        Number(size), Text(fileName)});
    if (appName == nullptr || keyName == nullptr || fileName == nullptr) {
        Fault("GetPrivateProfileStringA: section, key and file are always named here");
        return 0;
    }
    if (size == 0) {
        return 0;
    }
    const std::string value = ProfileValue(fileName, appName, keyName,
                                           defaultValue == nullptr ? "" : defaultValue, size);
    memcpy(returnedString, value.data(), value.size());
    returnedString[value.size()] = '\0';
    return static_cast<DWORD>(value.size());
}

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                           LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation)
{
    State& state = Platform();
    Record("CreateProcessA",
           {Text(applicationName), Text(commandLine), Pointer(processAttributes),
            Pointer(threadAttributes), Number(static_cast<uint32_t>(inheritHandles)),
            Hex(creationFlags), Pointer(environment), Text(currentDirectory),
            startupInfo == nullptr ? std::string(kNullArgument) : Number(startupInfo->cb)});
    if (startupInfo == nullptr || processInformation == nullptr ||
        startupInfo->cb != sizeof(STARTUPINFOA)) {
        Fault("CreateProcessA: start-up record missing or of the wrong size");
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!state.processStartSucceeds) {
        SetError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    processInformation->hProcess = reinterpret_cast<HANDLE>(NewHandle({HandleKind::Process, {}, 0}));
    processInformation->hThread = reinterpret_cast<HANDLE>(NewHandle({HandleKind::Thread, {}, 0}));
    processInformation->dwProcessId = 4242;
    processInformation->dwThreadId = 4243;
    return TRUE;
}

// The running program's own file is on the disk too. A file's identity is its place in the
// disk's listing, so every spelling of one path gives the same identity.
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE templateFile)
{
    State& state = Platform();
    Record("CreateFileA", {Text(fileName), Hex(desiredAccess), Hex(shareMode),
                           Pointer(securityAttributes), Number(creationDisposition),
                           Hex(flagsAndAttributes), Pointer(templateFile)});
    if (fileName == nullptr || creationDisposition != OPEN_EXISTING) {
        Fault("CreateFileA: the program only opens existing files");
        SetError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string wanted = NormalizePath(fileName);
    if (wanted == NormalizePath(state.modulePath) && !state.moduleFailure) {
        return reinterpret_cast<HANDLE>(NewHandle({HandleKind::File, {}, 0}));
    }
    size_t index = 1;
    for (const auto& file : state.files) {
        if (file.first == wanted) {
            return reinterpret_cast<HANDLE>(NewHandle({HandleKind::File, {}, index}));
        }
        ++index;
    }
    SetError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information)
{
    Record("GetFileInformationByHandle", {HandleName(file)});
    const OpenHandle* open = FindHandle(file, HandleKind::File);
    if (open == nullptr || information == nullptr) {
        Fault("GetFileInformationByHandle: not an open file");
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *information = BY_HANDLE_FILE_INFORMATION();
    information->dwVolumeSerialNumber = 0x5EED5EED;
    information->nNumberOfLinks = 1;
    information->nFileIndexLow = static_cast<DWORD>(open->device);
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    Record("WaitForSingleObject", {HandleName(handle), Hex(milliseconds)});
    if (FindHandle(handle, HandleKind::Process) == nullptr &&
        FindHandle(handle, HandleKind::Thread) == nullptr) {
        Fault("WaitForSingleObject: not a process or thread handle");
        SetError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return WAIT_OBJECT_0;
}

BOOL WINAPI CloseHandle(HANDLE object)
{
    const bool isProcess = FindHandle(object, HandleKind::Process) != nullptr;
    const bool isThread = FindHandle(object, HandleKind::Thread) != nullptr;
    const bool isFile = FindHandle(object, HandleKind::File) != nullptr;
    Record("CloseHandle", {HandleName(object), isProcess  ? "process"
                                               : isThread ? "thread"
                                               : isFile   ? "file"
                                                          : "?"});
    if (!isProcess && !isThread && !isFile) {
        Fault("CloseHandle: not an open handle");
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Platform().handles.erase(reinterpret_cast<uintptr_t>(object));
    return TRUE;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName)
{
    Record("LoadLibraryA", {Text(fileName)});
    if (fileName == nullptr || Lower(fileName) != "user32.dll" || Platform().libraryFailure) {
        SetError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(NewHandle({HandleKind::Library, {}, 0}));
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName)
{
    Record("GetProcAddress", {HandleName(module), Text(procName)});
    if (FindHandle(module, HandleKind::Library) == nullptr) {
        Fault("GetProcAddress: not a loaded library");
        return nullptr;
    }
    if (procName == nullptr || std::string(procName) != "MessageBoxA") {
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&MessageBoxA));
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    Record("FreeLibrary", {HandleName(module)});
    if (FindHandle(module, HandleKind::Library) == nullptr) {
        Fault("FreeLibrary: not a loaded library");
        return FALSE;
    }
    Platform().handles.erase(reinterpret_cast<uintptr_t>(module));
    return TRUE;
}

// Only the buttons the stand-in knows are modelled: OK alone, or Yes and No with either one the
// default. Any other style is a fault here, since the program shows no other.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    Record("MessageBoxA", {Pointer(owner), Text(text), Text(caption), Hex(type)});
    const BoxAnswer answer = Platform().boxAnswer;
    if (type != MB_OK && type != MB_YESNO && type != (MB_YESNO | MB_DEFBUTTON2)) {
        Fault("MessageBoxA: a style the program never shows");
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (answer == BoxAnswer::CannotShow) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (type == MB_OK) {
        return IDOK;
    }
    if (answer == BoxAnswer::Yes) {
        return IDYES;
    }
    if (answer == BoxAnswer::No) {
        return IDNO;
    }
    return (type & MB_DEFBUTTON2) != 0 ? IDNO : IDYES;
}

BOOL WINAPI SetupDiClassGuidsFromNameA(PCSTR className, LPGUID classGuidList,
                                       DWORD classGuidListSize, PDWORD requiredSize)
{
    Record("SetupDiClassGuidsFromNameA", {Text(className), Number(classGuidListSize)});
    if (className == nullptr || requiredSize == nullptr) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<GUID> identifiers;
    for (const DeviceClass& deviceClass : Platform().classes) {
        if (Lower(deviceClass.name) == Lower(className)) {
            identifiers.insert(identifiers.end(), deviceClass.identifiers.begin(),
                               deviceClass.identifiers.end());
        }
    }
    *requiredSize = static_cast<DWORD>(identifiers.size());
    const size_t copied = std::min<size_t>(identifiers.size(), classGuidListSize);
    for (size_t i = 0; i < copied; ++i) {
        classGuidList[i] = identifiers[i];
    }
    if (identifiers.size() > classGuidListSize) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return TRUE;
}

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags)
{
    State& state = Platform();
    Record("SetupDiGetClassDevsA",
           {classGuid == nullptr ? std::string(kNullArgument) : Hex(classGuid->Data1),
            Text(enumerator), Pointer(parent), Hex(flags)});
    if (classGuid == nullptr || state.deviceSetFailure) {
        SetError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // An enumerator is known when it lists any device at all, of any class.
    const std::string wantedEnumerator = enumerator == nullptr ? "" : Lower(enumerator);
    bool enumeratorKnown = enumerator == nullptr;
    for (const ClassDevice& candidate : state.devices) {
        enumeratorKnown =
            enumeratorKnown || Lower(candidate.device.enumerator) == wantedEnumerator;
    }
    if (!enumeratorKnown) {
        SetError(ERROR_INVALID_DATA);
        return INVALID_HANDLE_VALUE;
    }
    OpenHandle set{HandleKind::DeviceSet, {}, 0};
    for (size_t i = 0; i < state.devices.size(); ++i) {
        const ClassDevice& candidate = state.devices[i];
        if (SameGuid(candidate.classIdentifier, *classGuid) &&
            (enumerator == nullptr || Lower(candidate.device.enumerator) == wantedEnumerator) &&
            (candidate.device.present || (flags & DIGCF_PRESENT) == 0)) {
            set.devices.push_back(i);
        }
    }
    return reinterpret_cast<HDEVINFO>(NewHandle(set));
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO deviceInfoSet, DWORD memberIndex,
                                  PSP_DEVINFO_DATA deviceInfoData)
{
    Record("SetupDiEnumDeviceInfo", {HandleName(deviceInfoSet), Number(memberIndex)});
    const OpenHandle* set = FindHandle(deviceInfoSet, HandleKind::DeviceSet);
    if (set == nullptr) {
        Fault("SetupDiEnumDeviceInfo: not a device set");
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (deviceInfoData == nullptr || deviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
        Fault("SetupDiEnumDeviceInfo: device record of the wrong size");
        SetError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (memberIndex >= set->devices.size()) {
        SetError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const size_t device = set->devices[memberIndex];
    deviceInfoData->ClassGuid = Platform().devices[device].classIdentifier;
    deviceInfoData->DevInst = static_cast<DWORD>(device + 1);
    deviceInfoData->Reserved = device;
    return TRUE;
}

HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO deviceInfoSet, PSP_DEVINFO_DATA deviceInfoData,
                                 DWORD scope, DWORD hwProfile, DWORD keyType, REGSAM samDesired)
{
    Record("SetupDiOpenDevRegKey",
           {HandleName(deviceInfoSet),
            deviceInfoData == nullptr ? std::string(kNullArgument)
                                      : Number(deviceInfoData->Reserved),
            Hex(scope), Number(hwProfile), Hex(keyType), Hex(samDesired)});
    const OpenHandle* set = FindHandle(deviceInfoSet, HandleKind::DeviceSet);
    if (set == nullptr || deviceInfoData == nullptr ||
        deviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA) ||
        std::find(set->devices.begin(), set->devices.end(), deviceInfoData->Reserved) ==
            set->devices.end()) {
        Fault("SetupDiOpenDevRegKey: not a device of this set");
        SetError(ERROR_INVALID_PARAMETER);
        return reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    const size_t device = deviceInfoData->Reserved;
    if (!Platform().devices[device].device.hasDriverKey) {
        SetError(ERROR_FILE_NOT_FOUND);
        return reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    }
    return reinterpret_cast<HKEY>(NewHandle({HandleKind::DriverKey, {}, device}));
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO deviceInfoSet)
{
    Record("SetupDiDestroyDeviceInfoList", {HandleName(deviceInfoSet)});
    if (FindHandle(deviceInfoSet, HandleKind::DeviceSet) == nullptr) {
        Fault("SetupDiDestroyDeviceInfoList: not a device set");
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Platform().handles.erase(reinterpret_cast<uintptr_t>(deviceInfoSet));
    return TRUE;
}

// The data comes back exactly as stored, terminator or not. A buffer too small gets
// ERROR_MORE_DATA and the needed size, and its contents are undefined: the stand-in fills it
// with junk so that a caller who reads it anyway is caught.
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD dataSize)
{
    Record("RegQueryValueExA",
           {HandleName(key), Text(valueName), Pointer(reserved),
            dataSize == nullptr ? std::string(kNullArgument) : Number(*dataSize)});
    const OpenHandle* open = FindHandle(key, HandleKind::DriverKey);
    if (open == nullptr) {
        Fault("RegQueryValueExA: not an open key");
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const Device& device = Platform().devices[open->device].device;
    const std::string wanted = Lower(valueName == nullptr ? "" : valueName);
    for (const auto& value : device.driverValues) {
        if (Lower(value.first) != wanted) {
            continue;
        }
        const RegistryValue& found = value.second;
        const DWORD needed = static_cast<DWORD>(found.bytes.size());
        if (type != nullptr) {
            *type = found.type;
        }
        if (data != nullptr && *dataSize < needed) {
            memset(data, 0xCC, *dataSize);
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        if (data != nullptr && needed > 0) {
            memcpy(data, found.bytes.data(), needed);
        }
        if (dataSize != nullptr) {
            *dataSize = needed;
        }
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCloseKey(HKEY key)
{
    Record("RegCloseKey", {HandleName(key)});
    if (FindHandle(key, HandleKind::DriverKey) == nullptr) {
        Fault("RegCloseKey: not an open key");
        return ERROR_INVALID_HANDLE;
    }
    Platform().handles.erase(reinterpret_cast<uintptr_t>(key));
    return ERROR_SUCCESS;
}
