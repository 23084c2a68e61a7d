#pragma once

#include <windows.h>

// A top-level window of its own class that is never shown: the program's
// endpoint for window messages (DDE, clipboard ownership). Null on failure.
HWND CreateHiddenWindow(const char* className, const char* title, WNDPROC procedure);
