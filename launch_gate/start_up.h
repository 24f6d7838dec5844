#pragma once

// What the entry point hands to WinMain as its command line: the process's command line after
// the program's name (quoted or not) and the blanks that follow it.
char* SkipProgramName(char* commandLine);
