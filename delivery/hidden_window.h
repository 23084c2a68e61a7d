#pragma once

#include <windows.h>

// A top-level window of its own class that is never shown: the program's
// endpoint for window messages (DDE, clipboard ownership). Null on failure.
// With `messageOnly` it is a message-only window where the system has them
// (cheaper: no window on the display), else a hidden top-level one.
HWND CreateHiddenWindow(const char* className, const char* title, WNDPROC procedure,
                        bool messageOnly = false);
