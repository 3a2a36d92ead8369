#include "host/AutomationValue.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <limits>

#include "host/AutomationError.h"

namespace MorlaventMenu {

AutomationValue AutomationValue::Text(std::wstring text) {
  AutomationValue v;
  v.kind_ = ValueKind::Text;
  v.text_ = std::move(text);
  return v;
}

AutomationValue AutomationValue::Int16(int16_t value) {
  AutomationValue v;
  v.kind_ = ValueKind::Int16;
  v.integer_ = value;
  return v;
}

AutomationValue AutomationValue::Int32(int32_t value) {
  AutomationValue v;
  v.kind_ = ValueKind::Int32;
  v.integer_ = value;
  return v;
}

AutomationValue AutomationValue::Double(double value) {
  AutomationValue v;
  v.kind_ = ValueKind::Double;
  v.double_ = value;
  return v;
}

AutomationValue AutomationValue::Bool(bool value) {
  AutomationValue v;
  v.kind_ = ValueKind::Bool;
  v.integer_ = value ? -1 : 0;
  return v;
}

AutomationValue AutomationValue::Object(ObjectRef object) {
  AutomationValue v;
  v.kind_ = ValueKind::Object;
  v.object_ = std::move(object);
  return v;
}

AutomationValue AutomationValue::Null() {
  AutomationValue v;
  v.kind_ = ValueKind::Null;
  return v;
}

AutomationValue AutomationValue::Omitted() {
  AutomationValue v;
  v.kind_ = ValueKind::Omitted;
  return v;
}

AutomationValue AutomationValue::Int16Ref(int16_t* counter) {
  AutomationValue v;
  v.kind_ = ValueKind::Int16Ref;
  v.ref_ = counter;
  return v;
}

AutomationValue AutomationValue::Other(std::wstring kind_name) {
  AutomationValue v;
  v.kind_ = ValueKind::Other;
  v.text_ = std::move(kind_name);
  return v;
}

namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// A decimal number as text: blanks around it, a sign, digits with at most one point,
// an optional exponent. Anything else is a type mismatch.
bool ParseNumber(const std::wstring& text, double& out) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  size_t end = n;
  while (end > i && IsBlank(text[end - 1])) --end;
  if (i == end) return false;
  std::string ascii;
  size_t digits = 0;
  bool point = false;
  if (text[i] == L'+' || text[i] == L'-') ascii += static_cast<char>(text[i++]);
  for (; i < end; ++i) {
    wchar_t c = text[i];
    if (c >= L'0' && c <= L'9') {
      ++digits;
    } else if (c == L'.' && !point) {
      point = true;
    } else {
      break;
    }
    ascii += static_cast<char>(c);
  }
  if (digits == 0) return false;
  if (i < end && (text[i] == L'e' || text[i] == L'E')) {
    ascii += 'e';
    ++i;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
    size_t exp_digits = 0;
    for (; i < end && text[i] >= L'0' && text[i] <= L'9'; ++i, ++exp_digits) {
      ascii += static_cast<char>(text[i]);
    }
    if (exp_digits == 0) return false;
  }
  if (i != end) return false;
  out = std::strtod(ascii.c_str(), nullptr);
  return std::isfinite(out);
}

std::wstring FormatDouble(double value) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.15G", value);
  return buffer;
}

// Rounds half to even and checks the range, as the automation conversions do.
template <typename Int>
bool RoundToInteger(double value, Int& out) {
  if (!std::isfinite(value)) return false;
  double rounded = std::nearbyint(value);  // default rounding mode: half to even
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return false;
  }
  out = static_cast<Int>(rounded);
  return true;
}

}  // namespace

bool AutomationValue::ToText(std::wstring& out) const {
  switch (kind_) {
    case ValueKind::Empty:
      out.clear();
      return true;
    case ValueKind::Text:
      out = text_;
      return true;
    case ValueKind::Int16:
    case ValueKind::Int32:
      out = std::to_wstring(integer_);
      return true;
    case ValueKind::Int16Ref:
      if (ref_ == nullptr) return false;
      out = std::to_wstring(*ref_);
      return true;
    case ValueKind::Double:
      if (!std::isfinite(double_)) return false;
      out = FormatDouble(double_);
      return true;
    case ValueKind::Bool:
      out = integer_ != 0 ? L"True" : L"False";
      return true;
    default:
      return false;
  }
}

bool AutomationValue::ToDouble(double& out) const {
  switch (kind_) {
    case ValueKind::Empty:
      out = 0;
      return true;
    case ValueKind::Text:
      return ParseNumber(text_, out);
    case ValueKind::Int16:
    case ValueKind::Int32:
    case ValueKind::Bool:
      out = integer_;
      return true;
    case ValueKind::Int16Ref:
      if (ref_ == nullptr) return false;
      out = *ref_;
      return true;
    case ValueKind::Double:
      if (!std::isfinite(double_)) return false;
      out = double_;
      return true;
    default:
      return false;
  }
}

bool AutomationValue::ToInt16(int16_t& out) const {
  double d;
  return ToDouble(d) && RoundToInteger(d, out);
}

bool AutomationValue::ToInt32(int32_t& out) const {
  double d;
  return ToDouble(d) && RoundToInteger(d, out);
}

bool AutomationValue::ToObject(ObjectRef& out) const {
  if (kind_ != ValueKind::Object) return false;
  out = object_;
  return true;
}

const wchar_t* AutomationValue::KindName() const {
  switch (kind_) {
    case ValueKind::Empty:
      return L"EMPTY";
    case ValueKind::Null:
      return L"NULL";
    case ValueKind::Text:
      return L"BSTR";
    case ValueKind::Int16:
      return L"I2";
    case ValueKind::Int32:
      return L"I4";
    case ValueKind::Double:
      return L"R8";
    case ValueKind::Bool:
      return L"BOOL";
    case ValueKind::Object:
      return L"DISPATCH";
    case ValueKind::Omitted:
      return L"ERROR(omitted)";
    case ValueKind::Int16Ref:
      return L"I2|BYREF";
    case ValueKind::Other:
      return text_.c_str();
  }
  return L"?";
}

int32_t ConversionFailure(const AutomationValue& value, ValueKind wanted) {
  // A number that does not fit is an overflow; everything else is a mismatch of kinds.
  if (wanted == ValueKind::Int16 || wanted == ValueKind::Int32) {
    double d;
    if (value.ToDouble(d)) return kOverflow;
  }
  return kTypeMismatch;
}

}  // namespace MorlaventMenu
