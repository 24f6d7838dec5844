/*
 * The sample application that the demo's gate starts: it writes what it received (its command
 * line, the arguments its C runtime split it into, and its current folder) to
 * "sample_app_received.txt" beside itself, and exits with 0. Like most programs it takes the
 * first word of its command line, argv[0], as its own name: the arguments start at argv[1].
 */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH + 32];
    char folder[MAX_PATH];
    DWORD length;
    char *slash;
    FILE *out;
    int i;

    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    path[length] = '\0';
    slash = strrchr(path, '\\');
    if (slash == NULL)
        return 1;
    strcpy(slash + 1, "sample_app_received.txt");
    if (GetCurrentDirectoryA(sizeof folder, folder) == 0)
        folder[0] = '\0';

    out = fopen(path, "wb");
    if (out == NULL)
        return 1;
    fprintf(out, "command line: %s\n", GetCommandLineA());
    fprintf(out, "split by its C runtime into %d argument%s:\n", __argc, __argc == 1 ? "" : "s");
    for (i = 0; i < __argc; ++i)
        fprintf(out, "  argv[%d] = %s%s\n", i, __argv[i], i == 0 ? "   (its own name)" : "");
    fprintf(out, "current folder: %s\n", folder);
    fclose(out);
    return 0;
}
