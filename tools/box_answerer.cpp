#include "box_answerer.h"

#include <algorithm>

namespace {

// The message text control and the icon control of a message box.
constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x440;
// A box's thread answers messages while the box is up; one that is just
// closing may not, and the answerer must not wait for it for ever.
constexpr UINT kReadTimeoutMs = 1000;

bool Shows(HWND box, int id) {
  const HWND button = GetDlgItem(box, id);
  return button != nullptr && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

std::vector<HWND> FindShownBoxes(const char* caption) {
  // FindWindowEx compares the caption without sending the window a message,
  // so a window whose thread is busy cannot hold the search up.
  std::vector<HWND> boxes;
  HWND box = nullptr;
  while ((box = FindWindowExA(nullptr, box, "#32770", caption)) != nullptr) {
    // A box is created hidden and filled in before it is shown.
    if (IsWindowVisible(box) && GetDlgItem(box, kTextId) != nullptr) boxes.push_back(box);
  }
  return boxes;
}

SeenBox ReadBox(HWND box) {
  SeenBox seen;
  char text[4096] = {};
  DWORD_PTR length = 0;
  if (SendMessageTimeoutA(GetDlgItem(box, kTextId), WM_GETTEXT, sizeof text,
                          reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kReadTimeoutMs, &length)) {
    seen.text.assign(text, std::min<DWORD_PTR>(length, sizeof text - 1));
  }
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    seen.buttons += Shows(box, id);
  }
  seen.ok = Shows(box, IDOK);
  seen.yes = Shows(box, IDYES);
  seen.no = Shows(box, IDNO);
  if (const HWND icon = GetDlgItem(box, kIconId)) {
    DWORD_PTR handle = 0;
    SendMessageTimeoutA(icon, STM_GETICON, 0, 0, SMTO_NORMAL, kReadTimeoutMs, &handle);
    seen.icon = reinterpret_cast<HICON>(handle);
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
  // Every box is answered once; one that is still shown half a second after
  // its button was pressed is read and pressed again, as a person would click
  // again, so that a click the box did not take never leaves it waiting.
  constexpr DWORD kPressAgainMs = 500;
  struct Pressed {
    HWND box;
    size_t seen;  // its entry in seen_
    DWORD at;
  };
  std::vector<Pressed> pressed;  // boxes still there
  while (!stop_) {
    for (const HWND box : FindShownBoxes(caption_.c_str())) {
      auto it = std::find_if(pressed.begin(), pressed.end(),
                             [box](const Pressed& p) { return p.box == box; });
      if (it == pressed.end()) {
        seen_.push_back(ReadBox(box));
        pressed.push_back({box, seen_.size() - 1, GetTickCount()});
        PressButton(box, seen_.back().ok ? IDOK : yesNoAnswer_);
        ++answered_;
      } else if (GetTickCount() - it->at >= kPressAgainMs) {
        seen_[it->seen] = ReadBox(box);
        PressButton(box, seen_[it->seen].ok ? IDOK : yesNoAnswer_);
        it->at = GetTickCount();
      }
    }
    pressed.erase(std::remove_if(pressed.begin(), pressed.end(),
                                 [](const Pressed& p) { return !IsWindow(p.box); }),
                  pressed.end());
    Sleep(10);
  }
}
