#include "sim/Rules.h"

#include <memory>

namespace MorlaventMenu::Sim {

void CallRules::FailCall(int64_t call, Failure failure) {
  failed_calls_[call] = std::move(failure);
}

void CallRules::FailMember(std::wstring member, int64_t nth, Failure failure) {
  member_rules_.push_back({std::move(member), nth, std::move(failure)});
}

void CallRules::ReplaceResult(int64_t call, AutomationValue value) {
  replaced_results_[call] = std::move(value);
}

void CallRules::GoneFrom(int64_t call) {
  gone_from_ = call;
}

void CallRules::RejectWhile(std::function<bool()> busy) {
  busy_ = std::move(busy);
}

void CallRules::RejectFor(std::chrono::milliseconds span) {
  using Clock = std::chrono::steady_clock;
  // The window opens when the first call arrives, not when the rule is set.
  auto start = std::make_shared<std::optional<Clock::time_point>>();
  RejectWhile([start, span] {
    Clock::time_point now = Clock::now();
    if (!*start) *start = now;
    return now - **start < span;
  });
}

void CallRules::RejectFirst(int64_t calls) {
  auto left = std::make_shared<int64_t>(calls);
  RejectWhile([left] {
    if (*left <= 0) return false;
    --*left;
    return true;
  });
}

void CallRules::RejectForever() {
  RejectWhile([] { return true; });
}

bool CallRules::Busy() {
  return busy_ && busy_();
}

Verdict CallRules::Decide(int64_t call, const std::wstring& object, const std::wstring& member) {
  const std::wstring qualified = object + L"." + member;
  const int64_t nth_of_member = ++member_counts_[member];
  const int64_t nth_of_qualified = ++member_counts_[qualified];

  Verdict verdict;
  if (gone_from_ && call >= *gone_from_) {
    verdict.action = Verdict::Action::Fail;
    verdict.failure.number = kDisconnected;
    return verdict;
  }
  auto failed = failed_calls_.find(call);
  if (failed != failed_calls_.end()) {
    verdict.action = Verdict::Action::Fail;
    verdict.failure = failed->second;
    return verdict;
  }
  for (const MemberRule& rule : member_rules_) {
    int64_t nth = 0;
    if (rule.member == member) {
      nth = nth_of_member;
    } else if (rule.member == qualified) {
      nth = nth_of_qualified;
    } else {
      continue;
    }
    if (rule.nth == 0 || rule.nth == nth) {
      verdict.action = Verdict::Action::Fail;
      verdict.failure = rule.failure;
      return verdict;
    }
  }
  auto replaced = replaced_results_.find(call);
  if (replaced != replaced_results_.end()) {
    verdict.action = Verdict::Action::Replace;
    verdict.value = replaced->second;
  }
  return verdict;
}

}  // namespace MorlaventMenu::Sim
