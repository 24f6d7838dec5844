#pragma once

// The whole run: reads "detail.ini" beside the program, checks the installed driver, then
// either shows the warning box or starts the configured application and waits for it to end.
// Returns the exit status, 0 on every path.
int RunLaunchGate();
