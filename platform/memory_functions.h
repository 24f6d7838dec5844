#pragma once

#include <stddef.h>

// The byte fill, copy and text measure that the compiler calls on its own (for zeroed fields
// and records, copies of records, loops that measure a text) in a program without a C runtime.
// The Windows build gives them the names the compiler calls, memset, memcpy and strlen; the
// host build tests them by these names.
extern "C" void* FillBytes(void* destination, int value, size_t count);
// `destination` and `source` must not overlap, as for memcpy.
extern "C" void* CopyBytes(void* destination, const void* source, size_t count);
// The length of the terminated text at `text`.
extern "C" size_t MeasureText(const char* text);
