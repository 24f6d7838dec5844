#pragma once

#include <stddef.h>

// Exit statuses of LaunchGateCheck.exe.
const int kExitWouldStart = 0;
const int kExitWouldWarn = 1;
const int kExitWouldStartNothing = 2;
const int kExitCouldNotRun = 3;

enum ToolArguments {
    kCheckOwnFolder,      // no argument: the tool's own folder
    kCheckGivenFolder,    // one argument, in `folder`
    kEmptyFolderGiven,    // one argument, empty ("")
    kFolderTooLong,       // one argument that does not fit in `folder`
    kTooManyArguments,    // more than one argument
};

// Reads `LaunchGateCheck.exe [FOLDER]` from the tool's own command line, as the system hands it
// over, splitting it the way the C runtime would (see command_line_split.h): the program's name,
// then at most one argument, the folder to check, into `folder` (`capacity` bytes). `folder` is
// left empty unless the folder was given and fits.
ToolArguments ReadToolArguments(const char* commandLine, char* folder, size_t capacity);
