/*
 * probe_app: stand-in for the application the launch gate starts.
 *
 * It appends a record to "probe_record.txt" in the folder of its own exe:
 *
 *   run_begin
 *   pid=<process id>
 *   cmdline_len=<byte length of GetCommandLineA()>
 *   cmdline=<GetCommandLineA(), verbatim>
 *   cwd=<GetCurrentDirectoryA()>
 *   os_version=<major.minor of the Windows version the system reports (RtlGetVersion)>
 *   argc=<number of arguments, as this program's C runtime split the command line>
 *   argv0=<the first of them>, argv1=..., one line each
 *   start_unix_ms=<wall clock at start, ms since 1970-01-01 UTC>
 *   start_tick_ms=<GetTickCount64() at start>
 *   end_unix_ms=<wall clock just before exit>
 *   end_tick_ms=<GetTickCount64() just before exit>
 *   exit=<exit status>
 *   run_end
 *
 * The part up to start_tick_ms is written and flushed before sleeping, so a
 * record without "run_end" means the probe is still running (or died).
 * Each run appends one record; delete the file before a scenario to count runs.
 *
 * Behaviour is taken from "probe_control.txt" in the same folder (never from
 * the command line, which is what is being observed):
 *   sleep_ms=<N>   sleep N milliseconds before exiting (default 0)
 *   exit=<N>       exit status (default 0)
 * Unknown lines are ignored; a missing file means the defaults.
 *
 * Lines end in LF only (file opened in binary mode).
 *
 * Built for the GUI subsystem so that starting it never creates a console.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned long long unix_ms_now(void)
{
    FILETIME ft;
    ULARGE_INTEGER u;
    GetSystemTimeAsFileTime(&ft);
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    /* 100 ns units since 1601-01-01 -> ms since 1970-01-01 */
    return (u.QuadPart - 116444736000000000ULL) / 10000ULL;
}

/* Folder of this exe, with a trailing backslash. */
static void exe_folder(char *out, size_t size)
{
    DWORD n = GetModuleFileNameA(NULL, out, (DWORD)size);
    char *slash;
    if (n == 0 || n >= size) {
        out[0] = '\0';
        return;
    }
    slash = strrchr(out, '\\');
    if (slash)
        slash[1] = '\0';
    else
        out[0] = '\0';
}

static void read_control(const char *folder, unsigned long *sleep_ms, int *exit_code)
{
    char path[MAX_PATH * 2];
    char line[256];
    FILE *f;

    *sleep_ms = 0;
    *exit_code = 0;
    snprintf(path, sizeof path, "%sprobe_control.txt", folder);
    f = fopen(path, "r");
    if (!f)
        return;
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, "sleep_ms=", 9) == 0)
            *sleep_ms = strtoul(line + 9, NULL, 10);
        else if (strncmp(line, "exit=", 5) == 0)
            *exit_code = (int)strtol(line + 5, NULL, 10);
    }
    fclose(f);
}

/* RtlGetVersion, unlike GetVersionEx, reports the version whatever the program's manifest. */
static void os_version(char *text, size_t size)
{
    typedef LONG(WINAPI * rtl_get_version_fn)(OSVERSIONINFOW *);
    OSVERSIONINFOW info;
    rtl_get_version_fn get_version = (rtl_get_version_fn)(void (*)(void))GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "RtlGetVersion");
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!get_version || get_version(&info) != 0)
        snprintf(text, size, "<error>");
    else
        snprintf(text, size, "%lu.%lu", (unsigned long)info.dwMajorVersion,
                 (unsigned long)info.dwMinorVersion);
}

int main(void)
{
    char folder[MAX_PATH * 2];
    char path[MAX_PATH * 2 + 32];
    char cwd[MAX_PATH * 2];
    char version[32];
    const char *cmdline = GetCommandLineA();
    unsigned long long start_unix = unix_ms_now();
    unsigned long long start_tick = GetTickCount64();
    unsigned long sleep_ms;
    int exit_code;
    DWORD cwd_len;
    FILE *rec;
    int i;

    exe_folder(folder, sizeof folder);
    read_control(folder, &sleep_ms, &exit_code);

    cwd_len = GetCurrentDirectoryA(sizeof cwd, cwd);
    if (cwd_len == 0 || cwd_len >= sizeof cwd)
        strcpy(cwd, "<error>");

    os_version(version, sizeof version);

    snprintf(path, sizeof path, "%sprobe_record.txt", folder);
    rec = fopen(path, "ab");
    if (!rec)
        return 120;
    fprintf(rec, "run_begin\npid=%lu\ncmdline_len=%lu\ncmdline=%s\ncwd=%s\nos_version=%s\n",
            (unsigned long)GetCurrentProcessId(), (unsigned long)strlen(cmdline), cmdline, cwd,
            version);
    fprintf(rec, "argc=%d\n", __argc);
    for (i = 0; i < __argc; ++i)
        fprintf(rec, "argv%d=%s\n", i, __argv[i]);
    fprintf(rec, "start_unix_ms=%llu\nstart_tick_ms=%llu\n", start_unix, start_tick);
    fflush(rec);

    if (sleep_ms)
        Sleep(sleep_ms);

    fprintf(rec, "end_unix_ms=%llu\nend_tick_ms=%llu\nexit=%d\nrun_end\n",
            unix_ms_now(), (unsigned long long)GetTickCount64(), exit_code);
    fclose(rec);
    return exit_code;
}
