// Helper of WinPlatformTest: writes the folder that WinPlatform finds for this program,
// as UTF-16, into the file named by its only argument. The test copies it to folders of
// its choosing and runs it there.
#include <windows.h>

#include <string>

#include "platform/win32/WinPlatform.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  std::wstring folder;
  {
    MorlaventMenu::WinPlatform platform;
    folder = platform.ExecutableFolder();
  }
  CoUninitialize();
  HANDLE file = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 4;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(folder.size() * sizeof(wchar_t));
  const bool ok = WriteFile(file, folder.data(), size, &written, nullptr) && written == size;
  CloseHandle(file);
  return ok ? 0 : 5;
}
