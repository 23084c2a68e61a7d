// The raw mode of qor_dde_test_server: the DDE messages themselves, and one
// window that serves every conversation, as many servers written without the
// DDE management library do. It answers every request in the order it came,
// however late, and tells conversations apart by nothing but the client's
// window. A poke's bytes are recorded up to and with its first NUL, which is
// the whole value a client sends as text. Data sent over an automatic link
// asks for an acknowledgement; each answer to it is recorded as "dataack
// ITEM accepted|refused" (ITEM empty when the answer held none).
#include <windows.h>
#include <dde.h>

#include <cstddef>

#include "dde_test_server_app.h"
#include "job_text.h"

namespace {

constexpr WORD kPositive = 0x8000;

// The data last sent over the link, the server's to free when refused.
HGLOBAL sentData = nullptr;

std::string AtomName(ATOM atom) {
  char name[256] = {};
  GlobalGetAtomNameA(atom, name, sizeof name);
  return name;
}

// Atoms compare without regard to case, as DDE names do.
bool Names(ATOM atom, const std::string& name) { return atom == GlobalFindAtomA(name.c_str()); }

void PostAck(HWND client, HWND server, LPARAM request, UINT message, WORD status, UINT_PTR item) {
  PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server),
               ReuseDDElParam(request, message, WM_DDE_ACK, status, item));
}

void OnInitiate(HWND server, HWND client, LPARAM lParam) {
  if (!Names(LOWORD(lParam), options.service) || !Names(HIWORD(lParam), options.topic)) return;
  Record("connect\t" + options.topic);
  // The answer's atoms are the client's to delete.
  SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server),
               MAKELPARAM(GlobalAddAtomA(options.service.c_str()),
                          GlobalAddAtomA(options.topic.c_str())));
}

void OnAdvise(HWND server, HWND client, LPARAM lParam) {
  UINT_PTR memory = 0;
  UINT_PTR item = 0;
  UnpackDDElParam(WM_DDE_ADVISE, lParam, &memory, &item);
  const HGLOBAL advise = reinterpret_cast<HGLOBAL>(memory);
  const auto* asked = static_cast<const DDEADVISE*>(GlobalLock(advise));
  const int format = asked != nullptr ? asked->cfFormat : 0;
  GlobalUnlock(advise);
  Record("advstart\t" + AtomName(static_cast<ATOM>(item)) + "\t" + std::to_string(format) +
         "\taccepted");
  GlobalFree(advise);  // accepted: the options are the server's
  const std::string name = AtomName(static_cast<ATOM>(item));
  PostAck(client, server, lParam, WM_DDE_ADVISE, kPositive, item);
  if (options.adviseData.empty()) return;
  const size_t size = options.adviseData.size() + 1;
  sentData = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, offsetof(DDEDATA, Value) + size);
  auto* data = static_cast<DDEDATA*>(GlobalLock(sentData));
  data->fAckReq = 1;
  data->fRelease = 1;
  data->cfFormat = CF_TEXT;
  CopyMemory(data->Value, options.adviseData.c_str(), size);
  GlobalUnlock(sentData);
  // The data's own reference to the item, passed on with the message.
  const ATOM dataItem = GlobalAddAtomA(name.c_str());
  Record("advdata\t" + name);
  PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(server),
               PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(sentData), dataItem));
}

void OnDataAck(LPARAM lParam) {
  UINT_PTR status = 0;
  UINT_PTR item = 0;
  UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item);
  FreeDDElParam(WM_DDE_ACK, lParam);
  const bool accepted = (status & kPositive) != 0;
  Record("dataack\t" + (item != 0 ? AtomName(static_cast<ATOM>(item)) : std::string()) + "\t" +
         (accepted ? "accepted" : "refused"));
  if (item != 0) GlobalDeleteAtom(static_cast<ATOM>(item));
  if (!accepted && sentData != nullptr) GlobalFree(sentData);
  sentData = nullptr;
}

void OnUnadvise(HWND server, HWND client, LPARAM lParam) {
  Record("advstop\t" + AtomName(HIWORD(lParam)) + "\t" + std::to_string(LOWORD(lParam)));
  PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server),
               PackDDElParam(WM_DDE_ACK, kPositive, HIWORD(lParam)));
}

void OnPoke(HWND server, HWND client, LPARAM lParam) {
  UINT_PTR memory = 0;
  UINT_PTR item = 0;
  UnpackDDElParam(WM_DDE_POKE, lParam, &memory, &item);
  const HGLOBAL data = reinterpret_cast<HGLOBAL>(memory);
  const auto* poke = static_cast<const DDEPOKE*>(GlobalLock(data));
  std::string text;
  int format = 0;
  bool release = false;
  if (poke != nullptr) {
    const size_t size = GlobalSize(data) - offsetof(DDEPOKE, Value);
    const char* value = reinterpret_cast<const char*>(poke) + offsetof(DDEPOKE, Value);
    size_t length = 0;
    while (length < size && value[length] != '\0') ++length;
    text.assign(value, length < size ? length + 1 : size);
    format = poke->cfFormat;
    release = poke->fRelease;
  }
  GlobalUnlock(data);
  Record("poke\t" + AtomName(static_cast<ATOM>(item)) + "\t" + std::to_string(format) + "\t" +
         jobtext::Hex(text));
  AwaitPokeAnswer();
  // Refused, the data stays the client's; accepted, the server frees it.
  const bool accept = !options.refusePoke;
  if (accept && release) GlobalFree(data);
  PostAck(client, server, lParam, WM_DDE_POKE, accept ? kPositive : 0, item);
}

LRESULT CALLBACK ServerWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < WM_DDE_FIRST || message > WM_DDE_LAST) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  activity = true;
  const HWND client = reinterpret_cast<HWND>(wParam);
  switch (message) {
    case WM_DDE_INITIATE:
      OnInitiate(window, client, lParam);
      break;
    case WM_DDE_ADVISE:
      OnAdvise(window, client, lParam);
      break;
    case WM_DDE_UNADVISE:
      OnUnadvise(window, client, lParam);
      break;
    case WM_DDE_POKE:
      OnPoke(window, client, lParam);
      break;
    case WM_DDE_ACK:
      OnDataAck(lParam);
      break;
    case WM_DDE_TERMINATE:
      Record("disconnect");
      PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
      break;
  }
  return 0;
}

}  // namespace

int ServeRaw() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ServerWindow;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QorRawDdeServer";
  if (RegisterClassA(&windowClass) == 0) return 3;
  // A hidden top-level window: every initiate reaches those.
  const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 4;
  Record("ready");
  MSG message;
  while (NextMessage(message)) DispatchMessageA(&message);
  DestroyWindow(window);
  return 0;
}
