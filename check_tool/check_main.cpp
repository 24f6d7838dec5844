#include "check_tool/run_check_tool.h"
#include "platform/system_library.h"
#include "platform/win32_api.h"

// The process starts here; there is no C runtime to start it. Before anything can load a
// library, the library search is restricted to the system folder, as in the gate.
extern "C" void LaunchGateCheckStart()
{
    RestrictLibrarySearch();
    ExitProcess(static_cast<UINT>(RunCheckTool(GetCommandLineA())));
}
