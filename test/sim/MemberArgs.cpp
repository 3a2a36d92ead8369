#include "sim/MemberArgs.h"

#include <utility>

namespace MorlaventMenu::Sim {

bool Fail(AutomationError& error, int32_t number, std::wstring description, std::wstring source) {
  error.Number = number;
  error.Description = std::move(description);
  error.Source = std::move(source);
  return false;
}

bool FailAutoCad(AutomationError& error, std::wstring description) {
  return Fail(error, kException, std::move(description), L"AutoCAD");
}

bool IsPropertyRead(CallKind kind, const AutomationArgs& args, AutomationError& error) {
  if (kind != CallKind::Get) return Fail(error, kMemberNotFound);
  if (!args.empty()) return Fail(error, kBadParamCount);
  return true;
}

bool IsPropertyWrite(CallKind kind, const AutomationArgs& args, AutomationError& error) {
  if (kind != CallKind::Put) return Fail(error, kMemberNotFound);
  if (args.size() != 1) return Fail(error, kBadParamCount);
  return true;
}

bool IsMethodCall(CallKind kind, const AutomationArgs& args, size_t count, AutomationError& error) {
  if (kind == CallKind::Put) return Fail(error, kMemberNotFound);
  if (args.size() != count) return Fail(error, kBadParamCount);
  return true;
}

bool ArgText(const AutomationValue& arg, std::wstring& out, AutomationError& error) {
  if (arg.ToText(out)) return true;
  return Fail(error, ConversionFailure(arg, ValueKind::Text));
}

bool ArgIndex(const AutomationValue& arg, int32_t& out, AutomationError& error) {
  if (arg.ToInt32(out)) return true;
  return Fail(error, ConversionFailure(arg, ValueKind::Int32));
}

bool ArgBool(const AutomationValue& arg, bool& out, AutomationError& error) {
  if (arg.Kind() == ValueKind::Bool) {
    out = arg.RawBool();
    return true;
  }
  // Numbers convert to a boolean as nonzero, as VariantChangeType does.
  double number = 0.0;
  if (arg.Kind() != ValueKind::Text && arg.ToDouble(number)) {
    out = number != 0.0;
    return true;
  }
  return Fail(error, kTypeMismatch);
}

bool CheckIndex(int32_t index, size_t size, AutomationError& error) {
  if (index >= 0 && static_cast<size_t>(index) < size) return true;
  return Fail(error, kInvalidArgument, L"Invalid index", L"AutoCAD");
}

}  // namespace MorlaventMenu::Sim
