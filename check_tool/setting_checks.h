#pragma once

#include <stddef.h>

// Likely mistakes in a "DriverDate" setting, which the gate reads month-day-year with "-"
// between the fields; each is one bit of CheckDriverDateSetting's result.
const unsigned kDateOtherSeparator = 1u << 0;  // a character other than digits and "-"
const unsigned kDateYearFirst = 1u << 1;       // the first field is a year ("2005-09-27")
const unsigned kDateMonthOutOfRange = 1u << 2;  // month 0 or over 12
const unsigned kDateDayOutOfRange = 1u << 3;    // day 0 or over 31
const unsigned kDateYearBefore1990 = 1u << 4;   // including a two-digit year
const unsigned kDateMissingFields = 1u << 5;    // fewer than three fields (the gate reads 0)
const unsigned kDateExtraFields = 1u << 6;      // more than three (the gate ignores the rest)

// Every problem of `date`, 0 when it is a plausible month-day-year date. Fields are found the
// way the gate finds them: runs of "-" separate, leading and trailing ones included. A year
// written first is reported alone, without the month, day and year ranges it also breaks.
unsigned CheckDriverDateSetting(const char* date);

// One line of text, without "Warning: ", for one problem bit; empty for anything else.
const char* DescribeDateProblem(unsigned problem);

enum ParameterFirstWord {
    kFirstWordNamesApplication,
    kFirstWordNamesSomethingElse,
    kParameterIsEmpty,        // no first word to compare: the application gets no arguments
    kApplicationNameIsEmpty,  // no "LaunchApp" to compare with
};

// Whether the first word of `parameter`, split as a program built with the C runtime splits its
// command line (its argv[0]), is the file name of `launchApp`. Both are compared by their last
// path component ("\" or "/"), ignoring the case of ASCII letters: "bin\game.exe" and
// "C:\Games\GAME.EXE" both name "game.exe", since a program that reads its own name from argv[0]
// sees only that. A first word without an extension also names "game.exe", as a name typed at
// a prompt does. `firstWord` (`capacity` bytes) receives the word as the C runtime reads it, cut
// to fit.
ParameterFirstWord CheckParameterFirstWord(const char* parameter, const char* launchApp,
                                           char* firstWord, size_t capacity);
