#pragma once

// Shows `text` in a modal box captioned "Warning" with one OK button and no icon, owned by no
// window; returns when the user closes it.
void ShowWarningBox(const char* text);
