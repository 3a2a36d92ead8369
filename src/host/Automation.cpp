#include "host/Automation.h"

#include "launcher/Edition.h"
#include "platform/Platform.h"

namespace MorlaventMenu {

AutomationError FailureReport;

void RaiseFailure(int32_t number) {
  FailureReport.Number = number;
  FailureReport.Description = ThePlatform->SystemMessage(number);
  FailureReport.Source = ApplicationTitle;
}

namespace {

// Keeps what a failing operation reported; one that failed without a number still fails.
bool Report(bool ok, AutomationError& error) {
  if (ok) return true;
  if (error.Number == 0) {
    RaiseFailure(kException);
  } else {
    FailureReport = std::move(error);
  }
  return false;
}

bool Invoke(const ObjectRef& object, const std::wstring& member, CallKind kind,
            AutomationArgs& args, AutomationValue& result) {
  result = AutomationValue();
  if (!object) {
    // A reference that refers to no object: the call cannot be made at all.
    RaiseFailure(kInvalidPointer);
    return false;
  }
  AutomationError error;
  AutomationValue value;
  if (!Report(object->Invoke(member, kind, args, value, error), error)) return false;
  result = std::move(value);
  return true;
}

}  // namespace

bool AttachRunning(const std::wstring& class_id, AutomationValue& result) {
  AutomationError error;
  result = AutomationValue();
  return Report(ThePlatform->AttachRunning(class_id, result, error), error);
}

bool CreateInstance(const std::wstring& class_id, AutomationValue& result) {
  AutomationError error;
  result = AutomationValue();
  return Report(ThePlatform->CreateInstance(class_id, result, error), error);
}

bool Get(const ObjectRef& object, const std::wstring& member, AutomationArgs args,
         AutomationValue& result) {
  return Invoke(object, member, CallKind::Get, args, result);
}

bool Call(const ObjectRef& object, const std::wstring& member, AutomationArgs args) {
  AutomationValue dropped;
  return Invoke(object, member, CallKind::Call, args, dropped);
}

bool Put(const ObjectRef& object, const std::wstring& member, AutomationValue value) {
  AutomationArgs args{std::move(value)};
  AutomationValue dropped;
  return Invoke(object, member, CallKind::Put, args, dropped);
}

bool GetObject(const ObjectRef& object, const std::wstring& member, AutomationArgs args,
               ObjectRef& result) {
  AutomationValue value;
  return Get(object, member, std::move(args), value) && TakeObject(value, result);
}

bool TakeObject(const AutomationValue& value, ObjectRef& result) {
  if (value.ToObject(result)) return true;
  RaiseFailure(ConversionFailure(value, ValueKind::Object));
  return false;
}

bool TakeText(const AutomationValue& value, std::wstring& result) {
  if (value.ToText(result)) return true;
  RaiseFailure(ConversionFailure(value, ValueKind::Text));
  return false;
}

bool TakeInt16(const AutomationValue& value, int16_t& result) {
  if (value.ToInt16(result)) return true;
  RaiseFailure(ConversionFailure(value, ValueKind::Int16));
  return false;
}

bool TakeDouble(const AutomationValue& value, double& result) {
  if (value.ToDouble(result)) return true;
  RaiseFailure(ConversionFailure(value, ValueKind::Double));
  return false;
}

std::wstring AutoCadClassId() {
  return L"AutoCAD.Application." + ReleaseMajor;
}

}  // namespace MorlaventMenu
