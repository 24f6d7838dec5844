#pragma once

// Input reading shared by the fuzz targets. Every input is a run of strings in
// FuzzedDataProvider's escaped form: a string ends at a backslash followed by any character other
// than a backslash, "\\" stands for one backslash, and the input's end ends the last string.
// Seeds therefore stay readable text, one string per line ending in a backslash.

#include <fuzzer/FuzzedDataProvider.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

namespace fuzz_input {

// Stops the run with a message: libFuzzer reports the abort and keeps the input.
inline void Require(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "fuzz check failed: %s\n", what);
        abort();
    }
}

// A small choice from one character: a decimal digit stands for its value, any other byte for
// its code, both taken modulo `choices`.
inline unsigned Choice(const std::string& token, size_t index, unsigned choices)
{
    if (index >= token.size()) {
        return 0;
    }
    const unsigned char c = static_cast<unsigned char>(token[index]);
    const unsigned value = (c >= '0' && c <= '9') ? static_cast<unsigned>(c - '0') : c;
    return value % choices;
}

// The text a C function sees: everything before the first NUL.
inline std::string CText(const std::string& bytes)
{
    return std::string(bytes.c_str());
}

// A heap copy exactly as long as the text and its terminator, so that AddressSanitizer sees a
// read one byte past the terminator.
inline std::unique_ptr<char[]> ExactCopy(const std::string& text)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

} // namespace fuzz_input
