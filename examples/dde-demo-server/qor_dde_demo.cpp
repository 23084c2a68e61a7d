// qor_dde_demo: a small DDE server to watch qor.exe deliver a DDE block.
//
//   qor_dde_demo.exe [SERVICE [TOPIC]]     (default: QORDEMO Import)
//
// It answers conversations for SERVICE and TOPIC, accepts the automatic link
// qor.exe asks for and every poke in CF_TEXT on any item. Each poke is shown
// in the program's window and appended, with its bytes unchanged, to
// "dde-empfang.txt" beside the program. The file begins with a "Bereit" line
// once the service is registered. Close the window to end the program.
#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr char kWindowClass[] = "QorDdeDemo";
constexpr char kReceivedFile[] = "dde-empfang.txt";

DWORD instance = 0;
HSZ serviceName = nullptr;
HSZ topicName = nullptr;
HWND logView = nullptr;
std::string receivedPath;
std::map<std::string, std::string> lastValues;  // item -> last text poked

std::string Name(HSZ hsz) {
  char buffer[256] = {};
  DdeQueryStringA(instance, hsz, buffer, sizeof buffer, CP_WINANSI);
  return buffer;
}

// Shows `text` at the end of the window and appends it to the file.
void Report(const std::string& text) {
  HANDLE file = CreateFileA(receivedPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  if (logView != nullptr) {
    const int end = GetWindowTextLengthA(logView);
    SendMessageA(logView, EM_SETSEL, end, end);
    SendMessageA(logView, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

std::string Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
  return stamp;
}

HDDEDATA Answer(ULONG_PTR value) { return reinterpret_cast<HDDEDATA>(value); }

HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                              ULONG_PTR, ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      return Answer(DdeCmpStringHandles(hsz1, topicName) == 0);
    case XTYP_CONNECT_CONFIRM:
      Report(Now() + " Verbindung zum Thema " + Name(hsz1) + "\r\n");
      return nullptr;
    case XTYP_ADVSTART:
      return Answer(format == CF_TEXT);
    case XTYP_ADVREQ: {
      const std::string& value = lastValues[Name(hsz2)];
      return DdeCreateDataHandle(instance,
                                 reinterpret_cast<BYTE*>(const_cast<char*>(value.c_str())),
                                 static_cast<DWORD>(value.size() + 1), 0, hsz2, CF_TEXT, 0);
    }
    case XTYP_POKE: {
      if (format != CF_TEXT) return Answer(DDE_FNOTPROCESSED);
      std::string bytes(DdeGetData(data, nullptr, 0, 0), '\0');
      if (!bytes.empty()) {
        DdeGetData(data, reinterpret_cast<BYTE*>(&bytes[0]), static_cast<DWORD>(bytes.size()), 0);
      }
      const std::string text = bytes.substr(0, bytes.find('\0'));
      const std::string item = Name(hsz2);
      lastValues[item] = text;
      Report(Now() + " Poke auf Item \"" + item + "\" (" + std::to_string(text.size()) +
             " Bytes):\r\n" + text + "\r\n");
      DdePostAdvise(instance, topicName, hsz2);
      return Answer(DDE_FACK);
    }
    case XTYP_DISCONNECT:
      Report(Now() + " Verbindung beendet\r\n");
      return nullptr;
    default:
      return nullptr;
  }
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (logView != nullptr) MoveWindow(logView, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

std::string Argument(int index, const char* fallback) {
  return index < __argc ? __argv[index] : fallback;
}

}  // namespace

int WINAPI WinMain(HINSTANCE self, HINSTANCE, LPSTR, int show) {
  const std::string service = Argument(1, "QORDEMO");
  const std::string topic = Argument(2, "Import");

  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  receivedPath = path;
  receivedPath = receivedPath.substr(0, receivedPath.find_last_of('\\') + 1) + kReceivedFile;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = self;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  const std::string title = "QOR DDE-Demo - " + service + "|" + topic;
  HWND window = CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 400, nullptr, nullptr, self, nullptr);
  logView = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", "",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0,
      window, nullptr, self, nullptr);
  ShowWindow(window, show);

  if (DdeInitializeA(&instance, DdeCallback,
                     APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                     0) != DMLERR_NO_ERROR) {
    MessageBoxA(window, "DDE konnte nicht gestartet werden.", title.c_str(), MB_ICONSTOP);
    return 1;
  }
  serviceName = DdeCreateStringHandleA(instance, service.c_str(), CP_WINANSI);
  topicName = DdeCreateStringHandleA(instance, topic.c_str(), CP_WINANSI);
  if (DdeNameService(instance, serviceName, nullptr, DNS_REGISTER) == nullptr) {
    MessageBoxA(window, "Der DDE-Dienst konnte nicht angemeldet werden.", title.c_str(),
                MB_ICONSTOP);
    return 1;
  }
  Report(Now() + " Bereit: DDE-Server " + service + ", Thema " + topic + "\r\n");

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DdeNameService(instance, serviceName, nullptr, DNS_UNREGISTER);
  DdeFreeStringHandle(instance, serviceName);
  DdeFreeStringHandle(instance, topicName);
  DdeUninitialize(instance);
  return 0;
}
