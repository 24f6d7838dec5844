#include "driver_check/driver_date.h"

#include "driver_check/meets_minimum.h"

namespace {

const char kDateSeparator = '-';
const int kDateFields = 3;

struct FieldSpan {
    const char* start;
    const char* end;
};

// Finds the first three fields the way the field-wise comparison splits them: runs of
// separators, leading and trailing ones included, only divide.
int FindDateFields(const char* date, FieldSpan (&fields)[kDateFields])
{
    int found = 0;
    const char* cursor = date;
    while (found < kDateFields) {
        while (*cursor == kDateSeparator) {
            ++cursor;
        }
        if (*cursor == '\0') {
            break;
        }
        fields[found].start = cursor;
        while (*cursor != '\0' && *cursor != kDateSeparator) {
            ++cursor;
        }
        fields[found].end = cursor;
        ++found;
    }
    return found;
}

bool AppendText(const char* start, const char* end, char* out, size_t capacity, size_t& length)
{
    const size_t size = static_cast<size_t>(end - start);
    if (size >= capacity - length) {
        return false;
    }
    for (size_t i = 0; i < size; ++i) {
        out[length + i] = start[i];
    }
    length += size;
    out[length] = '\0';
    return true;
}

} // namespace

bool ReorderDateToYearMonthDay(const char* date, char* reordered, size_t capacity)
{
    if (capacity == 0) {
        return false;
    }
    reordered[0] = '\0';

    FieldSpan fields[kDateFields];
    const int found = FindDateFields(date, fields);
    static const char kMissingField[] = "0";
    static const char kSeparatorText[] = {kDateSeparator, '\0'};
    const int yearMonthDay[kDateFields] = {2, 0, 1};

    size_t length = 0;
    for (int i = 0; i < kDateFields; ++i) {
        const int field = yearMonthDay[i];
        const bool present = field < found;
        const char* start = present ? fields[field].start : kMissingField;
        const char* end = present ? fields[field].end : kMissingField + 1;
        const bool separatorFits =
            i == 0 || AppendText(kSeparatorText, kSeparatorText + 1, reordered, capacity, length);
        if (!separatorFits || !AppendText(start, end, reordered, capacity, length)) {
            reordered[0] = '\0';
            return false;
        }
    }
    return true;
}

int MeetsMinimumDate(const char* installedDate, const char* minimumDate)
{
    char installedYearMonthDay[kDateTextCapacity];
    char minimumYearMonthDay[kDateTextCapacity];
    if (!ReorderDateToYearMonthDay(installedDate, installedYearMonthDay, kDateTextCapacity) ||
        !ReorderDateToYearMonthDay(minimumDate, minimumYearMonthDay, kDateTextCapacity)) {
        return 0;
    }
    static const char kSeparators[] = {kDateSeparator, '\0'};
    return MeetsMinimum(installedYearMonthDay, minimumYearMonthDay, kSeparators, kDateFields);
}
