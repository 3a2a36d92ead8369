#pragma once
#include <cstdint>
#include <string>

#include "host/AutomationError.h"
#include "host/AutomationObject.h"
#include "host/AutomationValue.h"

namespace MorlaventMenu::Sim {

constexpr int32_t kBadParamCount = static_cast<int32_t>(0x8002000E);       // DISP_E_BADPARAMCOUNT
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057);     // E_INVALIDARG
constexpr int32_t kUnspecifiedFailure = static_cast<int32_t>(0x80004005);  // E_FAIL

// Fills `error` and returns false, so members can `return Fail(...)`.
bool Fail(AutomationError& error, int32_t number, std::wstring description = {},
          std::wstring source = {});
// A failure as AutoCAD raises it: DISP_E_EXCEPTION with its own texts.
bool FailAutoCad(AutomationError& error, std::wstring description);

// Checks of the call's shape. A property read wants Get and no argument; a property write
// wants Put and one; a method accepts Get or Call with exactly `count` arguments.
bool IsPropertyRead(CallKind kind, const AutomationArgs& args, AutomationError& error);
bool IsPropertyWrite(CallKind kind, const AutomationArgs& args, AutomationError& error);
bool IsMethodCall(CallKind kind, const AutomationArgs& args, size_t count, AutomationError& error);

// Argument conversions by the automation rules; on failure the conversion's own number.
bool ArgText(const AutomationValue& arg, std::wstring& out, AutomationError& error);
bool ArgIndex(const AutomationValue& arg, int32_t& out, AutomationError& error);
bool ArgBool(const AutomationValue& arg, bool& out, AutomationError& error);

// Collection elements by index from 0; out of range fails as AutoCAD does.
bool CheckIndex(int32_t index, size_t size, AutomationError& error);

}  // namespace MorlaventMenu::Sim
