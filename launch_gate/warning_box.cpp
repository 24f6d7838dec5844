#include "launch_gate/warning_box.h"

#include "platform/win32_api.h"

namespace {

typedef int(WINAPI* MessageBoxFunction)(HWND, LPCSTR, LPCSTR, UINT);

} // namespace

// The box's library is loaded only here, when a box is shown: a run that passes the check
// never pays for loading the GUI libraries.
int ShowWarningBox(const char* text, UINT style)
{
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (user32 == nullptr) {
        return 0;
    }
    int pressed = 0;
    const FARPROC address = GetProcAddress(user32, "MessageBoxA");
    if (address != nullptr) {
        const MessageBoxFunction showMessageBox = reinterpret_cast<MessageBoxFunction>(
            reinterpret_cast<void (*)(void)>(address));
        pressed = showMessageBox(nullptr, text, "Warning", style);
    }
    FreeLibrary(user32);
    return pressed;
}
