#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/AutomationError.h"
#include "host/AutomationValue.h"

namespace MorlaventMenu::Sim {

// What a scripted failure reports.
struct Failure {
  int32_t number = 0;
  std::wstring description;
  std::wstring source;
};

// What the host does with one counted call.
struct Verdict {
  enum class Action { Run, Fail, Replace } action = Action::Run;
  Failure failure;        // for Fail
  AutomationValue value;  // for Replace: the call succeeds with this result, unrun
};

// Scripted misbehaviour of the host. Calls are numbered from 1 across all objects; a call
// the busy host rejects gets no number, since the client sends it again.
class CallRules {
 public:
  // Call number `call` fails with `failure`.
  void FailCall(int64_t call, Failure failure);
  // The `nth` call (from 1) of `member` fails; nth 0 makes every call of it fail. `member`
  // is a member name ("Item") or an object type and member name ("Toolbars.Item").
  void FailMember(std::wstring member, int64_t nth, Failure failure);
  // Call number `call` is not run and succeeds with `value` as its result.
  void ReplaceResult(int64_t call, AutomationValue value);
  // Call number `call` and every later one fail as calls to a host that has died.
  void GoneFrom(int64_t call);

  // Every call fails with RPC_E_CALL_REJECTED, unrun and unnumbered, while `busy` answers
  // true. It is asked once per arriving call. Replaces any earlier busy rule.
  void RejectWhile(std::function<bool()> busy);
  // Busy for `span` from the first call that arrives.
  void RejectFor(std::chrono::milliseconds span);
  // Busy for the first `calls` calls that arrive.
  void RejectFirst(int64_t calls);
  void RejectForever();

  bool Busy();
  // Decides the fate of counted call `call` to `object`.`member`, and counts it for the
  // member rules.
  Verdict Decide(int64_t call, const std::wstring& object, const std::wstring& member);

 private:
  struct MemberRule {
    std::wstring member;
    int64_t nth;
    Failure failure;
  };
  std::map<int64_t, Failure> failed_calls_;
  std::vector<MemberRule> member_rules_;
  std::map<std::wstring, int64_t> member_counts_;
  std::map<int64_t, AutomationValue> replaced_results_;
  std::optional<int64_t> gone_from_;
  std::function<bool()> busy_;
};

}  // namespace MorlaventMenu::Sim
