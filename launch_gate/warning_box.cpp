#include "launch_gate/warning_box.h"

#include "platform/system_library.h"
#include "platform/win32_api.h"

// The box's library is loaded only here, when a box is shown: a run that passes the check
// never pays for loading the GUI libraries. A box whose library cannot be loaded is not shown,
// and MessageBoxA then answers 0.
int ShowWarningBox(const char* text, UINT style)
{
    const int pressed = MessageBoxA(nullptr, text, "Warning", style);
    ReleaseSystemLibrary(kUser32Library);
    return pressed;
}
