// qor_dde_test_server: a DDE server (DDE management library) for the tests of
// qor.exe's DDE transfer. It registers one service with one topic and records
// to a file what the client does: connects, automatic links started and
// stopped, each poke's item, format and exact bytes, and disconnects. Its
// answers can be shaped from the command line:
//   --service NAME --topic NAME --log FILE   (required)
//   --refuse-advise        refuse the automatic link
//   --advise-delay MS      answer the automatic link MS milliseconds late
//   --advise-data TEXT     send TEXT over an accepted automatic link
//   --refuse-poke          refuse every poke
//   --busy-poke            answer every poke with "busy"
//   --poke-delay MS        answer every poke MS milliseconds late
//   --delayed-pokes N      only the first N pokes late
//   --poke-hang            never answer a poke
//   --raw                  DDE messages instead of the library, one window
//                          serving every conversation (dde_test_server_raw.cpp)
// Record lines (tab-separated): "ready", "connect-asked SERVICE TOPIC",
// "connect TOPIC", "advstart ITEM FORMAT accepted|refused", "advstop ITEM
// FORMAT", "poke ITEM FORMAT HEXBYTES", "advdata ITEM", "disconnect" and
// "idle" (all messages handled after some DDE activity).
#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dde_test_server_app.h"
#include "job_text.h"

Options options;
bool activity = false;

void Record(const std::string& line) {
  HANDLE file = CreateFileA(options.log.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void AwaitPokeAnswer() {
  static unsigned pokes = 0;
  if (options.pokeHang) {
    for (;;) Sleep(INFINITE);
  }
  if (options.pokeDelayMs > 0 && pokes++ < options.delayedPokes) Sleep(options.pokeDelayMs);
}

namespace {

DWORD instance = 0;
HSZ serviceName = nullptr;
HSZ topicName = nullptr;
HSZ advisedItem = nullptr;
constexpr UINT kSendAdviseData = WM_APP + 1;

std::string Name(HSZ hsz) {
  char buffer[512] = {};
  DdeQueryStringA(instance, hsz, buffer, sizeof buffer, CP_WINANSI);
  return buffer;
}

HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                           ULONG_PTR, ULONG_PTR) {
  activity = true;
  switch (type) {
    case XTYP_CONNECT:
      Record("connect-asked\t" + Name(hsz2) + "\t" + Name(hsz1));
      return reinterpret_cast<HDDEDATA>(
          static_cast<ULONG_PTR>(DdeCmpStringHandles(hsz1, topicName) == 0 &&
                                 DdeCmpStringHandles(hsz2, serviceName) == 0));
    case XTYP_CONNECT_CONFIRM:
      Record("connect\t" + Name(hsz1));
      return nullptr;
    case XTYP_ADVSTART: {
      if (options.adviseDelayMs > 0) Sleep(options.adviseDelayMs);
      const bool accept = !options.refuseAdvise;
      Record("advstart\t" + Name(hsz2) + "\t" + std::to_string(format) + "\t" +
             (accept ? "accepted" : "refused"));
      if (accept && !options.adviseData.empty()) {
        DdeKeepStringHandle(instance, hsz2);
        advisedItem = hsz2;
        PostThreadMessageA(GetCurrentThreadId(), kSendAdviseData, 0, 0);
      }
      return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(accept));
    }
    case XTYP_ADVREQ:
      Record("advdata\t" + Name(hsz2));
      return DdeCreateDataHandle(
          instance, reinterpret_cast<BYTE*>(const_cast<char*>(options.adviseData.c_str())),
          static_cast<DWORD>(options.adviseData.size() + 1), 0, hsz2, CF_TEXT, 0);
    case XTYP_ADVSTOP:
      Record("advstop\t" + Name(hsz2) + "\t" + std::to_string(format));
      return nullptr;
    case XTYP_POKE: {
      std::string bytes(DdeGetData(data, nullptr, 0, 0), '\0');
      if (!bytes.empty()) {
        DdeGetData(data, reinterpret_cast<BYTE*>(&bytes[0]), static_cast<DWORD>(bytes.size()), 0);
      }
      Record("poke\t" + Name(hsz2) + "\t" + std::to_string(format) + "\t" + jobtext::Hex(bytes));
      AwaitPokeAnswer();
      if (options.refusePoke) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
      if (options.busyPoke) return reinterpret_cast<HDDEDATA>(DDE_FBUSY);
      return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    case XTYP_DISCONNECT:
      Record("disconnect");
      return nullptr;
    default:
      return nullptr;
  }
}

bool ParseOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--service" && hasValue) {
      options.service = argv[++i];
    } else if (a == "--topic" && hasValue) {
      options.topic = argv[++i];
    } else if (a == "--log" && hasValue) {
      options.log = argv[++i];
    } else if (a == "--refuse-advise") {
      options.refuseAdvise = true;
    } else if (a == "--advise-delay" && hasValue) {
      options.adviseDelayMs = std::strtoul(argv[++i], nullptr, 10);
    } else if (a == "--advise-data" && hasValue) {
      options.adviseData = argv[++i];
    } else if (a == "--refuse-poke") {
      options.refusePoke = true;
    } else if (a == "--busy-poke") {
      options.busyPoke = true;
    } else if (a == "--poke-delay" && hasValue) {
      options.pokeDelayMs = std::strtoul(argv[++i], nullptr, 10);
    } else if (a == "--delayed-pokes" && hasValue) {
      options.delayedPokes = std::strtoul(argv[++i], nullptr, 10);
    } else if (a == "--poke-hang") {
      options.pokeHang = true;
    } else if (a == "--raw") {
      options.raw = true;
    } else {
      return false;
    }
  }
  return !options.service.empty() && !options.topic.empty() && !options.log.empty();
}

}  // namespace

bool NextMessage(MSG& message) {
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && activity) {
    activity = false;
    Record("idle");
  }
  return GetMessageA(&message, nullptr, 0, 0) > 0;
}

int main(int argc, char** argv) {
  if (!ParseOptions(argc, argv)) {
    std::fprintf(stderr, "usage: qor_dde_test_server --service S --topic T --log FILE [...]\n");
    return 2;
  }
  if (options.raw) return ServeRaw();
  if (DdeInitializeA(&instance, Callback,
                     APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                     0) != DMLERR_NO_ERROR) {
    return 3;
  }
  serviceName = DdeCreateStringHandleA(instance, options.service.c_str(), CP_WINANSI);
  topicName = DdeCreateStringHandleA(instance, options.topic.c_str(), CP_WINANSI);
  if (DdeNameService(instance, serviceName, nullptr, DNS_REGISTER) == nullptr) return 4;
  Record("ready");

  MSG message;
  while (NextMessage(message)) {
    if (message.hwnd == nullptr && message.message == kSendAdviseData) {
      DdePostAdvise(instance, topicName, advisedItem);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DdeNameService(instance, serviceName, nullptr, DNS_UNREGISTER);
  DdeUninitialize(instance);
  return 0;
}
