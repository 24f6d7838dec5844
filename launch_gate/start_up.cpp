#include "launch_gate/start_up.h"

char* SkipProgramName(char* commandLine)
{
    char* cursor = commandLine;
    if (*cursor == '"') {
        ++cursor;
        while (*cursor != '\0' && *cursor != '"') {
            ++cursor;
        }
        if (*cursor == '"') {
            ++cursor;
        }
    } else {
        while (*cursor != '\0' && *cursor != ' ' && *cursor != '\t') {
            ++cursor;
        }
    }
    while (*cursor == ' ' || *cursor == '\t') {
        ++cursor;
    }
    return cursor;
}
