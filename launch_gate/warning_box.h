#pragma once

#include "platform/win32_api.h"

// Shows `text` in a modal box captioned "Warning" with the buttons of `style` and no icon, owned
// by no window, and returns the button pressed (IDOK, IDYES, IDNO); 0 when the box could not be
// shown.
int ShowWarningBox(const char* text, UINT style);
