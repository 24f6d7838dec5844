#include "driver_check/meets_minimum.h"

#include <stdint.h>

namespace {

const int kMaximumFields = 4;

bool IsSeparator(char character, const char* separators)
{
    for (const char* s = separators; *s != '\0'; ++s) {
        if (*s == character) {
            return true;
        }
    }
    return false;
}

bool IsBlank(char character)
{
    return character == ' ' || character == '\t' || character == '\n' || character == '\v' ||
           character == '\f' || character == '\r';
}

bool IsDigit(char character)
{
    return character >= '0' && character <= '9';
}

// Reads one field as a 32-bit number the way C's atoi reads it on Windows: blanks, an optional
// sign, digits up to the first non-digit. Overflow wraps; the arithmetic is unsigned so that the
// wrap is defined for every input.
int32_t ReadFieldNumber(const char* field, const char* fieldEnd)
{
    const char* cursor = field;
    while (cursor < fieldEnd && IsBlank(*cursor)) {
        ++cursor;
    }
    bool negative = false;
    if (cursor < fieldEnd && (*cursor == '+' || *cursor == '-')) {
        negative = *cursor == '-';
        ++cursor;
    }
    uint32_t value = 0;
    while (cursor < fieldEnd && IsDigit(*cursor)) {
        value = value * 10u + static_cast<uint32_t>(*cursor - '0');
        ++cursor;
    }
    if (negative) {
        value = 0u - value;
    }
    if (value <= static_cast<uint32_t>(INT32_MAX)) {
        return static_cast<int32_t>(value);
    }
    return -static_cast<int32_t>(~value) - 1;
}

// Splits `text` into at most four fields and reads each; fields it lacks stay 0.
void ReadFields(const char* text, const char* separators, int32_t (&fields)[kMaximumFields])
{
    for (int i = 0; i < kMaximumFields; ++i) {
        fields[i] = 0;
    }
    const char* cursor = text;
    for (int i = 0; i < kMaximumFields; ++i) {
        while (*cursor != '\0' && IsSeparator(*cursor, separators)) {
            ++cursor;
        }
        if (*cursor == '\0') {
            return;
        }
        const char* fieldStart = cursor;
        while (*cursor != '\0' && !IsSeparator(*cursor, separators)) {
            ++cursor;
        }
        fields[i] = ReadFieldNumber(fieldStart, cursor);
    }
}

} // namespace

int MeetsMinimum(const char* installed, const char* required, const char* separators, int count)
{
    int32_t installedFields[kMaximumFields];
    int32_t requiredFields[kMaximumFields];
    ReadFields(installed, separators, installedFields);
    ReadFields(required, separators, requiredFields);

    const int compared = count < kMaximumFields ? count : kMaximumFields;
    for (int i = 0; i < compared; ++i) {
        if (installedFields[i] > requiredFields[i]) {
            return 1;
        }
        if (installedFields[i] < requiredFields[i]) {
            return 0;
        }
    }
    return 1;
}
