#include "box_answerer.h"

#include <algorithm>
#include <cstring>

namespace {

// The message text control and the icon control of a message box.
constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x440;

bool Shows(HWND box, int id) {
  const HWND button = GetDlgItem(box, id);
  return button != nullptr && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

std::vector<HWND> FindShownBoxes(const char* caption) {
  struct Search {
    const char* caption;
    std::vector<HWND> boxes;
  } search{caption, {}};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        char className[16] = {};
        char title[256] = {};
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, title, sizeof title);
        // A box is created hidden and filled in before it is shown.
        if (std::strcmp(className, "#32770") == 0 && std::strcmp(title, s.caption) == 0 &&
            IsWindowVisible(window) && GetDlgItem(window, kTextId) != nullptr) {
          s.boxes.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.boxes;
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
