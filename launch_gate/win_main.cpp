#include "launch_gate/run_launch_gate.h"
#include "platform/win32_api.h"

// A GUI-subsystem entry with no window of its own: the command line and show state are unused.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunLaunchGate();
}
