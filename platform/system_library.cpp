#include "platform/system_library.h"

#include "launch_gate/program_path.h"

namespace {

const DWORD kPathCapacity = 260;
const DWORD kLoadLibrarySearchSystem32 = 0x00000800;

const char* const kLibraryFileNames[kSystemLibraryCount] = {"setupapi.dll", "user32.dll"};

struct FunctionEntry {
    SystemLibrary library;
    const char* name;
    bool neededByTheCheck;  // looked up when the library is loaded; otherwise when first asked
};

// In the order of SystemFunction.
const FunctionEntry kFunctions[kSystemFunctionCount] = {
    {kSetupApiLibrary, "SetupDiClassGuidsFromNameA", true},
    {kSetupApiLibrary, "SetupDiGetClassDevsA", true},
    {kSetupApiLibrary, "SetupDiEnumDeviceInfo", true},
    {kSetupApiLibrary, "SetupDiOpenDevRegKey", true},
    {kSetupApiLibrary, "SetupDiDestroyDeviceInfoList", true},
    {kSetupApiLibrary, "SetupDiGetDeviceInstanceIdA", false},
    {kSetupApiLibrary, "SetupDiGetDeviceRegistryPropertyA", false},
    {kUser32Library, "MessageBoxA", true},
};

// Libraries that showing a box makes the system load by name (USER32's own start, theming,
// the dialog's COM and drawing helpers). Loaded by full path before USER32, a later load by
// name finds them already in the process and searches no folder. Where one does not exist
// (Windows XP has no combase or win32u), nothing is lost.
const char* const kBoxCompanionFileNames[] = {"win32u.dll", "gdi32.dll",   "imm32.dll",
                                              "uxtheme.dll", "combase.dll", "ole32.dll",
                                              "msimg32.dll"};
const size_t kBoxCompanionCount = sizeof(kBoxCompanionFileNames) / sizeof(kBoxCompanionFileNames[0]);

HMODULE loadedLibraries[kSystemLibraryCount] = {};
FARPROC functionAddresses[kSystemFunctionCount] = {};
HMODULE boxCompanions[kBoxCompanionCount] = {};

HMODULE LoadFromSystemFolder(const char* fileName)
{
    char path[kPathCapacity];
    if (!FormSystemLibraryPath(fileName, path, kPathCapacity)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void ReleaseBoxCompanions()
{
    for (size_t i = kBoxCompanionCount; i > 0; --i) {
        if (boxCompanions[i - 1] != nullptr) {
            FreeLibrary(boxCompanions[i - 1]);
            boxCompanions[i - 1] = nullptr;
        }
    }
}

void LoadBoxCompanions()
{
    for (size_t i = 0; i < kBoxCompanionCount; ++i) {
        if (boxCompanions[i] == nullptr) {
            boxCompanions[i] = LoadFromSystemFolder(kBoxCompanionFileNames[i]);
        }
    }
}

// Loads `library` and finds every function the gate uses from it; a library that lacks one is
// released again, so that no half-usable library is ever called.
bool LoadSystemLibrary(SystemLibrary library)
{
    if (library == kUser32Library) {
        LoadBoxCompanions();
    }
    HMODULE module = LoadFromSystemFolder(kLibraryFileNames[library]);
    if (module == nullptr) {
        const DWORD error = GetLastError();
        ReleaseSystemLibrary(library);
        SetLastError(error);
        return false;
    }
    loadedLibraries[library] = module;
    for (int i = 0; i < kSystemFunctionCount; ++i) {
        if (kFunctions[i].library != library || !kFunctions[i].neededByTheCheck) {
            continue;
        }
        functionAddresses[i] = GetProcAddress(module, kFunctions[i].name);
        if (functionAddresses[i] == nullptr) {
            ReleaseSystemLibrary(library);
            SetLastError(ERROR_PROC_NOT_FOUND);
            return false;
        }
    }
    return true;
}

} // namespace

void RestrictLibrarySearch()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    typedef BOOL(WINAPI * SetDllDirectoryFunction)(LPCSTR);

    // KERNEL32 is among the static imports: this finds it loaded, it searches for nothing.
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (kernel32 == nullptr) {
        return;
    }
    const FARPROC setDefaultDllDirectories = GetProcAddress(kernel32, "SetDefaultDllDirectories");
    if (setDefaultDllDirectories != nullptr) {
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(
            reinterpret_cast<void (*)(void)>(setDefaultDllDirectories))(kLoadLibrarySearchSystem32);
    }
    const FARPROC setDllDirectory = GetProcAddress(kernel32, "SetDllDirectoryA");
    if (setDllDirectory != nullptr) {
        reinterpret_cast<SetDllDirectoryFunction>(
            reinterpret_cast<void (*)(void)>(setDllDirectory))("");
    }
}

bool FormSystemLibraryPath(const char* fileName, char* path, size_t capacity)
{
    if (capacity == 0) {
        return false;
    }
    path[0] = '\0';
    char systemFolder[kPathCapacity];
    // The length excludes the terminator on success; a folder that does not fit comes back as
    // the size it needs, terminator included.
    const UINT length = GetSystemDirectoryA(systemFolder, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) {
        return false;
    }
    systemFolder[length] = '\0';
    return JoinPath(systemFolder, fileName, path, capacity);
}

FARPROC FindSystemFunction(SystemFunction function)
{
    const SystemLibrary library = kFunctions[function].library;
    if (loadedLibraries[library] == nullptr && !LoadSystemLibrary(library)) {
        return nullptr;
    }
    if (functionAddresses[function] == nullptr) {
        functionAddresses[function] = GetProcAddress(loadedLibraries[library],
                                                     kFunctions[function].name);
        if (functionAddresses[function] == nullptr) {
            SetLastError(ERROR_PROC_NOT_FOUND);
        }
    }
    return functionAddresses[function];
}

void ReleaseSystemLibrary(SystemLibrary library)
{
    for (int i = 0; i < kSystemFunctionCount; ++i) {
        if (kFunctions[i].library == library) {
            functionAddresses[i] = nullptr;
        }
    }
    if (loadedLibraries[library] != nullptr) {
        FreeLibrary(loadedLibraries[library]);
        loadedLibraries[library] = nullptr;
    }
    if (library == kUser32Library) {
        ReleaseBoxCompanions();
    }
}
