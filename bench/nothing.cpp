// bench-nothing.exe: a windowless program that ends at once. Its start and end under Wine
// are the floor under any launch: no program can be quicker than this one.
// With "/stay SECONDS" it waits that long instead, which keeps a prefix's Wine processes
// (wineserver, services) running between the timed runs, as on a machine in use.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  const wchar_t* stay = command_line != nullptr ? std::wcsstr(command_line, L"/stay ") : nullptr;
  if (stay != nullptr) {
    const long seconds = std::wcstol(stay + 6, nullptr, 10);
    if (seconds > 0 && seconds <= 24 * 3600) Sleep(static_cast<DWORD>(seconds) * 1000);
  }
  return 0;
}
