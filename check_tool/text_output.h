#pragma once

#include <stddef.h>

#include "platform/win32_api.h"

// The check tool's output: text in the ANSI code page gathered in a fixed buffer and written to
// one handle. A console gets it as wide text (MultiByteToWideChar from the ANSI code page, then
// WriteConsoleW), so that accented names show as they are whatever the console's own code page;
// a file or pipe gets the bytes as they are (WriteFile).

const size_t kTextWriterCapacity = 512;

struct TextWriter {
    HANDLE target;
    bool toConsole;
    UINT codePage;  // the ANSI code page, for where its characters begin and end
    bool failed;    // the target refused text: nothing more is written
    size_t length;
    char text[kTextWriterCapacity];
};

// Starts a writer on `target` (a null or invalid handle takes the text and writes nothing).
void StartTextWriter(TextWriter& writer, HANDLE target);

void AppendText(TextWriter& writer, const char* text);
// `size` bytes of `text`, which need not be terminated; a NUL byte among them is written as it is.
void AppendBytes(TextWriter& writer, const char* text, size_t size);
void AppendNumber(TextWriter& writer, unsigned long number);

// Writes everything gathered. (A full buffer is written on its own as text is appended; then a
// character cut by the buffer's end is kept back until the rest of it arrives.)
void FlushText(TextWriter& writer);
