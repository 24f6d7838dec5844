#include "launch_gate/program_path.h"

bool RemoveFileName(char* path)
{
    char* lastBackslash = nullptr;
    for (char* cursor = path; *cursor != '\0'; ++cursor) {
        if (*cursor == '\\') {
            lastBackslash = cursor;
        }
    }
    if (lastBackslash == nullptr) {
        path[0] = '\0';
        return false;
    }
    *lastBackslash = '\0';
    return true;
}

bool JoinPath(const char* folder, const char* name, char* joined, size_t capacity)
{
    size_t folderLength = 0;
    while (folder[folderLength] != '\0') {
        ++folderLength;
    }
    size_t nameLength = 0;
    while (name[nameLength] != '\0') {
        ++nameLength;
    }
    if (capacity == 0) {
        return false;
    }
    joined[0] = '\0';
    if (folderLength >= capacity || nameLength >= capacity - folderLength ||
        folderLength + 1 + nameLength >= capacity) {
        return false;
    }
    for (size_t i = 0; i < folderLength; ++i) {
        joined[i] = folder[i];
    }
    joined[folderLength] = '\\';
    for (size_t i = 0; i < nameLength; ++i) {
        joined[folderLength + 1 + i] = name[i];
    }
    joined[folderLength + 1 + nameLength] = '\0';
    return true;
}
