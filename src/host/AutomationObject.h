#pragma once
#include <string>

#include "host/AutomationError.h"
#include "host/AutomationValue.h"

namespace MorlaventMenu {

enum class CallKind {
  Get,   // property read or method call whose result is used
  Call,  // method call, result dropped
  Put,   // property write: the one argument is the new value
};

// An object of the host reached by late binding: members are named by text at run time.
// Real objects wrap IDispatch; simulated ones are the test host's model.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // Arguments come in the order the member lists them. On failure fills `error`
  // and returns false; `result` is then left empty.
  virtual bool Invoke(const std::wstring& member, CallKind kind, AutomationArgs& args,
                      AutomationValue& result, AutomationError& error) = 0;
};

}  // namespace MorlaventMenu
