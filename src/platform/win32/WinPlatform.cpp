#include "platform/win32/WinPlatform.h"

#include <windows.h>

#include <type_traits>

#include "launcher/Edition.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/DispatchObject.h"

namespace MorlaventMenu {

namespace {

// The documented signature; the function itself is only ever found at run time.
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
static_assert(std::is_same<int32_t, BOOL>::value, "the flag is the BOOL the call writes");

bool Fail(HRESULT result, const DispatchSession& session, AutomationError& error) {
  error = FailureOf(result, session.FailureSource());
  return false;
}

}  // namespace

WinPlatform::WinPlatform() : session_(std::make_shared<DispatchSession>(ApplicationTitle)) {}

void* WinPlatform::ModuleHandleA(const char* module_name) {
  return GetModuleHandleA(module_name);
}

void* WinPlatform::ProcAddress(void* module, const char* proc_name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), proc_name));
}

void* WinPlatform::CurrentProcess() {
  return GetCurrentProcess();
}

int32_t WinPlatform::CallIsWow64Process(void* address, void* process, int32_t* flag) {
  const auto is_wow64_process = reinterpret_cast<IsWow64ProcessFunction>(address);
  return is_wow64_process(process, flag);
}

void WinPlatform::ShowMessage(const std::wstring& text, const std::wstring& title, uint32_t style) {
  MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | style);
}

std::wstring WinPlatform::ExecutableFolder() {
  // The path may be longer than MAX_PATH; a buffer that was filled to the brim may have
  // cut it short, so grow until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // "C:\launcher.exe" gives "C:": the folder never ends in a separator.
  const size_t separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool WinPlatform::AttachRunning(const std::wstring& class_id, AutomationValue& result,
                                AutomationError& error) {
  CLSID class_guid;
  HRESULT answer = CLSIDFromProgID(class_id.c_str(), &class_guid);
  if (FAILED(answer)) return Fail(answer, *session_, error);
  ComPtr<IUnknown> running;
  answer = GetActiveObject(class_guid, nullptr, running.Put());
  if (FAILED(answer)) return Fail(answer, *session_, error);
  ComPtr<IDispatch> dispatch;
  answer = running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put()));
  if (FAILED(answer)) return Fail(answer, *session_, error);
  result =
      AutomationValue::Object(MakeDispatchObject(std::move(dispatch), kApplicationKind, session_));
  return true;
}

bool WinPlatform::CreateInstance(const std::wstring& class_id, AutomationValue& result,
                                 AutomationError& error) {
  CLSID class_guid;
  HRESULT answer = CLSIDFromProgID(class_id.c_str(), &class_guid);
  if (FAILED(answer)) return Fail(answer, *session_, error);
  ComPtr<IDispatch> dispatch;
  answer = CoCreateInstance(class_guid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(dispatch.Put()));
  if (FAILED(answer)) return Fail(answer, *session_, error);
  result =
      AutomationValue::Object(MakeDispatchObject(std::move(dispatch), kApplicationKind, session_));
  return true;
}

std::wstring WinPlatform::SystemMessage(int32_t number) {
  return SystemText(number);
}

}  // namespace MorlaventMenu
