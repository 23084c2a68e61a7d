#include "hidden_window.h"

#include "win_api.h"

HWND CreateHiddenWindow(const char* className, const char* title, WNDPROC procedure,
                        bool messageOnly) {
  const HINSTANCE instance = qor::api::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = className;
  qor::api::RegisterClassA(&windowClass);
  if (messageOnly) {
    const HWND window = qor::api::CreateWindowExA(0, className, title, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                  nullptr, instance, nullptr);
    if (window != nullptr) return window;  // releases before Windows 2000 have none
  }
  // No WS_VISIBLE, and nothing ever calls ShowWindow on it.
  return qor::api::CreateWindowExA(0, className, title, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                   instance, nullptr);
}
