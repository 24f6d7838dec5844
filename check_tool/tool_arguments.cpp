#include "check_tool/tool_arguments.h"

#include "check_tool/command_line_split.h"

ToolArguments ReadToolArguments(const char* commandLine, char* folder, size_t capacity)
{
    if (capacity > 0) {
        folder[0] = '\0';
    }
    size_t length = 0;
    const char* cursor = ReadProgramName(commandLine, nullptr, 0, length);
    cursor = ReadNextArgument(cursor, folder, capacity, length);
    if (cursor == nullptr) {
        return kCheckOwnFolder;
    }
    size_t extraLength = 0;
    if (ReadNextArgument(cursor, nullptr, 0, extraLength) != nullptr) {
        if (capacity > 0) {
            folder[0] = '\0';
        }
        return kTooManyArguments;
    }
    if (length >= capacity) {
        if (capacity > 0) {
            folder[0] = '\0';
        }
        return kFolderTooLong;
    }
    return length == 0 ? kEmptyFolderGiven : kCheckGivenFolder;
}
