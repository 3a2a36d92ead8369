// A stand-in for the launcher when the harness tests itself: a windowless GUI program that
// runs the commands on its command line in order and exits. Texts take the escapes \r \n
// \t \\ and \uXXXX, so any text can pass through a command line intact.
//   box STYLE CAPTION TEXT          MessageBoxW (CAPTION "@null" passes no caption)
//   boxex STYLE CAPTION TEXT        MessageBoxExW
//   boxindirect STYLE CAPTION TEXT  MessageBoxIndirectW
//   sleep MS
//   exit CODE                       ends at once with CODE (default end: 0)
//   exit-wow64                      ends with the flag IsWow64Process reports
//   progid PROGID                   shows what the registry gives this process for PROGID
//   whereami                        shows its own path and working directory
//   touch PATH                      creates an empty file
//   crash                           dies of an access violation nobody handles
//   harden                          loads later DLLs by name from the system folder alone, as
//                                   the launcher does at start (ends with 122 where Windows
//                                   lacks SetDefaultDllDirectories)
//   loadlibrary NAME                LoadLibraryW(NAME), then shows the path of what it loaded
#include <windows.h>
// After windows.h, which they build on.
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <type_traits>

#include "Handle.h"

namespace MorlaventMenu::WineTest {
namespace {

std::wstring Unescape(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    wchar_t next = text[++i];
    if (next == L'r') {
      out += L'\r';
    } else if (next == L'n') {
      out += L'\n';
    } else if (next == L't') {
      out += L'\t';
    } else if (next == L'u' && i + 4 < text.size()) {
      out += static_cast<wchar_t>(wcstoul(text.substr(i + 1, 4).c_str(), nullptr, 16));
      i += 4;
    } else {
      out += next;
    }
  }
  return out;
}

UINT Number(const wchar_t* text) {
  return static_cast<UINT>(wcstoul(text, nullptr, 0));
}

void ShowBox(const std::wstring& kind, UINT style, const std::wstring& caption_arg,
             const std::wstring& text_arg) {
  std::wstring caption = Unescape(caption_arg);
  std::wstring text = Unescape(text_arg);
  const wchar_t* title = caption_arg == L"@null" ? nullptr : caption.c_str();
  if (kind == L"box") {
    MessageBoxW(nullptr, text.c_str(), title, style);
  } else if (kind == L"boxex") {
    MessageBoxExW(nullptr, text.c_str(), title, style, 0);
  } else {
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.lpszText = text.c_str();
    params.lpszCaption = title;
    params.dwStyle = style;
    MessageBoxIndirectW(&params);
  }
}

int Wow64Flag() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto is_wow64 = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
  BOOL flag = FALSE;
  if (!is_wow64) return 100;
  is_wow64(GetCurrentProcess(), &flag);
  return flag;
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};

struct TaskMemFree {
  void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

std::wstring LocalServerOf(const std::wstring& clsid) {
  HKEY raw_key = nullptr;
  std::wstring path = L"CLSID\\" + clsid + L"\\LocalServer32";
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &raw_key) != ERROR_SUCCESS)
    return L"(missing)";
  std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser> key(raw_key);
  wchar_t value[1024] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  LONG status =
      RegQueryValueExW(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  return status == ERROR_SUCCESS ? std::wstring(value) : L"(unreadable)";
}

void ShowProgId(const std::wstring& progid) {
  CoInitialize(nullptr);
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(progid.c_str(), &clsid);
  std::wstring report;
  if (FAILED(hr)) {
    wchar_t number[16];
    swprintf(number, 16, L"%08lx", static_cast<unsigned long>(hr));
    report = L"hr=" + std::wstring(number);
  } else {
    wchar_t* raw = nullptr;
    StringFromCLSID(clsid, &raw);
    std::unique_ptr<wchar_t, TaskMemFree> text(raw);
    report = L"clsid=" + std::wstring(text.get()) + L"\r\nserver=" + LocalServerOf(text.get());
  }
  MessageBoxW(nullptr, report.c_str(), L"progid", MB_OK);
  CoUninitialize();
}

void ShowWhereAmI() {
  std::wstring module(32768, L'\0');
  module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
  std::wstring directory(32768, L'\0');
  directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
  std::wstring report = L"module=" + module + L"\r\ncwd=" + directory;
  MessageBoxW(nullptr, report.c_str(), L"whereami", MB_OK);
}

// The same steps as the launcher's start-up, so that a test can show what they change.
bool Harden() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
  const auto set_default_dll_directories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (set_default_dll_directories == nullptr) return false;
  set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryW(L"");
  return true;
}

// Shows "loaded=PATH" or "failed=ERROR"; the DLL stays loaded until the end.
void ShowLoadLibrary(const std::wstring& name) {
  HMODULE module = LoadLibraryW(name.c_str());
  std::wstring report;
  if (module == nullptr) {
    report = L"failed=" + std::to_wstring(GetLastError());
  } else {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
    report = L"loaded=" + path;
  }
  MessageBoxW(nullptr, report.c_str(), L"loadlibrary", MB_OK);
}

void Touch(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

int Run() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 120;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::wstring command = argv[i];
    int left = argc - i - 1;
    if ((command == L"box" || command == L"boxex" || command == L"boxindirect") && left >= 3) {
      ShowBox(command, Number(argv[i + 1]), argv[i + 2], argv[i + 3]);
      i += 3;
    } else if (command == L"sleep" && left >= 1) {
      Sleep(Number(argv[++i]));
    } else if (command == L"exit" && left >= 1) {
      status = static_cast<int>(Number(argv[++i]));
      break;
    } else if (command == L"exit-wow64") {
      status = Wow64Flag();
      break;
    } else if (command == L"progid" && left >= 1) {
      ShowProgId(argv[++i]);
    } else if (command == L"whereami") {
      ShowWhereAmI();
    } else if (command == L"crash") {
      RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    } else if (command == L"touch" && left >= 1) {
      Touch(Unescape(argv[++i]));
    } else if (command == L"harden") {
      if (!Harden()) {
        status = 122;
        break;
      }
    } else if (command == L"loadlibrary" && left >= 1) {
      ShowLoadLibrary(Unescape(argv[++i]));
    } else {
      status = 121;  // a test asked for something this program does not know
      break;
    }
  }
  LocalFree(argv);
  return status;
}

}  // namespace
}  // namespace MorlaventMenu::WineTest

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return MorlaventMenu::WineTest::Run();
}
