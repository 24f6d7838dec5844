#pragma once

// The one door to the platform. The product calls the Win32 functions by their own names; the
// Windows build takes the SDK's declarations and links the system DLLs, the host build takes our
// own declarations and links the scriptable stand-in that the tests drive.
#ifdef _WIN32
#include <windows.h>
#include <setupapi.h>

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "32-bit start-up record size");
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINFO_DATA) == 28, "32-bit device record size");
#else
#include "win32_declarations.h"
#endif
