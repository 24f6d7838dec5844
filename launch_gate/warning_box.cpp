#include "launch_gate/warning_box.h"

#include "platform/win32_api.h"

void ShowWarningBox(const char* text)
{
    MessageBoxA(nullptr, text, "Warning", MB_OK);
}
