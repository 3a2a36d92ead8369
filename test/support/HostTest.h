#pragma once
#include <string>
#include <vector>

#include "sim/Journal.h"
#include "sim/SimulatedAutoCad.h"
#include "support/LauncherTest.h"

namespace MorlaventMenu::Testing {

// A launcher test with a simulated AutoCAD that can be attached to or started.
class HostTest : public LauncherTest {
 protected:
  // An AutoCAD that runs already: the probe and the connection attach to it.
  void HostRunning() {
    platform.attach = Gives([this] { return host.Application(); });
  }
  // No AutoCAD runs, and creating one starts this one.
  void HostStartable() {
    platform.create = Gives([this] { return host.Application(); });
  }

  // Connected as the connection step leaves it, without journaling the steps that got here.
  void Connected() {
    Host.AcadApp = host.Application();
    AutomationArgs none;
    AutomationValue document;
    AutomationError error;
    ASSERT_TRUE(Host.AcadApp->Invoke(L"ActiveDocument", CallKind::Get, none, document, error));
    ASSERT_TRUE(document.ToObject(Host.AcadDoc));
    mark_ = host.Journal().size();
  }

  // The calls the host received since Connected(), as "Object.Member Kind args [-> outcome]".
  std::vector<std::wstring> Calls() const {
    std::vector<std::wstring> calls;
    const auto& journal = host.Journal();
    for (size_t i = mark_; i < journal.size(); ++i) calls.push_back(Describe(journal[i]));
    return calls;
  }

  // Calls of one member only, same form.
  std::vector<std::wstring> CallsOf(const std::wstring& object_member) const {
    std::vector<std::wstring> calls;
    for (const std::wstring& call : Calls()) {
      if (call.compare(0, object_member.size() + 1, object_member + L" ") == 0) {
        calls.push_back(call);
      }
    }
    return calls;
  }

  static std::wstring Describe(const Sim::JournalEntry& entry) {
    std::wstring line = entry.object + L"." + entry.member + L" " + Sim::CallKindName(entry.kind);
    for (size_t i = 0; i < entry.arguments.size(); ++i) {
      line += (i == 0 ? L" " : L";") + entry.arguments[i];
    }
    if (entry.outcome == Sim::Outcome::Failed) line += L" -> failed";
    if (entry.outcome == Sim::Outcome::Rejected) line += L" -> rejected";
    return line;
  }

  AutomationValue& Variable(const std::wstring& name) { return host.State().variables[name]; }

  std::wstring VariableText(const std::wstring& name) {
    std::wstring text;
    EXPECT_TRUE(Variable(name).ToText(text))
        << "variable " << std::string(name.begin(), name.end());
    return text;
  }

  Sim::SimulatedAutoCad host;
  size_t mark_ = 0;
};

}  // namespace MorlaventMenu::Testing
