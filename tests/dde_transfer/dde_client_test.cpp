// The program's message pump, run inside this test program: a queue that a
// window keeps full.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "message_pump.h"

namespace {

constexpr UINT kRefill = WM_APP + 7;
const char kRefillClass[] = "QorRefillingWindow";
std::atomic<bool> refilling{false};

// Posts itself another message for every one it gets, as a peer that sends
// without waiting keeps the queue full.
LRESULT CALLBACK RefillingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRefill) return DefWindowProcA(window, message, wParam, lParam);
  if (refilling) PostMessageA(window, kRefill, 0, 0);
  return 0;
}

struct PumpCase {
  const char* name;
  void (*pump)();
  DWORD atLeastMs;
  DWORD atMostMs;
};

// On a thread of its own, which owns the window: the milliseconds `pump` took.
DWORD WINAPI PumpWithQueueKeptFull(void* pumpCase) {
  const HWND window = CreateWindowExA(0, kRefillClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 0xFFFFFFFF;
  PostMessageA(window, kRefill, 0, 0);
  const DWORD start = GetTickCount();
  static_cast<const PumpCase*>(pumpCase)->pump();
  const DWORD elapsed = GetTickCount() - start;
  DestroyWindow(window);
  return elapsed;
}

TEST(MessagePump, EndsInTimeWhileAWindowKeepsTheQueueFull) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RefillingWindow;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kRefillClass;
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  const PumpCase cases[] = {
      {"a wait of 300 ms", [] { PumpMessagesUntil([] { return false; }, 300); }, 300, 800},
      {"dispatching what is queued", [] { DispatchPendingMessages(); }, 0, 750},
  };
  for (const PumpCase& c : cases) {
    SCOPED_TRACE(c.name);
    refilling = true;
    const HANDLE thread =
        CreateThread(nullptr, 0, PumpWithQueueKeptFull, const_cast<PumpCase*>(&c), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const bool ended = WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
    refilling = false;  // lets a pump that runs on see an empty queue
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD elapsed = 0;
    GetExitCodeThread(thread, &elapsed);
    CloseHandle(thread);
    EXPECT_TRUE(ended) << "still dispatching after 5 s";
    if (!ended) continue;
    EXPECT_GE(elapsed, c.atLeastMs);
    EXPECT_LE(elapsed, c.atMostMs);
  }
}

}  // namespace
