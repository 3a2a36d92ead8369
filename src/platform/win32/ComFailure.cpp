#include "platform/win32/ComFailure.h"

#include "platform/FailureNumber.h"

namespace MorlaventMenu {

static_assert(kCannotLoadTypeLibrary == TYPE_E_CANTLOADLIBRARY, "type library code");
static_assert(kTypeLibraryNotRegistered == TYPE_E_LIBNOTREGISTERED, "type library code");
static_assert(kModuleNotFound == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "module code");
static_assert(kDllNotFound == HRESULT_FROM_WIN32(ERROR_DLL_NOT_FOUND), "DLL code");

namespace {

std::wstring TextOf(BSTR text) {
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

}  // namespace

std::wstring SystemText(int32_t number) {
  std::wstring text(256, L'\0');
  for (;;) {
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(number), 0, &text[0],
                                        static_cast<DWORD>(text.size()), nullptr);
    if (length != 0) {
      text.resize(length);
      break;
    }
    // FormatMessageW takes at most 64 KiB; beyond that the system has no text to give.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || text.size() >= 0x10000) return {};
    text.resize(text.size() * 2);
  }
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
  return text;
}

AutomationError FailureOf(HRESULT result, const std::wstring& source) {
  AutomationError failure;
  failure.Number = FailureNumber(result);
  failure.Description = SystemText(result);
  failure.Source = source;
  return failure;
}

AutomationError FailureOfException(ExceptionInfo& info) {
  EXCEPINFO& raw = info.Get();
  if (raw.pfnDeferredFillIn != nullptr) raw.pfnDeferredFillIn(&raw);
  int32_t number = raw.scode != 0 ? raw.scode : raw.wCode;
  // An exception that names no number has still failed.
  if (number == 0) number = DISP_E_EXCEPTION;
  AutomationError failure;
  failure.Number = FailureNumber(number);
  failure.Description = TextOf(raw.bstrDescription);
  failure.Source = TextOf(raw.bstrSource);
  return failure;
}

}  // namespace MorlaventMenu
