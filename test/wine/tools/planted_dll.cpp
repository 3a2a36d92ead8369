// A stand-in for a system DLL, copied beside a program under a system DLL's name to see
// whether the program loads DLLs by name from its own folder. It forwards nothing and is
// no use as the real DLL: on being loaded it leaves a marker file
//   C:\planted-markers\<its own file name>-<process id>.txt
// holding its own path and the program's, one "name=value" line each, in UTF-8. The folder
// is fixed so that any process of the prefix (a COM server as well) writes to the same
// place, whatever its environment and working directory.
#include <windows.h>

#include <string>

#include "Handle.h"

namespace MorlaventMenu::WineTest {
namespace {

constexpr wchar_t kMarkerFolder[] = L"C:\\planted-markers";

std::wstring ModulePath(HMODULE module) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

std::wstring FileName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// Only kernel32 is used here: it is all that is safe to call while the loader runs DllMain.
void LeaveMarker(HMODULE self) {
  const std::wstring module = ModulePath(self);
  CreateDirectoryW(kMarkerFolder, nullptr);
  const std::wstring marker = std::wstring(kMarkerFolder) + L"\\" + FileName(module) + L"-" +
                              std::to_wstring(GetCurrentProcessId()) + L".txt";
  UniqueHandle file(CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return;
  const std::string text = Utf8(L"module=" + module + L"\r\nexe=" + ModulePath(nullptr) + L"\r\n");
  DWORD written = 0;
  WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace
}  // namespace MorlaventMenu::WineTest

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    MorlaventMenu::WineTest::LeaveMarker(instance);
  }
  return TRUE;
}
