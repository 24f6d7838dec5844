#pragma once

#include <stddef.h>

#include "platform/win32_api.h"

// How the gate reaches the system libraries that are not among its static imports: by their
// full path in the system folder, when first needed, never by a name searched for in the
// program's or the caller's folder, where anyone could have put a library of that name.

enum SystemLibrary { kSetupApiLibrary, kUser32Library, kSystemLibraryCount };

// Every function reached through a loaded library.
enum SystemFunction {
    kSetupDiClassGuidsFromNameA,
    kSetupDiGetClassDevsA,
    kSetupDiEnumDeviceInfo,
    kSetupDiOpenDevRegKey,
    kSetupDiDestroyDeviceInfoList,
    kSetupDiGetDeviceInstanceIdA,
    kSetupDiGetDeviceRegistryPropertyA,
    kMessageBoxA,
    kSystemFunctionCount
};

// First thing at start-up: takes the program's and the current folder out of the search for
// libraries, as far as the system offers calls for it (looked up at run time: Windows XP has
// neither SetDefaultDllDirectories nor, before SP1, SetDllDirectoryA).
void RestrictLibrarySearch();

// Writes the system folder, a backslash and `fileName` into `path`. Returns false, leaving
// `path` empty, when the system folder is unknown or the result would not fit in `capacity`.
bool FormSystemLibraryPath(const char* fileName, char* path, size_t capacity);

// The address of `function`, loading its library first if need be. Null, with the last error
// set, when the library cannot be loaded or lacks any function the gate uses from it: such a
// library is not used at all. The functions only the check tool uses, for information, are
// looked up when first asked for; one that is missing leaves the library in use.
FARPROC FindSystemFunction(SystemFunction function);

// Releases `library` and what was loaded along with it; its functions are found anew after it.
void ReleaseSystemLibrary(SystemLibrary library);
