#pragma once
// The process from its first step to its last: counter, COM and OLE, execution information, controls,
// the window module, the main frame's message loop, and the shutdown in reverse order.

#include <windows.h>

// Returns the process exit code.
int RunProcess(HINSTANCE instance, int showCmd);
