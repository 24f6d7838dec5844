/*
 * file_locker: holds a file open with no sharing for a given time, so that no other program
 * can open it meanwhile.
 *
 * usage: file_locker.exe <path> <milliseconds>
 * Prints "locked=1" once the file is held (or "locked=0" and exits 1 if it cannot be opened).
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    HANDLE file;

    if (argc != 3) {
        fprintf(stderr, "usage: file_locker.exe <path> <milliseconds>\n");
        return 64;
    }
    file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        printf("locked=0\n");
        return 1;
    }
    printf("locked=1\n");
    fflush(stdout);
    Sleep(strtoul(argv[2], NULL, 10));
    CloseHandle(file);
    return 0;
}
