#pragma once

#include <stddef.h>

// Driver dates are written month-day-year with "-" between the fields, such as "9-27-2005".
// Returns 1 when `installedDate` falls on or after `minimumDate` in calendar order (year, then
// month, then day), 0 when it falls before. A date too long to reorder within
// kDateTextCapacity fails. Makes no platform call; neither text is changed.
int MeetsMinimumDate(const char* installedDate, const char* minimumDate);

// Room for a reordered date: every date the program handles is shorter than 260 characters,
// and reordering adds at most the separators and a "0" for each missing field.
const size_t kDateTextCapacity = 272;

// Writes `date` with its first three fields in year-month-day order into `reordered`; a field
// the date lacks becomes "0". Returns false, writing only a terminator, when it would not fit.
bool ReorderDateToYearMonthDay(const char* date, char* reordered, size_t capacity);
