#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "host/AutomationError.h"
#include "platform/win32/Owner.h"

namespace MorlaventMenu {

// The system's text for a failure number, without its line end; empty when it has none.
std::wstring SystemText(int32_t number);

// The report of a call that failed with `result`: its number, the system's text for it and
// `source`, the program that saw it fail.
AutomationError FailureOf(HRESULT result, const std::wstring& source);

// The report of a call that the object answered with DISP_E_EXCEPTION: the number, the
// description and the source that the object put into `info`.
AutomationError FailureOfException(ExceptionInfo& info);

}  // namespace MorlaventMenu
