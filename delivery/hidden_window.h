#pragma once

#include <windows.h>

// A window class of the program's own. It is registered with the system for
// the first window made of it and stays registered for the rest of the run:
// registering it again would fail and leave ERROR_CLASS_ALREADY_EXISTS behind.
struct HiddenWindowClass {
  const char* name;
  WNDPROC procedure;
  bool registered = false;
};

struct HiddenWindow {
  HWND window = nullptr;
  DWORD error = NO_ERROR;  // when there is no window: the Windows error, if any
};

// A top-level window of `windowClass` that is never shown: the program's
// endpoint for window messages (DDE, clipboard ownership). Without a window
// the error is that of the call that failed, NO_ERROR when that call set
// none. With `messageOnly` it is a message-only window where the system has
// them (cheaper: no window on the display), else a hidden top-level one.
HiddenWindow CreateHiddenWindow(HiddenWindowClass& windowClass, const char* title,
                                bool messageOnly);
