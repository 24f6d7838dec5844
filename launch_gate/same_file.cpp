#include "launch_gate/same_file.h"

#include "platform/win32_api.h"

namespace {

// Opens a file only to ask for its identity: no access to its data, and every kind of sharing
// allowed, so that a running program (the gate itself) opens too.
bool ReadFileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION& identity)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool known = GetFileInformationByHandle(file, &identity) != FALSE;
    CloseHandle(file);
    return known;
}

} // namespace

bool NameTheSameFile(const char* firstPath, const char* secondPath)
{
    BY_HANDLE_FILE_INFORMATION first = {};
    BY_HANDLE_FILE_INFORMATION second = {};
    if (!ReadFileIdentity(firstPath, first) || !ReadFileIdentity(secondPath, second)) {
        return false;
    }
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}
