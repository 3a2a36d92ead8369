#include <windows.h>

#include "host/HostConnection.h"
#include "launcher/Main.h"
#include "platform/win32/WinPlatform.h"

namespace {

// Only the system folder may supply a DLL that is loaded by name later, never the folder the
// launcher was started from. SetDefaultDllDirectories is missing from older Windows, so it is
// looked up rather than imported.
void LoadDllsFromSystemFolderOnly() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
  const auto set_default_dll_directories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_default_dll_directories != nullptr) {
    set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LoadDllsFromSystemFolderOnly();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  int status;
  {
    MorlaventMenu::WinPlatform platform;
    MorlaventMenu::ThePlatform = &platform;
    status = MorlaventMenu::Main();
    // AutoCAD stays open; only the launcher's references to it go, while COM still runs.
    MorlaventMenu::Host.AcadDoc.reset();
    MorlaventMenu::Host.AcadApp.reset();
    platform.Session().Ids().Clear();
    MorlaventMenu::ThePlatform = nullptr;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
