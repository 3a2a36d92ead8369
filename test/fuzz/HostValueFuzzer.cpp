// Feeds the launcher's conversions and its handling of TRUSTEDPATHS, ACADVER, MENUBAR and
// the menu group count with arbitrary host answers. Crashes, sanitizer reports and the
// invariants below are findings.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/Automation.h"
#include "host/HostConnection.h"
#include "host/ReleaseCheck.h"
#include "launcher/Edition.h"
#include "launcher/Main.h"
#include "setup/MenuGroup.h"
#include "setup/SystemVariables.h"
#include "sim/SimulatedAutoCad.h"
#include "support/SimulatedPlatform.h"

using namespace MorlaventMenu;

namespace {

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// The input's first byte picks the kind, the rest is its payload.
AutomationValue ValueFrom(const uint8_t* data, size_t size) {
  if (size == 0) return AutomationValue();
  const uint8_t kind = data[0] % 8;
  ++data;
  --size;
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  }
  double number = 0;
  if (size >= sizeof number) std::memcpy(&number, data, sizeof number);
  int32_t integer = 0;
  if (size >= sizeof integer) std::memcpy(&integer, data, sizeof integer);
  switch (kind) {
    case 0:
      return AutomationValue();
    case 1:
      return AutomationValue::Null();
    case 2:
      return AutomationValue::Text(text);
    case 3:
      return AutomationValue::Int16(static_cast<int16_t>(integer));
    case 4:
      return AutomationValue::Int32(integer);
    case 5:
      return AutomationValue::Double(number);
    case 6:
      return AutomationValue::Bool(integer & 1);
    default:
      return AutomationValue::Object(nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const AutomationValue value = ValueFrom(data, size);

  std::wstring text;
  double number;
  int16_t small;
  int32_t wide;
  ObjectRef object;
  value.ToText(text);
  value.ToDouble(number);
  if (value.ToInt16(small)) Check(value.ToDouble(number), "an I2 is a number");
  value.ToInt32(wide);
  value.ToObject(object);

  Testing::SimulatedPlatform platform;
  SetEditionTexts();
  Sim::SimulatedAutoCad host;
  const std::wstring user_list = L"D:\\Mine";
  // The second byte picks which answer is hostile; the others stay ordinary.
  const int target = size > 1 ? data[1] % 4 : 0;
  host.State().variables[L"TRUSTEDPATHS"] = target == 0 ? value : AutomationValue::Text(user_list);
  host.State().variables[L"ACADVER"] = target == 1 ? value : AutomationValue::Text(L"21.0s");
  host.State().variables[L"MENUBAR"] = target == 2 ? value : AutomationValue::Int16(0);
  if (target == 3) host.State().groups_count = value;
  host.AddGeneratedGroups(3);
  Host.AcadApp = host.Application();
  AutomationArgs none;
  AutomationValue document;
  AutomationError error;
  Host.AcadApp->Invoke(L"ActiveDocument", CallKind::Get, none, document, error);
  document.ToObject(Host.AcadDoc);

  const bool accepted = CheckAutoCadRelease();
  Check(accepted == (platform.messages.empty()), "a refused release says so once");

  const AutomationValue list = host.State().variables[L"TRUSTEDPATHS"];
  AddTrustedPath();
  const AutomationValue& written = host.State().variables[L"TRUSTEDPATHS"];
  std::wstring before, after;
  if (list.Kind() == ValueKind::Text && list.ToText(before) && written.ToText(after)) {
    Check(after.compare(0, before.size(), before) == 0, "the user's list is kept");
    Check(after.find(L"C:\\Morlavent\\2017;") != std::wstring::npos, "the entry is there");
  } else if (!list.IsEmpty()) {
    Check(written.Kind() == list.Kind(), "a list that is not text is left alone");
  }

  InstallMenuGroup();
  // Whatever Count says, each loop visits at most 32768 indexes, four calls each.
  Check(host.CallCount() < 8 + 4 * 32768 + 16, "no loop runs without end");
  ShowMenuBar();

  Host = HostConnection{};
  FailureReport.Clear();
  return 0;
}
