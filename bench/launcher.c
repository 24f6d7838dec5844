/*
 * The least any gate can cost: starts trivial_app.exe from its own folder with the command line
 * "-x 1", waits for it and exits. No settings, no check.
 */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    static const char name[] = "trivial_app.exe";
    char path[MAX_PATH];
    char arguments[] = "-x 1";
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD length;
    char *slash;

    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    path[length] = '\0';
    slash = strrchr(path, '\\');
    if (slash == NULL || (size_t)(slash + 1 - path) + sizeof name > sizeof path)
        return 0;
    memcpy(slash + 1, name, sizeof name);

    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    memset(&process, 0, sizeof process);
    if (!CreateProcessA(path, arguments, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}
