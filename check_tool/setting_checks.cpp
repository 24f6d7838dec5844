#include "check_tool/setting_checks.h"

#include "check_tool/command_line_split.h"

namespace {

const char kDateSeparator = '-';
const unsigned kFieldValueCap = 100000;

bool IsDigit(char character)
{
    return character >= '0' && character <= '9';
}

// The value of a field's leading digits; large values stop growing at the cap.
unsigned ReadFieldValue(const char* field)
{
    unsigned value = 0;
    for (const char* cursor = field; IsDigit(*cursor); ++cursor) {
        if (value < kFieldValueCap) {
            value = value * 10 + static_cast<unsigned>(*cursor - '0');
        }
    }
    return value;
}

char LowerAscii(char character)
{
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                 : character;
}

const char* FindLastComponent(const char* path)
{
    const char* component = path;
    for (const char* cursor = path; *cursor != '\0'; ++cursor) {
        if (*cursor == '\\' || *cursor == '/') {
            component = cursor + 1;
        }
    }
    return component;
}

bool HasExtension(const char* name)
{
    for (const char* cursor = name; *cursor != '\0'; ++cursor) {
        if (*cursor == '.') {
            return true;
        }
    }
    return false;
}

// Compares `name` with `candidate` followed by `suffix`, ignoring the case of ASCII letters.
bool EqualIgnoringCase(const char* name, const char* candidate, const char* suffix)
{
    const char* cursor = name;
    for (; *candidate != '\0'; ++candidate, ++cursor) {
        if (LowerAscii(*cursor) != LowerAscii(*candidate)) {
            return false;
        }
    }
    for (; *suffix != '\0'; ++suffix, ++cursor) {
        if (LowerAscii(*cursor) != LowerAscii(*suffix)) {
            return false;
        }
    }
    return *cursor == '\0';
}

} // namespace

unsigned CheckDriverDateSetting(const char* date)
{
    unsigned problems = 0;
    unsigned values[3] = {0, 0, 0};
    int fields = 0;
    const char* cursor = date;
    for (;;) {
        while (*cursor == kDateSeparator) {
            ++cursor;
        }
        if (*cursor == '\0') {
            break;
        }
        if (fields < 3) {
            values[fields] = ReadFieldValue(cursor);
        }
        ++fields;
        for (; *cursor != '\0' && *cursor != kDateSeparator; ++cursor) {
            if (!IsDigit(*cursor)) {
                problems |= kDateOtherSeparator;
            }
        }
    }

    if (fields < 3) {
        problems |= kDateMissingFields;
    }
    if (fields > 3) {
        problems |= kDateExtraFields;
    }
    if (fields >= 1 && values[0] >= 1000) {
        return problems | kDateYearFirst;
    }
    if (fields >= 1 && (values[0] == 0 || values[0] > 12)) {
        problems |= kDateMonthOutOfRange;
    }
    if (fields >= 2 && (values[1] == 0 || values[1] > 31)) {
        problems |= kDateDayOutOfRange;
    }
    if (fields >= 3 && values[2] < 1990) {
        problems |= kDateYearBefore1990;
    }
    return problems;
}

const char* DescribeDateProblem(unsigned problem)
{
    switch (problem) {
    case kDateOtherSeparator:
        return "it holds characters other than digits and \"-\"; the gate reads only the digits "
               "before them in each field (write 9-27-2005, not 9/27/2005 or 27.9.2005)";
    case kDateYearFirst:
        return "it starts with a year; the gate reads month-day-year (write 9-27-2005, not "
               "2005-09-27)";
    case kDateMonthOutOfRange:
        return "its month (the first field) is not 1 to 12";
    case kDateDayOutOfRange:
        return "its day (the second field) is not 1 to 31";
    case kDateYearBefore1990:
        return "its year (the third field) is before 1990; write all four digits";
    case kDateMissingFields:
        return "it has fewer than three fields; the gate counts a missing field as 0";
    case kDateExtraFields:
        return "it has more than three fields; the gate ignores all after the third";
    default:
        return "";
    }
}

ParameterFirstWord CheckParameterFirstWord(const char* parameter, const char* launchApp,
                                           char* firstWord, size_t capacity)
{
    size_t length = 0;
    ReadProgramName(parameter, firstWord, capacity, length);
    if (parameter[0] == '\0') {
        return kParameterIsEmpty;
    }
    const char* applicationName = FindLastComponent(launchApp);
    if (*applicationName == '\0') {
        return kApplicationNameIsEmpty;
    }
    if (length >= capacity) {
        return kFirstWordNamesSomethingElse;
    }
    const char* wordName = FindLastComponent(firstWord);
    if (EqualIgnoringCase(applicationName, wordName, "") ||
        (!HasExtension(wordName) && *wordName != '\0' &&
         EqualIgnoringCase(applicationName, wordName, ".exe"))) {
        return kFirstWordNamesApplication;
    }
    return kFirstWordNamesSomethingElse;
}
