#include "sim/SimObject.h"

#include <utility>

#include "sim/MemberArgs.h"

namespace MorlaventMenu::Sim {

SimObject::SimObject(std::shared_ptr<SimCore> core) : core_(std::move(core)) {
  ++core_->live_proxies;
}

SimObject::~SimObject() {
  --core_->live_proxies;
}

bool SimObject::Invoke(const std::wstring& member, CallKind kind, AutomationArgs& args,
                       AutomationValue& result, AutomationError& error) {
  result = AutomationValue();
  error.Clear();

  JournalEntry entry;
  entry.object = TypeName();
  entry.member = member;
  entry.kind = kind;
  for (const AutomationValue& arg : args) {
    entry.arguments.push_back(DescribeValue(arg, kJournalTextLimit));
  }

  if (core_->rules.Busy()) {
    error.Number = kCallRejected;
    entry.outcome = Outcome::Rejected;
    entry.failure = kCallRejected;
    core_->journal.push_back(std::move(entry));
    return false;
  }

  entry.number = ++core_->calls;
  Verdict verdict = core_->rules.Decide(entry.number, entry.object, member);
  bool ok = false;
  switch (verdict.action) {
    case Verdict::Action::Fail:
      error.Number = verdict.failure.number;
      error.Description = verdict.failure.description;
      error.Source = verdict.failure.source;
      break;
    case Verdict::Action::Replace:
      result = std::move(verdict.value);
      ok = true;
      break;
    case Verdict::Action::Run:
      ok = Run(member, kind, args, result, error);
      break;
  }
  if (!ok) {
    result = AutomationValue();
    // A failure must carry a number, or the client would take it for success.
    if (!error.Failed()) error.Number = kUnspecifiedFailure;
  }
  entry.outcome = ok ? Outcome::Ok : Outcome::Failed;
  entry.failure = ok ? 0 : error.Number;
  core_->journal.push_back(std::move(entry));
  return ok;
}

}  // namespace MorlaventMenu::Sim
