#pragma once

// Test-side control of the Win32 stand-in: what the platform holds for one run (program path,
// files, device classes with their devices and driver keys, what a process start returns) and
// the record of every call the program made, with its arguments.

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "win32_declarations.h"

namespace win32_standin {

struct RegistryValue {
    DWORD type = REG_SZ;
    std::vector<uint8_t> bytes;
};

struct Device {
    bool present = true;
    bool hasDriverKey = true;
    // The Plug and Play enumerator that lists the device, matched without regard to case.
    std::string enumerator = "PCI";
    // Values of the device's own driver key, by name (looked up without regard to case).
    std::map<std::string, RegistryValue> driverValues;
    // What SetupDiGetDeviceInstanceIdA reports (it adds the terminator).
    std::string instanceId = "PCI\\VEN_10DE&DEV_0001\\4&1A2B3C&0&0008";
    // Registry properties of the device (SPDRP_DEVICEDESC, ...), as stored.
    std::map<DWORD, RegistryValue> properties;
};

// A text value stored the way the platform stores REG_SZ data: with its terminator.
RegistryValue TextValue(const std::string& text);
// Raw bytes of any type, terminated or not.
RegistryValue RawValue(DWORD type, const std::string& bytes);
// A present device whose driver key holds "DriverDate" = `date`.
Device DeviceWithDriverDate(const std::string& date);

struct Call {
    std::string function;
    std::vector<std::string> arguments;
};

// Rendering of pointer arguments in the call record.
extern const char kNullArgument[];

// Forgets everything: no files, no classes, no calls, no open handles; the program path is
// "C:\gate\gate.exe" and a process start succeeds.
void Reset();

// What GetModuleFileNameA reports. `failure` makes it return 0.
void SetModulePath(const std::string& path, bool failure = false);

// The stand-in's disk: files by Windows path, found without regard to case.
void WriteFile(const std::string& windowsPath, const std::string& content);
// A folder on the disk (the folders above every file are there too).
void AddFolder(const std::string& windowsPath);
// The current folder, against which GetFullPathNameA resolves a relative path ("C:\\work" after
// Reset).
void SetCurrentFolder(const std::string& windowsPath);

// A setup class name and the identifiers the platform lists for it (none is allowed).
void AddDeviceClass(const std::string& name, const std::vector<GUID>& identifiers);
// Devices of a class, in the platform's enumeration order.
void AddDevice(const GUID& classIdentifier, const Device& device);
void FailDeviceSet(bool failure);

void SetProcessStartResult(bool succeeds);

// Libraries: any file in the system folder loads, by its full path; SETUPAPI and USER32 export
// what the gate uses of them, and KERNEL32 (always loaded) the calls that restrict the library
// search where the scripted Windows has them. A load of a bare name, which the system would
// search for, is misuse.
extern const char kSystemFolder[];
// What GetSystemDirectoryA reports (kSystemFolder after Reset). `failure` makes it return 0.
void SetSystemFolder(const std::string& path, bool failure = false);
// Loading the system library of this file name ("user32.dll") fails.
void FailLibraryLoad(const std::string& fileName);
// The loaded library lacks this function.
void RemoveLibraryFunction(const std::string& function);
// Which of SetDefaultDllDirectories and SetDllDirectoryA KERNEL32 has (both after Reset).
void SetLibrarySearchCalls(bool hasSetDefaultDllDirectories, bool hasSetDllDirectory);

// What the user does with a message box: press its default button, press Yes, press No, or the
// box cannot be shown at all (MessageBoxA returns 0). A button the box does not have cannot be
// pressed: the default button is pressed instead.
enum class BoxAnswer { DefaultButton, Yes, No, CannotShow };
void SetBoxAnswer(BoxAnswer answer);

// What GetPrivateProfileStringA hands back for this key with a field of `capacity` bytes, without
// recording a call.
std::string ProfileValue(const std::string& fileName, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         size_t capacity);

const std::vector<Call>& Calls();
// Calls of one function, in order.
std::vector<Call> CallsTo(const std::string& function);
// Names of the handles and keys that are still open (libraries aside).
std::vector<std::string> OpenHandles();
// File names of the libraries still loaded, once per load not yet freed.
std::vector<std::string> LoadedLibraries();
// Misuse the stand-in saw: a bad handle closed, a wrong record size, a short buffer.
const std::vector<std::string>& Faults();

GUID MakeGuid(uint32_t data1);

// The program's standard output, as GetStdHandle(STD_OUTPUT_HANDLE) hands it over: none (a null
// handle), a console, or a file or pipe. `limitPerCall`, when not 0, is the most one write takes.
enum class OutputTarget { None, Console, FileOrPipe };
void SetStandardOutput(OutputTarget target, size_t limitPerCall = 0);
// The reader went away (a closed pipe): every later write fails.
void BreakStandardOutput();
// The ANSI code page: 1252 (the default), 932 (double-byte) or 65001 (UTF-8).
void SetAnsiCodePage(UINT codePage);
// What WriteConsoleW wrote, and what WriteFile wrote, to standard output.
const std::vector<WCHAR>& ConsoleOutput();
const std::string& ByteOutput();
// `text` in the ANSI code page converted in one piece, as MultiByteToWideChar converts it.
std::vector<WCHAR> ConvertAnsiText(const std::string& text);

// Whether two paths name one file on the stand-in's disk, by its own reading of paths.
bool NameTheSameFileOnDisk(const std::string& firstPath, const std::string& secondPath);

} // namespace win32_standin
