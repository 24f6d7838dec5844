#pragma once

#include <stddef.h>

// How a program built with the Microsoft C runtime splits its command line into argv, as the
// runtime documents it:
// - argv[0], the program's name, runs from the first character to the first blank or tab outside
//   double quotes; the quotes are dropped and backslashes are plain characters.
// - Every later argument begins after a run of blanks and tabs. Double quotes group blanks into
//   it and are dropped. 2n backslashes before a quote give n backslashes and the quote groups;
//   2n+1 give n backslashes and a literal quote; other backslashes are plain. Inside quotes, a
//   pair of quotes gives one literal quote and the quoted part goes on. A quoted part still open
//   at the end of the line ends there.
// The older msvcrt.dll differs in one point: there the pair of quotes also ends the quoted part.
// Bytes are taken one by one; a double-byte character whose second byte is a backslash or quote
// is split as those bytes read.

// Reads argv[0] from the start of `commandLine` into `argument`, which holds `capacity` bytes
// (0 is allowed: the argument is only measured). `length` receives the argument's full length;
// the stored text is cut to what fits and always terminated. Returns the cursor after it.
const char* ReadProgramName(const char* commandLine, char* argument, size_t capacity,
                            size_t& length);

// Reads the next argument after `cursor` (as returned by ReadProgramName or by this function)
// the same way. Returns the cursor after it, or nullptr when no argument is left.
const char* ReadNextArgument(const char* cursor, char* argument, size_t capacity,
                             size_t& length);

const size_t kSplitTextCapacity = 1024;
const int kSplitArgumentCapacity = 64;

// A whole command line split: the arguments that fit, each terminated, one after another.
struct SplitArguments {
    char text[kSplitTextCapacity];
    size_t start[kSplitArgumentCapacity];   // where each stored argument begins in `text`
    size_t length[kSplitArgumentCapacity];  // each stored argument's full length
    int stored;                             // arguments in `text`, argv[0] first
    int found;                              // every argument of the line, stored or not
    bool cut;  // an argument was cut, or not stored for want of room
};

void SplitCommandLine(const char* commandLine, SplitArguments& arguments);
