#include "MessageBoxes.h"

namespace MorlaventMenu::WineTest {
namespace {

constexpr int kMessageTextId = 0xFFFF;  // the static control that holds a box's text

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct DialogSearch {
  DWORD ProcessId;
  std::vector<HWND> Found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->ProcessId && IsWindowVisible(window) && ClassName(window) == L"#32770")
    search->Found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectButton(HWND window, LPARAM context) {
  auto* buttons = reinterpret_cast<std::vector<DialogButton>*>(context);
  if (ClassName(window) == L"Button" && IsWindowVisible(window))
    buttons->push_back({GetDlgCtrlID(window), WindowText(window)});
  return TRUE;
}

void PostKey(HWND target, UINT key) {
  UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

}  // namespace

std::vector<HWND> FindVisibleDialogs(DWORD process_id) {
  DialogSearch search{process_id, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

SeenBox ReadBox(HWND dialog) {
  SeenBox box;
  box.Window = dialog;
  box.Caption = WindowText(dialog);
  HWND text = GetDlgItem(dialog, kMessageTextId);
  if (text) box.Text = WindowText(text);
  EnumChildWindows(dialog, CollectButton, reinterpret_cast<LPARAM>(&box.Buttons));
  return box;
}

bool PressBox(HWND dialog, PressMode mode) {
  switch (mode) {
    case PressMode::Ok: {
      HWND button = GetDlgItem(dialog, IDOK);
      if (!button) return false;
      return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button)) != FALSE;
    }
    case PressMode::Escape: {
      // Keys go to the control that has the focus in the box's thread, as typed ones do;
      // the dialog's own loop turns Escape into its cancel command.
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      HWND target = dialog;
      if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
      PostKey(target, VK_ESCAPE);
      return true;
    }
    case PressMode::Close:
      return PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
    case PressMode::None:
      return true;
  }
  return false;
}

}  // namespace MorlaventMenu::WineTest
