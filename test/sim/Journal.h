#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/AutomationObject.h"
#include "host/AutomationValue.h"

namespace MorlaventMenu::Sim {

enum class Outcome { Ok, Failed, Rejected };

// One Invoke as the host saw it. Arguments are printed when the call arrives, so a
// by-reference counter shows the value it held then.
struct JournalEntry {
  int64_t number = 0;  // the call number; 0 for a rejected call, which gets none
  std::wstring object;
  std::wstring member;
  CallKind kind = CallKind::Get;
  std::vector<std::wstring> arguments;  // each as DescribeValue prints it
  Outcome outcome = Outcome::Ok;
  int32_t failure = 0;  // the failure number when the outcome is Failed or Rejected
};

// Longest stretch of a text that a journal line shows.
constexpr size_t kJournalTextLimit = 200;

// "KIND:value" (texts quoted and escaped, cut after `text_limit` characters with the full
// length added), or "KIND" alone for kinds without a value (empty, null, omitted, ...).
std::wstring DescribeValue(const AutomationValue& value, size_t text_limit);

// A text in double quotes, with \ escapes for quote, backslash, tab, CR, LF and other
// control characters; cut as DescribeValue cuts it.
std::wstring QuoteText(const std::wstring& text, size_t limit);

const wchar_t* CallKindName(CallKind kind);

// number TAB object TAB member TAB kind TAB arg1;arg2 TAB outcome
std::wstring JournalLine(const JournalEntry& entry);
// One line per entry, each ended by LF.
std::wstring JournalText(const std::vector<JournalEntry>& journal);

}  // namespace MorlaventMenu::Sim
