#include "hidden_window.h"

#include "win_api.h"

HiddenWindow CreateHiddenWindow(HiddenWindowClass& windowClass, const char* title,
                                bool messageOnly) {
  const HINSTANCE instance = qor::api::GetModuleHandleA(nullptr);
  if (!windowClass.registered) {
    WNDCLASSA record{};
    record.lpfnWndProc = windowClass.procedure;
    record.hInstance = instance;
    record.lpszClassName = windowClass.name;
    ::SetLastError(NO_ERROR);
    if (qor::api::RegisterClassA(&record) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      return {nullptr, ::GetLastError()};
    }
    windowClass.registered = true;
  }
  // Each creation starts from a cleared code, so a failure that sets none of
  // its own is not blamed on whatever an earlier call left behind.
  if (messageOnly) {
    ::SetLastError(NO_ERROR);
    const HWND window = qor::api::CreateWindowExA(0, windowClass.name, title, 0, 0, 0, 0, 0,
                                                  HWND_MESSAGE, nullptr, instance, nullptr);
    if (window != nullptr) return {window};  // releases before Windows 2000 have none
  }
  ::SetLastError(NO_ERROR);
  // No WS_VISIBLE, and nothing ever calls ShowWindow on it.
  const HWND window = qor::api::CreateWindowExA(0, windowClass.name, title, WS_OVERLAPPED, 0, 0, 0,
                                                0, nullptr, nullptr, instance, nullptr);
  return {window, window == nullptr ? ::GetLastError() : NO_ERROR};
}
