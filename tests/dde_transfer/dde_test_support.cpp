#include "dde_test_support.h"

#include <cstdio>
#include <cstring>

namespace dde_test {

const char kDataSent[] = "DDE-\xDC" "bertragung: Daten gesendet!";

std::string FailureLine(const std::string& numberAndDescription) {
  return "Fehler bei der DDE-\xDC" "bertragung. Fehler " + numberAndDescription;
}

std::string Hex(const std::string& bytes) {
  std::string text;
  char pair[3];
  for (unsigned char b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    text += pair;
  }
  return text;
}

std::string TestServer::ExePath() { return e2e::BinDir() + "\\qor_dde_test_server.exe"; }

TestServer::TestServer(const e2e::TempDir& dir, const std::string& service,
                       const std::string& topic, const std::string& options)
    : log_(dir / ("server-" + service + ".log")) {
  DeleteFileA(log_.c_str());
  std::string commandLine = "\"" + ExePath() + "\" --service \"" + service + "\" --topic \"" +
                            topic + "\" --log \"" + log_ + "\" " + options;
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &process_)) {
    return;
  }
  ready_ = PumpUntil(
      [this] {
        for (const std::string& line : AllLines()) {
          if (line == "ready") return true;
        }
        return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
      },
      15000);
  ready_ = ready_ && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

TestServer::~TestServer() {
  if (process_.hProcess == nullptr) return;
  PostThreadMessageA(process_.dwThreadId, WM_QUIT, 0, 0);
  if (!e2e::WaitPumping(process_.hProcess, 5000)) Kill();
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void TestServer::Kill() {
  TerminateProcess(process_.hProcess, 9);
  WaitForSingleObject(process_.hProcess, 5000);
}

std::vector<std::string> TestServer::AllLines() const {
  std::vector<std::string> lines;
  std::string text;
  if (!e2e::ReadFileBytes(log_, text)) return lines;
  size_t pos = 0;
  for (size_t end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1) {
    lines.push_back(text.substr(pos, end - pos));
  }
  return lines;
}

std::vector<std::string> TestServer::Records() const {
  std::vector<std::string> records;
  for (const std::string& line : AllLines()) {
    if (line != "ready" && line != "idle") records.push_back(line);
  }
  return records;
}

bool TestServer::WaitForRecord(const std::string& line, DWORD timeoutMs) const {
  return PumpUntil(
      [&] {
        for (const std::string& record : Records()) {
          if (record == line) return true;
        }
        return false;
      },
      timeoutMs);
}

bool TestServer::WaitUntilIdle(DWORD timeoutMs) const {
  return PumpUntil(
      [&] {
        const std::vector<std::string> lines = AllLines();
        return !lines.empty() && lines.back() == "idle";
      },
      timeoutMs);
}

namespace {

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND TestWindow() {
  static HWND window = nullptr;
  if (window == nullptr) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TestWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QorTestClipboardOwner";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
  }
  return window;
}

bool PutBitmapAndText(const std::string& text, bool unicodeToo) {
  if (!OpenClipboard(TestWindow())) return false;
  bool ok = EmptyClipboard() != FALSE;
  const DWORD pixels[64] = {0x00FF0000, 0x0000FF00, 0x000000FF};
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, pixels);
  ok = ok && bitmap != nullptr && SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  if (ok && !text.empty()) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* bytes = memory != nullptr ? static_cast<char*>(GlobalLock(memory)) : nullptr;
    ok = bytes != nullptr;
    if (ok) {
      std::memcpy(bytes, text.c_str(), text.size() + 1);
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    }
  }
  if (ok && !text.empty() && unicodeToo) {
    const std::wstring wide(text.begin(), text.end());  // ASCII texts only
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    wchar_t* chars = memory != nullptr ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr;
    ok = chars != nullptr;
    if (ok) {
      std::memcpy(chars, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
  }
  CloseClipboard();
  return ok;
}

bool ClipboardHas(UINT format) { return IsClipboardFormatAvailable(format) != FALSE; }

bool ClipboardText(std::string& text, UINT format) {
  if (!OpenClipboard(TestWindow())) return false;
  bool ok = false;
  if (HANDLE memory = GetClipboardData(format)) {
    const SIZE_T size = GlobalSize(memory);
    if (const char* bytes = static_cast<const char*>(GlobalLock(memory))) {
      const void* nul = std::memchr(bytes, '\0', size);
      if (nul != nullptr) {
        text.assign(bytes, static_cast<const char*>(nul) - bytes);
        ok = true;
      }
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return ok;
}

bool ClipboardUnicodeText(std::wstring& text) {
  if (!OpenClipboard(TestWindow())) return false;
  bool ok = false;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* chars = static_cast<const wchar_t*>(GlobalLock(memory))) {
      text = chars;
      ok = true;
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return ok;
}

}  // namespace dde_test
