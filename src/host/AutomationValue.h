#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace MorlaventMenu {

class AutomationObject;
using ObjectRef = std::shared_ptr<AutomationObject>;

enum class ValueKind {
  Empty,  // nothing: what a failed read leaves
  Null,   // the automation null
  Text,
  Int16,
  Int32,
  Double,
  Bool,
  Object,    // an object reference, possibly one that refers to no object
  Omitted,   // an argument left out
  Int16Ref,  // the caller's own 16-bit counter, passed by reference
  Other,     // a kind the launcher never converts (arrays, errors, ...)
};

// A tagged value handed to or returned by an automation call. Conversions follow the
// automation rules: Empty converts to "" and to 0; Null, objects and other kinds to nothing.
class AutomationValue {
 public:
  AutomationValue() = default;
  static AutomationValue Text(std::wstring text);
  static AutomationValue Int16(int16_t value);
  static AutomationValue Int32(int32_t value);
  static AutomationValue Double(double value);
  static AutomationValue Bool(bool value);
  static AutomationValue Object(ObjectRef object);
  static AutomationValue Null();
  static AutomationValue Omitted();
  static AutomationValue Int16Ref(int16_t* counter);
  static AutomationValue Other(std::wstring kind_name);

  ValueKind Kind() const { return kind_; }
  bool IsEmpty() const { return kind_ == ValueKind::Empty; }

  // Raw access; meaningful only for the matching kind.
  const std::wstring& RawText() const { return text_; }
  int32_t RawInteger() const { return integer_; }
  double RawDouble() const { return double_; }
  bool RawBool() const { return integer_ != 0; }
  const ObjectRef& RawObject() const { return object_; }
  int16_t* RawInt16Ref() const { return ref_; }

  // Conversions; false when the value cannot be converted (type mismatch or overflow).
  bool ToText(std::wstring& out) const;
  bool ToDouble(double& out) const;
  // Rounds half to even, as the automation rules do; fails on overflow.
  bool ToInt16(int16_t& out) const;
  bool ToInt32(int32_t& out) const;
  // Succeeds only for an object reference (which may refer to no object).
  bool ToObject(ObjectRef& out) const;

  // Short name of the kind, as journals print it: "BSTR", "I2", "BOOL", "I2|BYREF", ...
  const wchar_t* KindName() const;

 private:
  ValueKind kind_ = ValueKind::Empty;
  std::wstring text_;
  int32_t integer_ = 0;
  double double_ = 0.0;
  ObjectRef object_;
  int16_t* ref_ = nullptr;
};

using AutomationArgs = std::vector<AutomationValue>;

// Why a conversion failed, as a failure number.
int32_t ConversionFailure(const AutomationValue& value, ValueKind wanted);

}  // namespace MorlaventMenu
