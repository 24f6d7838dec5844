#include "launch_gate/run_launch_gate.h"
#include "launch_gate/start_up.h"
#include "platform/system_library.h"
#include "platform/win32_api.h"

// A GUI-subsystem entry with no window of its own: the command line and show state are unused.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunLaunchGate();
}

// The process starts here; there is no C runtime to start it. Before anything can load a
// library, the library search is restricted to the system folder.
extern "C" void LaunchGateStart()
{
    RestrictLibrarySearch();
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    const int showCommand =
        (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    const int status =
        WinMain(GetModuleHandleA(nullptr), nullptr, SkipProgramName(GetCommandLineA()), showCommand);
    ExitProcess(static_cast<UINT>(status));
}
