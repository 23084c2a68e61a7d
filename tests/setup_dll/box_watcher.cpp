#include "box_watcher.h"

namespace setup_test {

namespace {

// The message text control and the icon control of a message box.
constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 0x440;

SeenBox Describe(HWND box) {
  SeenBox seen;
  char text[4096] = {};
  const UINT length = GetDlgItemTextA(box, kTextId, text, sizeof text);
  seen.text.assign(text, length);
  seen.okButton = GetDlgItem(box, IDOK) != nullptr;
  seen.yesButton = GetDlgItem(box, IDYES) != nullptr;
  seen.noButton = GetDlgItem(box, IDNO) != nullptr;
  seen.cancelButton = GetDlgItem(box, IDCANCEL) != nullptr;
  const HWND icon = GetDlgItem(box, kIconId);
  seen.icon = icon != nullptr && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
  seen.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  seen.owner = GetWindow(box, GW_OWNER);
  return seen;
}

}  // namespace

BoxWatcher::BoxWatcher(const char* caption, int yesNoAnswer)
    : caption_(caption), yesNoAnswer_(yesNoAnswer), thread_([this] { Watch(); }) {}

BoxWatcher::~BoxWatcher() { Stop(); }

const std::vector<SeenBox>& BoxWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return seen_;
}

void BoxWatcher::Watch() {
  HWND answered = nullptr;
  while (!stop_) {
    const HWND box = FindWindowA("#32770", caption_.c_str());
    // A box is created hidden and filled before it is shown: read it once visible.
    if (box != nullptr && box != answered && IsWindowVisible(box)) {
      SeenBox seen = Describe(box);
      const int answer = seen.okButton ? IDOK : yesNoAnswer_;
      seen_.push_back(std::move(seen));
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
      answered = box;
    }
    if (answered != nullptr && !IsWindow(answered)) answered = nullptr;
    Sleep(10);
  }
}

}  // namespace setup_test
