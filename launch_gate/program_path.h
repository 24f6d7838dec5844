#pragma once

#include <stddef.h>

// Path text handled by the program's own bounded code: nothing is cut and nothing is written
// past a field.

// Cuts `path` back to its folder by dropping the last component and the backslash before it.
// Returns false, leaving `path` empty, when there is no backslash and so no folder.
bool RemoveFileName(char* path);

// Writes `folder`, one backslash and `name` into `joined`, which holds `capacity` bytes.
// Returns false, leaving `joined` empty, when the result and its terminator would not fit.
bool JoinPath(const char* folder, const char* name, char* joined, size_t capacity);
