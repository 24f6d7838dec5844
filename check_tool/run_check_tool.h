#pragma once

// The whole run of LaunchGateCheck.exe: reads its command line (`LaunchGateCheck.exe [FOLDER]`
// as the system hands it over), decides as a LaunchGate.exe in FOLDER (default: the tool's own
// folder) would decide on this machine, with the gate's own settings reading, walk, rules and
// path building, and explains it on standard output. Returns the exit status (tool_arguments.h):
// 0 the gate would start the application, 1 it would show the warning box, 2 it would pass but
// start nothing, 3 the tool could not run.
//
// "The gate" of a folder is FOLDER\LaunchGate.exe, the name it ships under: a "LaunchApp"
// naming that file, however spelled, is the gate itself. The tool's own file is not: a gate
// that starts the tool ends when the tool does.
int RunCheckTool(const char* commandLine);
