// The program's message pump and the client end of its DDE conversations, run
// inside this test program: a queue that a window keeps full, and pokes whose
// answers come after the time-out or never.
#include <gtest/gtest.h>
#include <windows.h>
#include <dde.h>

#include <atomic>
#include <cstring>
#include <string>

#include "dde_test_server.h"
#include "message_pump.h"
#include "qor_e2e.h"
#include "txtexport.h"

using namespace e2e;

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

// Whether a block of this program's heap is the client's memory of a poke of
// `text`: the DDEPOKE header, then the text and its NUL.
bool PokeMemoryHeld(const std::string& text) {
  DDEPOKE header{};
  header.fRelease = 1;
  header.cfFormat = CF_TEXT;
  constexpr size_t kValueOffset = offsetof(DDEPOKE, Value);
  const size_t size = kValueOffset + text.size() + 1;
  const HANDLE heap = GetProcessHeap();
  bool held = false;
  HeapLock(heap);
  PROCESS_HEAP_ENTRY entry{};
  while (!held && HeapWalk(heap, &entry)) {
    if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) == 0 || entry.cbData < size) continue;
    const char* data = static_cast<const char*>(entry.lpData);
    held = std::memcmp(data, &header, kValueOffset) == 0 &&
           std::memcmp(data + kValueOffset, text.c_str(), text.size() + 1) == 0;
  }
  HeapUnlock(heap);
  return held;
}

enum class LateAnswer { BeforeTheEnd, AfterTheEnd, Never };

struct OverdueCase {
  const char* name;
  const char* options;
  LateAnswer answer;
};

// The poke is given up after its time-out; what it handed over stays the
// client's until the late refusal comes, or the conversation ends. A refusal
// after the end carries the atom deleted then: it is not deleted twice.
TEST(DdeClient, WhatAnOverduePokeCarriedIsFreedAtItsAnswerOrTheEnd) {
  const OverdueCase cases[] = {
      {"refused after the time-out", "--poke-delay 1500 --refuse-poke", LateAnswer::BeforeTheEnd},
      {"refused after the end", "--poke-delay 1500 --refuse-poke", LateAnswer::AfterTheEnd},
      {"never answered", "--poke-hang", LateAnswer::Never},
  };
  for (const OverdueCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    TestServer server(dir, "QORSPAET", "Import", c.options);
    ASSERT_TRUE(server.ready());
    // An item and a payload no other run has used: the atom table outlives it.
    const std::string item =
        "Spaet" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(&c - cases);
    const std::string payload = item + std::string(1000, '#');
    txtEXport.LinkTopic = "QORSPAET|Import";
    txtEXport.LinkItem = item;
    SetLinkMode(1);
    ASSERT_EQ(DdeLastError.number, 0);

    txtEXport.Text = payload;
    txtEXport.LinkTimeout = 5;  // half a second for the poke alone
    LinkPoke();
    txtEXport.LinkTimeout = 100;
    EXPECT_EQ(DdeLastError.number, 286);
    DdeLastError = QorError();
    EXPECT_TRUE(PokeMemoryHeld(payload)) << "held while its answer may come";
    EXPECT_NE(GlobalFindAtomA(item.c_str()), 0);
    if (c.answer == LateAnswer::BeforeTheEnd) {
      EXPECT_TRUE(WaitFor([&] { return !PokeMemoryHeld(payload); }, 5000))
          << "freed when the refusal comes";
    }
    // Another program's use of the same name, which must outlive the answer.
    const ATOM othersUse =
        c.answer == LateAnswer::AfterTheEnd ? GlobalAddAtomA(item.c_str()) : ATOM{0};
    SetLinkMode(0);
    EXPECT_FALSE(PokeMemoryHeld(payload));
    if (othersUse == 0) {
      EXPECT_EQ(GlobalFindAtomA(item.c_str()), 0) << "the item atom is deleted";
    } else {
      ASSERT_TRUE(server.WaitUntilIdle());  // the refusal is on its way
      DispatchMessages();
      EXPECT_EQ(GlobalFindAtomA(item.c_str()), othersUse);
      GlobalDeleteAtom(othersUse);
    }
    if (c.answer == LateAnswer::Never) server.Kill();
  }
}

// A server that serves every conversation from one window answers in the
// order of the requests, however late: its refusal of block 1's poke and its
// answer to block 1's end come during block 2's conversation, from the same
// window, and answer block 1. Block 2 gets its own answers.
TEST(DdeClient, LateAnswersFromAServersOnlyWindowAnswerTheEarlierBlock) {
  TempDir dir;
  TestServer server(dir, "QORROH", "Import",
                    "--raw --refuse-poke --poke-delay 1500 --delayed-pokes 1");
  ASSERT_TRUE(server.ready());
  const std::string item = "Roh" + std::to_string(GetCurrentProcessId());
  txtEXport.LinkTopic = "QORROH|Import";
  txtEXport.LinkItem = item;
  SetLinkMode(1);
  ASSERT_EQ(DdeLastError.number, 0);
  txtEXport.Text = "eins";
  txtEXport.LinkTimeout = 5;  // half a second for the poke alone
  LinkPoke();
  txtEXport.LinkTimeout = 100;
  EXPECT_EQ(DdeLastError.number, 286);
  DdeLastError = QorError();
  SetLinkMode(0);

  // Another program's use of the item's name, which must outlive every
  // answer: each answer's atom is deleted once.
  const ATOM othersUse = GlobalAddAtomA(item.c_str());
  SetLinkMode(1);
  EXPECT_EQ(DdeLastError.number, 0) << "the answer to block 1's end ended block 2's conversation";
  DdeLastError = QorError();
  txtEXport.Text = "zwei";
  LinkPoke();
  EXPECT_EQ(DdeLastError.number, 285) << "block 2's poke is refused, not answered by block 1's";
  DdeLastError = QorError();
  SetLinkMode(0);
  EXPECT_EQ(DdeLastError.number, 0);
  // Block 2's initiate is sent while the server still sleeps over block 1's
  // poke, and sent messages come before posted ones.
  const std::string advised = "advstart\t" + item + "\t1\taccepted";
  const Lines expected{"connect\tImport",
                       advised,
                       "poke\t" + item + "\t1\t" + Hex(std::string("eins", 5)),
                       "connect\tImport",
                       "disconnect",
                       advised,
                       "poke\t" + item + "\t1\t" + Hex(std::string("zwei", 5)),
                       "advstop\t" + item + "\t1",
                       "disconnect"};
  server.WaitForRecords(expected);
  EXPECT_EQ(server.Records(), expected);
  ASSERT_TRUE(server.WaitUntilIdle());
  DispatchMessages();
  EXPECT_EQ(GlobalFindAtomA(item.c_str()), othersUse);
  GlobalDeleteAtom(othersUse);
  EXPECT_EQ(GlobalFindAtomA(item.c_str()), 0) << "no answer's atom is left";
}

}  // namespace
