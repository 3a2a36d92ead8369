#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "WatchJob.h"

namespace MorlaventMenu::WineTest {

struct DialogButton {
  int Id = 0;
  std::wstring Text;
};

// What a message box showed, read from its window.
struct SeenBox {
  HWND Window = nullptr;
  std::wstring Caption;
  std::wstring Text;
  std::vector<DialogButton> Buttons;
};

// Visible dialog windows (class #32770) of the process, in Z order.
std::vector<HWND> FindVisibleDialogs(DWORD process_id);

SeenBox ReadBox(HWND dialog);

// Closes the box the way a user would: the OK button, the Escape key or the close button
// in the caption. Returns false when the chosen way had nothing to act on.
bool PressBox(HWND dialog, PressMode mode);

}  // namespace MorlaventMenu::WineTest
