#pragma once

// The one door to the platform. The product calls the Win32 functions by their own names; the
// Windows build takes the SDK's declarations, the host build takes our own declarations and
// links the scriptable stand-in that the tests drive. KERNEL32 and ADVAPI32 are linked; the
// functions of SETUPAPI and USER32 are defined by the product (platform/system_functions.cpp),
// which reaches them in the libraries it loads from the system folder: their declarations are
// taken as plain functions, not as imports.
#ifdef _WIN32
#define _SETUPAPI_
#define _USER32_
#include <windows.h>
#include <setupapi.h>

static_assert(sizeof(void*) != 4 || sizeof(STARTUPINFOA) == 68, "32-bit start-up record size");
static_assert(sizeof(void*) != 4 || sizeof(SP_DEVINFO_DATA) == 28, "32-bit device record size");
#else
#include "win32_declarations.h"
#endif
