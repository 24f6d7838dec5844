/*
 * marker_dll: planted beside the gate under the name of a system library (setupapi.dll,
 * user32.dll, ...). When a process loads it, it leaves a marker file beside itself,
 *
 *   <its own path>.<the process's file name>.loaded
 *
 * holding the process's command line, and loads no further: it exports nothing, so a process
 * that took it for the real library fails to find what it needs there. Its presence in a
 * folder proves nothing; a marker proves that some process loaded it.
 */
#include <windows.h>
#include <string.h>

static void leave_marker(HINSTANCE self)
{
    char dll[MAX_PATH], program[MAX_PATH], marker[2 * MAX_PATH + 16];
    const char *program_name;
    DWORD dll_len = GetModuleFileNameA(self, dll, sizeof dll);
    DWORD program_len = GetModuleFileNameA(NULL, program, sizeof program);
    HANDLE file;
    DWORD written;
    const char *command_line = GetCommandLineA();

    if (dll_len == 0 || dll_len >= sizeof dll || program_len == 0 || program_len >= sizeof program)
        return;
    program_name = strrchr(program, '\\');
    program_name = program_name ? program_name + 1 : program;
    if (strlen(dll) + 1 + strlen(program_name) + sizeof ".loaded" > sizeof marker)
        return;
    strcpy(marker, dll);
    strcat(marker, ".");
    strcat(marker, program_name);
    strcat(marker, ".loaded");
    file = CreateFileA(marker, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteFile(file, command_line, (DWORD)strlen(command_line), &written, NULL);
    CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        leave_marker(self);
    return TRUE;
}
