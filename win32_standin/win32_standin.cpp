// A strict stand-in for the Win32 calls the launch gate makes, written from their public
// documentation: capacities are honoured, truncation is reported as the platform reports it,
// data comes back unterminated where the platform may hand it back so, and wrong record sizes
// and unknown handles fail.

#include "standin.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace win32_standin {

const char kNullArgument[] = "<null>";
const char kSystemFolder[] = "C:\\WINDOWS\\system32";

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
    std::vector<std::string> folders;  // normalized
    std::string currentFolder = "C:\\work";
    std::vector<DeviceClass> classes;
    std::vector<ClassDevice> devices;
    bool deviceSetFailure = false;
    bool processStartSucceeds = true;
    std::string systemFolder = kSystemFolder;
    bool systemFolderFailure = false;
    std::vector<std::string> failingLibraries;
    std::vector<std::string> removedFunctions;
    bool hasSetDefaultDllDirectories = true;
    bool hasSetDllDirectory = true;
    std::map<uintptr_t, std::string> libraryNames;  // by handle, in lower case
    BoxAnswer boxAnswer = BoxAnswer::DefaultButton;
    std::vector<Call> calls;
    std::vector<std::string> faults;
    std::map<uintptr_t, OpenHandle> handles;
    uintptr_t nextHandle = 0x1000;
    DWORD lastError = 0;
    OutputTarget output = OutputTarget::None;
    size_t outputLimitPerCall = 0;
    bool outputBroken = false;
    UINT ansiCodePage = 1252;
    std::vector<WCHAR> consoleOutput;
    std::string byteOutput;
};

// Below the range of NewHandle's values, and never closed by the program.
const uintptr_t kStandardOutputHandle = 0x54;

State& Platform()
{
    static State state;
    return state;
}

char LowerCharacter(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), LowerCharacter);
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
    return std::to_string(value);
}

std::string Hex(uint64_t value)
{
    char text[24];
    snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

// The pieces std::getline would give: split at each separator, no piece after a final one.
std::vector<std::string> SplitAt(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
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
    // One pass, appending each kept name: this runs many times in every fuzz run.
    std::string normalized;
    normalized.reserve(path.size());
    size_t keptNames = 0;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find_first_of("\\/", begin);
        if (end == std::string::npos) {
            end = path.size();
        }
        const char* name = path.data() + begin;
        size_t length = end - begin;
        const auto isDot = [&] { return length == 1 && name[0] == '.'; };
        const auto isDotDot = [&] { return length == 2 && name[0] == '.' && name[1] == '.'; };
        // Stripping stops at "." or "..": ".. " names the parent folder.
        while (length > 0 && !isDot() && !isDotDot() &&
               (name[length - 1] == '.' || name[length - 1] == ' ')) {
            --length;
        }
        const bool dot = isDot();
        const bool dotDot = isDotDot();
        if (dotDot) {
            if (keptNames > 1) {
                normalized.erase(normalized.rfind('\\'));
                --keptNames;
            }
        } else if (length > 0 && !dot) {
            if (keptNames > 0) {
                normalized += '\\';
            }
            for (size_t i = 0; i < length; ++i) {
                normalized += LowerCharacter(name[i]);
            }
            ++keptNames;
        }
        begin = end + 1;
    }
    return normalized;
}

// A piece of a profile file, by position: looking a key up copies nothing but the value found.
struct Piece {
    const char* text;
    size_t size;
};

Piece TrimBlanks(Piece piece)
{
    while (piece.size > 0 && (piece.text[0] == ' ' || piece.text[0] == '\t')) {
        ++piece.text;
        --piece.size;
    }
    while (piece.size > 0 &&
           (piece.text[piece.size - 1] == ' ' || piece.text[piece.size - 1] == '\t')) {
        --piece.size;
    }
    return piece;
}

bool SameNameIgnoringCase(Piece piece, const std::string& name)
{
    if (piece.size != name.size()) {
        return false;
    }
    for (size_t i = 0; i < piece.size; ++i) {
        if (LowerCharacter(piece.text[i]) != LowerCharacter(name[i])) {
            return false;
        }
    }
    return true;
}

size_t FindInPiece(Piece piece, char wanted)
{
    const void* found = memchr(piece.text, wanted, piece.size);
    return found == nullptr ? piece.size
                            : static_cast<size_t>(static_cast<const char*>(found) - piece.text);
}

// Looks a key up the way profile files are read: the first section of that name, the first key
// of that name in it, names compared without regard to case, blanks around names and values
// trimmed, and one pair of matching quotes around a value removed.
bool FindProfileValue(const std::string& content, const std::string& section,
                      const std::string& key, std::string& value)
{
    bool sectionSeen = false;
    bool inSection = false;
    size_t lineStart = 0;
    while (lineStart < content.size()) {
        Piece line = {content.data() + lineStart, content.size() - lineStart};
        line.size = FindInPiece(line, '\n');
        lineStart += line.size + 1;
        if (line.size > 0 && line.text[line.size - 1] == '\r') {
            --line.size;
        }
        const Piece trimmed = TrimBlanks(line);
        if (trimmed.size > 0 && trimmed.text[0] == '[') {
            const Piece inside = {trimmed.text + 1, trimmed.size - 1};
            const Piece name = TrimBlanks({inside.text, FindInPiece(inside, ']')});
            if (inSection) {
                return false;
            }
            inSection = !sectionSeen && SameNameIgnoringCase(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || trimmed.size == 0 || trimmed.text[0] == ';') {
            continue;
        }
        const size_t equals = FindInPiece(trimmed, '=');
        if (equals == trimmed.size) {
            continue;
        }
        if (!SameNameIgnoringCase(TrimBlanks({trimmed.text, equals}), key)) {
            continue;
        }
        Piece found = TrimBlanks({trimmed.text + equals + 1, trimmed.size - equals - 1});
        if (found.size >= 2 && (found.text[0] == '"' || found.text[0] == '\'') &&
            found.text[found.size - 1] == found.text[0]) {
            found = {found.text + 1, found.size - 2};
        }
        value.assign(found.text, found.size);
        return true;
    }
    return false;
}

// Code page 1252 as published: 0x80-0x9F hold these characters, every other byte is the
// character of that number.
const WCHAR kCodePage1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsCodePage932LeadByte(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The double-byte code page's lead bytes and half-width letters are those of 932; what a pair
// stands for is the stand-in's own choice (one character per pair, distinct for each pair).
// A lead byte with nothing after it becomes the code page's default character.
std::vector<WCHAR> ConvertText(const std::string& text, UINT codePage)
{
    std::vector<WCHAR> wide;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t byte = static_cast<uint8_t>(text[i]);
        if (codePage == 1252) {
            wide.push_back(byte >= 0x80 && byte <= 0x9F ? kCodePage1252High[byte - 0x80] : byte);
        } else if (codePage == 932) {
            if (byte < 0x80) {
                wide.push_back(byte);
            } else if (IsCodePage932LeadByte(byte)) {
                if (i + 1 == text.size()) {
                    wide.push_back(0x30FB);
                } else {
                    const unsigned pair = (static_cast<unsigned>(byte) << 8) |
                                          static_cast<uint8_t>(text[i + 1]);
                    wide.push_back(static_cast<WCHAR>(0x4E00 + pair % 0x5000));
                    ++i;
                }
            } else if (byte >= 0xA1 && byte <= 0xDF) {
                wide.push_back(static_cast<WCHAR>(0xFF61 + (byte - 0xA1)));
            } else {
                wide.push_back(0x30FB);
            }
        } else {
            // UTF-8: a sequence that is cut, malformed or too long gives U+FFFD for its first
            // byte, and decoding goes on at the next.
            size_t needed = byte < 0x80 ? 1 : byte >= 0xF0 && byte <= 0xF4 ? 4
                                          : byte >= 0xE0              ? 3
                                          : byte >= 0xC2 && byte < 0xE0 ? 2
                                                                        : 0;
            uint32_t code = needed == 4 ? byte & 0x07u : needed == 3 ? byte & 0x0Fu
                                                     : needed == 2   ? byte & 0x1Fu
                                                                     : byte;
            bool valid = needed != 0 && i + needed <= text.size();
            for (size_t k = 1; valid && k < needed; ++k) {
                const uint8_t next = static_cast<uint8_t>(text[i + k]);
                valid = (next & 0xC0) == 0x80;
                code = (code << 6) | (next & 0x3Fu);
            }
            valid = valid && !(needed == 3 && code < 0x800) && !(needed == 4 && code < 0x10000) &&
                    code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
            if (!valid) {
                wide.push_back(0xFFFD);
                continue;
            }
            if (code >= 0x10000) {
                wide.push_back(static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10)));
                wide.push_back(static_cast<WCHAR>(0xDC00 + ((code - 0x10000) & 0x3FF)));
            } else {
                wide.push_back(static_cast<WCHAR>(code));
            }
            i += needed - 1;
        }
    }
    return wide;
}

bool IsStandardOutput(HANDLE handle)
{
    return reinterpret_cast<uintptr_t>(handle) == kStandardOutputHandle &&
           Platform().output != OutputTarget::None;
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

void AddFolder(const std::string& windowsPath)
{
    Platform().folders.push_back(NormalizePath(windowsPath));
}

void SetCurrentFolder(const std::string& windowsPath)
{
    Platform().currentFolder = windowsPath;
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

void SetSystemFolder(const std::string& path, bool failure)
{
    Platform().systemFolder = path;
    Platform().systemFolderFailure = failure;
}

void FailLibraryLoad(const std::string& fileName)
{
    Platform().failingLibraries.push_back(Lower(fileName));
}

void RemoveLibraryFunction(const std::string& function)
{
    Platform().removedFunctions.push_back(function);
}

void SetLibrarySearchCalls(bool hasSetDefaultDllDirectories, bool hasSetDllDirectory)
{
    Platform().hasSetDefaultDllDirectories = hasSetDefaultDllDirectories;
    Platform().hasSetDllDirectory = hasSetDllDirectory;
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
        if (handle.second.kind != HandleKind::Library) {
            names.push_back(Hex(handle.first));
        }
    }
    return names;
}

std::vector<std::string> LoadedLibraries()
{
    std::vector<std::string> names;
    for (const auto& handle : Platform().handles) {
        if (handle.second.kind == HandleKind::Library) {
            names.push_back(Platform().libraryNames[handle.first]);
        }
    }
    return names;
}

bool NameTheSameFileOnDisk(const std::string& firstPath, const std::string& secondPath)
{
    return NormalizePath(firstPath) == NormalizePath(secondPath);
}

void SetStandardOutput(OutputTarget target, size_t limitPerCall)
{
    Platform().output = target;
    Platform().outputLimitPerCall = limitPerCall;
}

void BreakStandardOutput()
{
    Platform().outputBroken = true;
}

void SetAnsiCodePage(UINT codePage)
{
    Platform().ansiCodePage = codePage;
}

const std::vector<WCHAR>& ConsoleOutput()
{
    return Platform().consoleOutput;
}

const std::string& ByteOutput()
{
    return Platform().byteOutput;
}

std::vector<WCHAR> ConvertAnsiText(const std::string& text)
{
    return ConvertText(text, Platform().ansiCodePage);
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

void WINAPI SetLastError(DWORD errorCode)
{
    Platform().lastError = errorCode;
}

// A folder that does not fit comes back as the size it needs, terminator included, with
// nothing written.
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    const State& state = Platform();
    Record("GetSystemDirectoryA", {Number(size)});
    if (state.systemFolderFailure) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t length = state.systemFolder.size();
    if (length + 1 > size) {
        return static_cast<UINT>(length + 1);
    }
    memcpy(buffer, state.systemFolder.c_str(), length + 1);
    return static_cast<UINT>(length);
}

// KERNEL32 is loaded in every process: its handle is not one the program may free.
static HMODULE const kKernel32Module = reinterpret_cast<HMODULE>(uintptr_t{0x7B600000});

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    Record("GetModuleHandleA", {Text(moduleName)});
    if (moduleName != nullptr && Lower(moduleName) == "kernel32.dll") {
        return kKernel32Module;
    }
    SetError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE WINAPI LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags)
{
    State& state = Platform();
    Record("LoadLibraryExA", {Text(fileName), Pointer(file), Hex(flags)});
    if (fileName == nullptr || file != nullptr) {
        Fault("LoadLibraryExA: no file name, or a file handle, which must be null");
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string path = fileName;
    const size_t lastBackslash = path.rfind('\\');
    const bool absolute = path.size() > 2 && path[1] == ':' && path[2] == '\\';
    if (!absolute) {
        Fault("LoadLibraryExA: " + path + " is searched for by name, beside the program first");
        SetError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const std::string name = Lower(path.substr(lastBackslash + 1));
    if (NormalizePath(path.substr(0, lastBackslash)) != NormalizePath(state.systemFolder) ||
        name.empty() ||
        std::find(state.failingLibraries.begin(), state.failingLibraries.end(), name) !=
            state.failingLibraries.end()) {
        SetError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const uintptr_t library = NewHandle({HandleKind::Library, {}, 0});
    state.libraryNames[library] = name;
    return reinterpret_cast<HMODULE>(library);
}

// The functions found only through GetProcAddress: those of the libraries the gate loads and
// KERNEL32's calls that restrict the library search.
namespace exported {
BOOL WINAPI SetDefaultDllDirectories(DWORD directoryFlags);
BOOL WINAPI SetDllDirectoryA(LPCSTR pathName);
// The rest have the signatures the program declares them with.
decltype(::MessageBoxA) MessageBoxA;
decltype(::SetupDiClassGuidsFromNameA) SetupDiClassGuidsFromNameA;
decltype(::SetupDiGetClassDevsA) SetupDiGetClassDevsA;
decltype(::SetupDiEnumDeviceInfo) SetupDiEnumDeviceInfo;
decltype(::SetupDiOpenDevRegKey) SetupDiOpenDevRegKey;
decltype(::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList;
decltype(::SetupDiGetDeviceInstanceIdA) SetupDiGetDeviceInstanceIdA;
decltype(::SetupDiGetDeviceRegistryPropertyA) SetupDiGetDeviceRegistryPropertyA;
} // namespace exported

template <typename Function>
static FARPROC Address(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

static FARPROC FindExport(const std::string& library, const std::string& name)
{
    const State& state = Platform();
    if (std::find(state.removedFunctions.begin(), state.removedFunctions.end(), name) !=
        state.removedFunctions.end()) {
        return nullptr;
    }
    if (library == "kernel32.dll") {
        if (name == "SetDefaultDllDirectories" && state.hasSetDefaultDllDirectories) {
            return Address(&exported::SetDefaultDllDirectories);
        }
        if (name == "SetDllDirectoryA" && state.hasSetDllDirectory) {
            return Address(&exported::SetDllDirectoryA);
        }
    } else if (library == "user32.dll") {
        if (name == "MessageBoxA") {
            return Address(&exported::MessageBoxA);
        }
    } else if (library == "setupapi.dll") {
        if (name == "SetupDiClassGuidsFromNameA") {
            return Address(&exported::SetupDiClassGuidsFromNameA);
        }
        if (name == "SetupDiGetClassDevsA") {
            return Address(&exported::SetupDiGetClassDevsA);
        }
        if (name == "SetupDiEnumDeviceInfo") {
            return Address(&exported::SetupDiEnumDeviceInfo);
        }
        if (name == "SetupDiOpenDevRegKey") {
            return Address(&exported::SetupDiOpenDevRegKey);
        }
        if (name == "SetupDiDestroyDeviceInfoList") {
            return Address(&exported::SetupDiDestroyDeviceInfoList);
        }
        if (name == "SetupDiGetDeviceInstanceIdA") {
            return Address(&exported::SetupDiGetDeviceInstanceIdA);
        }
        if (name == "SetupDiGetDeviceRegistryPropertyA") {
            return Address(&exported::SetupDiGetDeviceRegistryPropertyA);
        }
    }
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName)
{
    Record("GetProcAddress", {HandleName(module), Text(procName)});
    const OpenHandle* library = FindHandle(module, HandleKind::Library);
    if (module != kKernel32Module && library == nullptr) {
        Fault("GetProcAddress: not a loaded library");
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const FARPROC address =
        procName == nullptr
            ? nullptr
            : FindExport(library == nullptr
                             ? std::string("kernel32.dll")
                             : Platform().libraryNames[reinterpret_cast<uintptr_t>(module)],
                         procName);
    if (address == nullptr) {
        SetError(ERROR_PROC_NOT_FOUND);
    }
    return address;
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

namespace exported {

BOOL WINAPI SetDefaultDllDirectories(DWORD directoryFlags)
{
    Record("SetDefaultDllDirectories", {Hex(directoryFlags)});
    return TRUE;
}

BOOL WINAPI SetDllDirectoryA(LPCSTR pathName)
{
    Record("SetDllDirectoryA", {Text(pathName)});
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

// The device a record names, when it is one of the set's; a fault otherwise.
static const Device* FindSetDevice(const char* function, HDEVINFO deviceInfoSet,
                                   const SP_DEVINFO_DATA* deviceInfoData)
{
    const OpenHandle* set = FindHandle(deviceInfoSet, HandleKind::DeviceSet);
    if (set == nullptr || deviceInfoData == nullptr ||
        deviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA) ||
        std::find(set->devices.begin(), set->devices.end(), deviceInfoData->Reserved) ==
            set->devices.end()) {
        Fault(std::string(function) + ": not a device of this set");
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return &Platform().devices[deviceInfoData->Reserved].device;
}

// The identifier comes back terminated; a buffer too small gets ERROR_INSUFFICIENT_BUFFER and
// the size needed, terminator included, and holds junk.
BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO deviceInfoSet, PSP_DEVINFO_DATA deviceInfoData,
                                        PSTR deviceInstanceId, DWORD deviceInstanceIdSize,
                                        PDWORD requiredSize)
{
    Record("SetupDiGetDeviceInstanceIdA",
           {HandleName(deviceInfoSet), Number(deviceInstanceIdSize)});
    const Device* device = FindSetDevice("SetupDiGetDeviceInstanceIdA", deviceInfoSet,
                                         deviceInfoData);
    if (device == nullptr) {
        return FALSE;
    }
    if (deviceInstanceId == nullptr && deviceInstanceIdSize > 0) {
        Fault("SetupDiGetDeviceInstanceIdA: a size without a buffer");
        SetError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(device->instanceId.size() + 1);
    if (requiredSize != nullptr) {
        *requiredSize = needed;
    }
    if (deviceInstanceIdSize < needed) {
        if (deviceInstanceId != nullptr) {
            memset(deviceInstanceId, 0xCC, deviceInstanceIdSize);
        }
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(deviceInstanceId, device->instanceId.c_str(), needed);
    return TRUE;
}

// The property comes back as stored, terminated or not, with its type; one the device lacks
// fails with ERROR_INVALID_DATA; a buffer too small gets ERROR_INSUFFICIENT_BUFFER and the size
// needed, and holds junk.
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO deviceInfoSet,
                                              PSP_DEVINFO_DATA deviceInfoData, DWORD property,
                                              PDWORD propertyRegDataType, PBYTE propertyBuffer,
                                              DWORD propertyBufferSize, PDWORD requiredSize)
{
    Record("SetupDiGetDeviceRegistryPropertyA", {HandleName(deviceInfoSet), Hex(property),
                                                 Number(propertyBufferSize)});
    const Device* device = FindSetDevice("SetupDiGetDeviceRegistryPropertyA", deviceInfoSet,
                                         deviceInfoData);
    if (device == nullptr) {
        return FALSE;
    }
    if (propertyBuffer == nullptr && propertyBufferSize > 0) {
        Fault("SetupDiGetDeviceRegistryPropertyA: a size without a buffer");
        SetError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    const auto found = device->properties.find(property);
    if (found == device->properties.end()) {
        SetError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(found->second.bytes.size());
    if (propertyRegDataType != nullptr) {
        *propertyRegDataType = found->second.type;
    }
    if (requiredSize != nullptr) {
        *requiredSize = needed;
    }
    if (propertyBufferSize < needed) {
        if (propertyBuffer != nullptr) {
            memset(propertyBuffer, 0xCC, propertyBufferSize);
        }
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (needed > 0) {
        memcpy(propertyBuffer, found->second.bytes.data(), needed);
    }
    return TRUE;
}

} // namespace exported

DWORD WINAPI GetFileAttributesA(LPCSTR fileName)
{
    const State& state = Platform();
    Record("GetFileAttributesA", {Text(fileName)});
    if (fileName == nullptr) {
        Fault("GetFileAttributesA: no file name");
        SetError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string wanted = NormalizePath(fileName);
    if (state.files.count(wanted) != 0 ||
        (wanted == NormalizePath(state.modulePath) && !state.moduleFailure)) {
        return FILE_ATTRIBUTE_ARCHIVE;
    }
    for (const std::string& folder : state.folders) {
        if (folder == wanted || folder.rfind(wanted + "\\", 0) == 0) {
            return FILE_ATTRIBUTE_DIRECTORY;
        }
    }
    for (const auto& file : state.files) {
        if (!wanted.empty() && file.first.rfind(wanted + "\\", 0) == 0) {
            return FILE_ATTRIBUTE_DIRECTORY;
        }
    }
    SetError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
}

// A path that begins with a drive and a backslash is already full; any other is taken below the
// current folder. The result fits with its terminator or is not written: then the size it
// needs, terminator included, comes back.
DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart)
{
    Record("GetFullPathNameA", {Text(fileName), Number(bufferLength)});
    if (fileName == nullptr || fileName[0] == '\0' || (buffer == nullptr && bufferLength > 0)) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name = fileName;
    const bool full = name.size() >= 3 && name[1] == ':' && name[2] == '\\';
    // "." and ".." are resolved, never above the drive; a trailing backslash stays.
    std::vector<std::string> parts;
    const std::string joined = full ? name : Platform().currentFolder + "\\" + name;
    for (const std::string& part : SplitAt(joined, '\\')) {
        if (part == "..") {
            if (parts.size() > 1) {
                parts.pop_back();
            }
        } else if (part != "." && (!part.empty() || parts.empty())) {
            parts.push_back(part);
        }
    }
    std::string path;
    for (const std::string& kept : parts) {
        path += (path.empty() ? "" : "\\") + kept;
    }
    if (parts.size() == 1 || name.back() == '\\') {
        path += "\\";
    }
    if (path.size() + 1 > bufferLength) {
        return static_cast<DWORD>(path.size() + 1);
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    if (filePart != nullptr) {
        *filePart = buffer + path.rfind('\\') + 1;
    }
    return static_cast<DWORD>(path.size());
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

HANDLE WINAPI GetStdHandle(DWORD standardHandle)
{
    Record("GetStdHandle", {Hex(standardHandle)});
    if (standardHandle != STD_OUTPUT_HANDLE) {
        SetError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    // A process started without standard handles gets a null handle.
    if (Platform().output == OutputTarget::None) {
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(kStandardOutputHandle);
}

BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode)
{
    Record("GetConsoleMode", {HandleName(console)});
    if (mode == nullptr) {
        Fault("GetConsoleMode: no place for the mode");
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsStandardOutput(console) || Platform().output != OutputTarget::Console) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *mode = 0x3;  // processed output, wrap at the end of a line
    return TRUE;
}

// A write may take fewer than it was given when a limit per call is set; the caller is told how
// many through the count.
static DWORD TakeFromWrite(DWORD offered)
{
    const size_t limit = Platform().outputLimitPerCall;
    return limit != 0 && offered > limit ? static_cast<DWORD>(limit) : offered;
}

BOOL WINAPI WriteConsoleW(HANDLE console, const WCHAR* buffer, DWORD charsToWrite,
                          LPDWORD charsWritten, LPVOID reserved)
{
    State& state = Platform();
    Record("WriteConsoleW", {HandleName(console), Number(charsToWrite)});
    if (charsWritten != nullptr) {
        *charsWritten = 0;
    }
    if (buffer == nullptr || reserved != nullptr) {
        Fault("WriteConsoleW: no text, or a reserved argument set");
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsStandardOutput(console) || state.output != OutputTarget::Console) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (state.outputBroken) {
        SetError(ERROR_NO_DATA);
        return FALSE;
    }
    const DWORD taken = TakeFromWrite(charsToWrite);
    state.consoleOutput.insert(state.consoleOutput.end(), buffer, buffer + taken);
    if (charsWritten != nullptr) {
        *charsWritten = taken;
    }
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped)
{
    State& state = Platform();
    Record("WriteFile", {HandleName(file), Number(bytesToWrite)});
    if (bytesWritten == nullptr && overlapped == nullptr) {
        Fault("WriteFile: a write without overlapped record needs the written count");
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (bytesWritten != nullptr) {
        *bytesWritten = 0;
    }
    if (buffer == nullptr && bytesToWrite > 0) {
        Fault("WriteFile: no bytes");
        SetError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (!IsStandardOutput(file)) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (state.outputBroken) {
        SetError(ERROR_NO_DATA);
        return FALSE;
    }
    const DWORD taken = TakeFromWrite(bytesToWrite);
    state.byteOutput.append(static_cast<const char*>(buffer), taken);
    *bytesWritten = taken;
    return TRUE;
}

UINT WINAPI GetACP(void)
{
    Record("GetACP", {});
    return Platform().ansiCodePage;
}

BOOL WINAPI IsDBCSLeadByte(BYTE testChar)
{
    return Platform().ansiCodePage == 932 && IsCodePage932LeadByte(testChar);
}

// Converts exactly the bytes given (a NUL among them too; -1 means up to and with the
// terminator). Given no room (0) it tells the room needed; given too little it fails with
// ERROR_INSUFFICIENT_BUFFER, and what it wrote is not to be used: the stand-in writes junk.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteText,
                               int multiByteSize, WCHAR* wideText, int wideSize)
{
    State& state = Platform();
    Record("MultiByteToWideChar", {Number(codePage), Hex(flags), Number(static_cast<uint32_t>(
                                       multiByteSize)), Number(static_cast<uint32_t>(wideSize))});
    const UINT effective = codePage == CP_ACP ? state.ansiCodePage : codePage;
    if (effective != state.ansiCodePage && effective != CP_UTF8) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags != 0) {
        SetError(1004L);  // ERROR_INVALID_FLAGS
        return 0;
    }
    if (multiByteText == nullptr || multiByteSize == 0 || multiByteSize < -1 || wideSize < 0 ||
        (wideSize > 0 && wideText == nullptr)) {
        Fault("MultiByteToWideChar: bad text or buffer");
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t size = multiByteSize == -1 ? strlen(multiByteText) + 1
                                            : static_cast<size_t>(multiByteSize);
    const std::vector<WCHAR> wide = ConvertText(std::string(multiByteText, size), effective);
    if (wideSize == 0) {
        return static_cast<int>(wide.size());
    }
    if (wide.size() > static_cast<size_t>(wideSize)) {
        std::fill(wideText, wideText + wideSize, static_cast<WCHAR>(0xCCCC));
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(wide.begin(), wide.end(), wideText);
    return static_cast<int>(wide.size());
}
