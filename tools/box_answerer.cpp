#include "box_answerer.h"

namespace {

// The message text control and the icon control of a message box.
constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x440;

bool Shows(HWND box, int id) {
  const HWND button = GetDlgItem(box, id);
  return button != nullptr && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

HWND FindShownBox(const char* caption) {
  // A box is created hidden and filled in before it is shown.
  const HWND box = FindWindowA("#32770", caption);
  return box != nullptr && IsWindowVisible(box) && GetDlgItem(box, kTextId) != nullptr ? box
                                                                                       : nullptr;
}

SeenBox ReadBox(HWND box) {
  SeenBox seen;
  char text[4096] = {};
  const UINT length = GetDlgItemTextA(box, kTextId, text, sizeof text);
  seen.text.assign(text, length);
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    seen.buttons += Shows(box, id);
  }
  seen.ok = Shows(box, IDOK);
  seen.yes = Shows(box, IDYES);
  seen.no = Shows(box, IDNO);
  if (const HWND icon = GetDlgItem(box, kIconId)) {
    seen.icon = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
  }
  seen.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  seen.owner = GetWindow(box, GW_OWNER);
  return seen;
}

void PressButton(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

BoxAnswerer::BoxAnswerer(const char* caption, int yesNoAnswer)
    : caption_(caption), yesNoAnswer_(yesNoAnswer), thread_([this] { Answer(); }) {}

BoxAnswerer::~BoxAnswerer() { Stop(); }

std::vector<SeenBox> BoxAnswerer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return seen_;
}

void BoxAnswerer::Answer() {
  HWND answered = nullptr;  // stays until it is gone, and is not answered twice
  while (!stop_) {
    const HWND box = FindShownBox(caption_.c_str());
    if (box != nullptr && box != answered) {
      SeenBox seen = ReadBox(box);
      PressButton(box, seen.ok ? IDOK : yesNoAnswer_);
      seen_.push_back(std::move(seen));
      answered = box;
      ++answered_;
    }
    if (answered != nullptr && !IsWindow(answered)) answered = nullptr;
    Sleep(10);
  }
}
