#include "setup/SystemVariables.h"

#include "host/Automation.h"
#include "host/HostConnection.h"

namespace MorlaventMenu {

namespace {

const wchar_t* const kProductFolderEntry = L"C:\\Morlavent\\2017;";
const wchar_t* const kAppendedEntry = L";C:\\Morlavent\\2017;";

bool ReadVariable(const wchar_t* name, AutomationValue& value) {
  return Get(Host.AcadDoc, L"GetVariable", {AutomationValue::Text(name)}, value);
}

void WriteVariable(const wchar_t* name, AutomationValue value) {
  Call(Host.AcadDoc, L"SetVariable", {AutomationValue::Text(name), std::move(value)});
}

}  // namespace

void AddTrustedPath() {
  FailureReport.Clear();
  AutomationValue list;
  // A list that could not be read, or that is not text at all, is left as it is: writing
  // on its strength would throw away the user's trusted folders.
  if (!ReadVariable(L"TRUSTEDPATHS", list)) return;
  if (list.Kind() != ValueKind::Text && !list.IsEmpty()) return;
  const std::wstring& text = list.RawText();  // empty for the empty value

  if (text.empty()) {
    WriteVariable(L"TRUSTEDPATHS", AutomationValue::Text(kProductFolderEntry));
    return;
  }
  // Searched over the whole text, however long, so a long list never grows on every launch.
  if (text.find(kProductFolderEntry) != std::wstring::npos) return;
  WriteVariable(L"TRUSTEDPATHS", AutomationValue::Text(text + kAppendedEntry));
}

void ShowMenuBar() {
  FailureReport.Clear();
  AutomationValue value;
  ReadVariable(L"MENUBAR", value);  // a failed read leaves the empty value, which equals 0

  // A null value equals nothing; a value that cannot be compared with 0 fails the test,
  // and a failed test goes on into the write, as after any failed test.
  bool off = true;
  double number = 0;
  if (value.Kind() == ValueKind::Null) {
    off = false;
  } else if (TakeDouble(value, number)) {
    off = number == 0;
  }
  if (off) WriteVariable(L"MENUBAR", AutomationValue::Int16(1));
}

}  // namespace MorlaventMenu
