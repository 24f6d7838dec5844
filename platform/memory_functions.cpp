#include "platform/memory_functions.h"

// Built with loop-pattern recognition off in the Windows build: the compiler would otherwise
// turn these loops into calls of memset, memcpy and strlen, that is, of themselves.

extern "C" void* FillBytes(void* destination, int value, size_t count)
{
    unsigned char* bytes = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(value);
    }
    return destination;
}

extern "C" void* CopyBytes(void* destination, const void* source, size_t count)
{
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (size_t i = 0; i < count; ++i) {
        to[i] = from[i];
    }
    return destination;
}

extern "C" size_t MeasureText(const char* text)
{
    size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

#ifdef _WIN32
extern "C" void* memset(void* destination, int value, size_t count)
    __attribute__((alias("FillBytes")));
extern "C" void* memcpy(void* destination, const void* source, size_t count)
    __attribute__((alias("CopyBytes")));
extern "C" size_t strlen(const char* text) __attribute__((alias("MeasureText")));
#endif
