#include "sim/Journal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sim/SimObject.h"

namespace MorlaventMenu::Sim {

namespace {

std::wstring Widen(const char* ascii) {
  std::wstring out;
  for (; *ascii != '\0'; ++ascii) out += static_cast<wchar_t>(*ascii);
  return out;
}

// The shortest decimal form that reads back as the same number, without an exponent for
// the magnitudes counts and versions have.
std::wstring PrintDouble(double value) {
  char buffer[400];
  double magnitude = std::fabs(value);
  if (magnitude < 1e15 && (magnitude == 0.0 || magnitude >= 1e-4)) {
    for (int decimals = 0; decimals <= 20; ++decimals) {
      std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
      if (std::strtod(buffer, nullptr) == value) return Widen(buffer);
    }
  }
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return Widen(buffer);
}

std::wstring Hex32(int32_t number) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(number));
  return Widen(buffer);
}

void AppendEscaped(wchar_t c, std::wstring& out) {
  switch (c) {
    case L'"':
      out += L"\\\"";
      break;
    case L'\\':
      out += L"\\\\";
      break;
    case L'\t':
      out += L"\\t";
      break;
    case L'\r':
      out += L"\\r";
      break;
    case L'\n':
      out += L"\\n";
      break;
    default:
      if (static_cast<uint32_t>(c) < 0x20) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(c));
        out += Widen(buffer);
      } else {
        out += c;
      }
  }
}

std::wstring DescribeObject(const ObjectRef& object) {
  if (!object) return L"nothing";
  if (auto* simulated = dynamic_cast<const SimObject*>(object.get())) {
    return simulated->TypeName();
  }
  return L"object";
}

}  // namespace

std::wstring QuoteText(const std::wstring& text, size_t limit) {
  std::wstring out = L"\"";
  size_t shown = text.size() < limit ? text.size() : limit;
  for (size_t i = 0; i < shown; ++i) AppendEscaped(text[i], out);
  out += L'"';
  if (shown < text.size()) out += L"...(" + std::to_wstring(text.size()) + L" characters)";
  return out;
}

std::wstring DescribeValue(const AutomationValue& value, size_t text_limit) {
  std::wstring kind = value.KindName();
  switch (value.Kind()) {
    case ValueKind::Text:
      return kind + L":" + QuoteText(value.RawText(), text_limit);
    case ValueKind::Int16:
    case ValueKind::Int32:
      return kind + L":" + std::to_wstring(value.RawInteger());
    case ValueKind::Double:
      return kind + L":" + PrintDouble(value.RawDouble());
    case ValueKind::Bool:
      return kind + (value.RawBool() ? L":true" : L":false");
    case ValueKind::Object:
      return kind + L":" + DescribeObject(value.RawObject());
    case ValueKind::Int16Ref: {
      const int16_t* counter = value.RawInt16Ref();
      return kind + L":" + (counter ? std::to_wstring(*counter) : std::wstring(L"null"));
    }
    case ValueKind::Empty:
    case ValueKind::Null:
    case ValueKind::Omitted:
    case ValueKind::Other:
      break;
  }
  return kind;
}

const wchar_t* CallKindName(CallKind kind) {
  switch (kind) {
    case CallKind::Get:
      return L"Get";
    case CallKind::Call:
      return L"Call";
    case CallKind::Put:
      return L"Put";
  }
  return L"?";
}

std::wstring JournalLine(const JournalEntry& entry) {
  std::wstring line = entry.outcome == Outcome::Rejected ? L"-" : std::to_wstring(entry.number);
  line += L'\t' + entry.object + L'\t' + entry.member + L'\t' + CallKindName(entry.kind) + L'\t';
  for (size_t i = 0; i < entry.arguments.size(); ++i) {
    if (i > 0) line += L';';
    line += entry.arguments[i];
  }
  line += L'\t';
  switch (entry.outcome) {
    case Outcome::Ok:
      line += L"ok";
      break;
    case Outcome::Failed:
      line += Hex32(entry.failure);
      break;
    case Outcome::Rejected:
      line += L"rejected";
      break;
  }
  return line;
}

std::wstring JournalText(const std::vector<JournalEntry>& journal) {
  std::wstring text;
  for (const JournalEntry& entry : journal) text += JournalLine(entry) + L'\n';
  return text;
}

}  // namespace MorlaventMenu::Sim
