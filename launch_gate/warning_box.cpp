#include "launch_gate/warning_box.h"

#include "platform/win32_api.h"

namespace {

typedef int(WINAPI* MessageBoxFunction)(HWND, LPCSTR, LPCSTR, UINT);

} // namespace

// The box's library is loaded only here, when a box is shown: a run that passes the check
// never pays for loading the GUI libraries.
void ShowWarningBox(const char* text)
{
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (user32 == nullptr) {
        return;
    }
    const FARPROC address = GetProcAddress(user32, "MessageBoxA");
    if (address != nullptr) {
        const MessageBoxFunction showMessageBox = reinterpret_cast<MessageBoxFunction>(
            reinterpret_cast<void (*)(void)>(address));
        showMessageBox(nullptr, text, "Warning", MB_OK);
    }
    FreeLibrary(user32);
}
