#include "sim/Script.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <vector>

#include "sim/Utf8.h"

namespace MorlaventMenu::Sim {

namespace {

// Longest text a repeat value may build: large enough for a 10 MB answer, small enough
// that a typing slip does not exhaust memory.
constexpr int64_t kLongestRepeat = 64 * 1024 * 1024;

struct Token {
  std::string text;
  bool quoted = false;
};

bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& problem) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    Token token;
    if (c != '"') {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        token.text += line[i++];
      }
      tokens.push_back(token);
      continue;
    }
    token.quoted = true;
    ++i;
    bool closed = false;
    while (i < line.size()) {
      char d = line[i++];
      if (d == '"') {
        closed = true;
        break;
      }
      if (d != '\\') {
        token.text += d;
        continue;
      }
      if (i == line.size()) break;
      char e = line[i++];
      switch (e) {
        case '"':
          token.text += '"';
          break;
        case '\\':
          token.text += '\\';
          break;
        case 't':
          token.text += '\t';
          break;
        case 'r':
          token.text += '\r';
          break;
        case 'n':
          token.text += '\n';
          break;
        default:
          problem = std::string("unknown escape \\") + e;
          return false;
      }
    }
    if (!closed) {
      problem = "unclosed quoted text";
      return false;
    }
    tokens.push_back(token);
  }
  return true;
}

// The words of one line, taken from the left; each taker sets `problem` when it fails.
class Words {
 public:
  explicit Words(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  std::string problem;

  bool AtEnd() const { return next_ == tokens_.size(); }

  bool End() { return AtEnd() || Problem("unexpected words at the end"); }

  // Takes the next word when it is the bare `word`.
  bool TakeKeyword(const char* word) {
    if (AtEnd() || tokens_[next_].quoted || tokens_[next_].text != word) return false;
    ++next_;
    return true;
  }

  bool Keyword(const char* word) {
    if (TakeKeyword(word)) return true;
    return Problem(std::string("expected ") + word);
  }

  bool Text(std::wstring& out, const char* what) {
    if (AtEnd()) return Problem(std::string("missing ") + what);
    if (!FromUtf8(tokens_[next_].text, out)) return Problem(std::string("bad UTF-8 in ") + what);
    ++next_;
    return true;
  }

  bool Integer(int64_t lowest, int64_t highest, int64_t& out, const char* what) {
    if (AtEnd() || tokens_[next_].quoted) return Problem(std::string("missing ") + what);
    const std::string& text = tokens_[next_].text;
    bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      digits = digits.substr(2);
      base = 16;
    }
    if (digits.empty() ||
        digits.find_first_not_of(base == 16 ? "0123456789abcdefABCDEF" : "0123456789") !=
            std::string::npos) {
      return Problem(std::string("bad ") + what + " '" + text + "'");
    }
    errno = 0;
    unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE ||
        magnitude > static_cast<unsigned long long>(std::numeric_limits<int64_t>::max())) {
      return Problem(std::string(what) + " out of range '" + text + "'");
    }
    int64_t value = static_cast<int64_t>(magnitude);
    if (negative) value = -value;
    if (value < lowest || value > highest) {
      return Problem(std::string(what) + " out of range '" + text + "'");
    }
    out = value;
    ++next_;
    return true;
  }

  bool Double(double& out, const char* what) {
    if (AtEnd() || tokens_[next_].quoted) return Problem(std::string("missing ") + what);
    const std::string& text = tokens_[next_].text;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
      return Problem(std::string("bad ") + what + " '" + text + "'");
    ++next_;
    return true;
  }

  bool Bool(bool& out, const char* yes, const char* no) {
    if (TakeKeyword(yes)) {
      out = true;
      return true;
    }
    if (TakeKeyword(no)) {
      out = false;
      return true;
    }
    return Problem(std::string("expected ") + yes + " or " + no);
  }

  bool Value(AutomationValue& out) {
    int64_t number = 0;
    if (TakeKeyword("text")) {
      std::wstring text;
      if (!Text(text, "text")) return false;
      out = AutomationValue::Text(std::move(text));
    } else if (TakeKeyword("repeat")) {
      std::wstring unit;
      if (!Integer(0, kLongestRepeat, number, "repeat count") || !Text(unit, "text")) return false;
      if (!unit.empty() && number > kLongestRepeat / static_cast<int64_t>(unit.size())) {
        return Problem("repeated text too long");
      }
      std::wstring text;
      text.reserve(static_cast<size_t>(number) * unit.size());
      for (int64_t i = 0; i < number; ++i) text += unit;
      out = AutomationValue::Text(std::move(text));
    } else if (TakeKeyword("i2")) {
      if (!Integer(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(), number,
                   "i2 value")) {
        return false;
      }
      out = AutomationValue::Int16(static_cast<int16_t>(number));
    } else if (TakeKeyword("i4")) {
      if (!Integer(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), number,
                   "i4 value")) {
        return false;
      }
      out = AutomationValue::Int32(static_cast<int32_t>(number));
    } else if (TakeKeyword("r8")) {
      double value = 0.0;
      if (!Double(value, "r8 value")) return false;
      out = AutomationValue::Double(value);
    } else if (TakeKeyword("bool")) {
      bool value = false;
      if (!Bool(value, "true", "false")) return false;
      out = AutomationValue::Bool(value);
    } else if (TakeKeyword("null")) {
      out = AutomationValue::Null();
    } else if (TakeKeyword("empty")) {
      out = AutomationValue();
    } else if (TakeKeyword("nothing")) {
      out = AutomationValue::Object(nullptr);
    } else {
      return Problem("expected a value: text, repeat, i2, i4, r8, bool, null, empty or nothing");
    }
    return true;
  }

  // A failure number: a signed 32-bit number, or its unsigned form (0x80020009).
  bool FailureNumber(int32_t& out) {
    int64_t number = 0;
    if (!Integer(std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(), number,
                 "failure number")) {
      return false;
    }
    out = static_cast<int32_t>(static_cast<uint32_t>(number));
    return true;
  }

  bool TakeFailure(Failure& out) {
    return FailureNumber(out.number) && Text(out.description, "description") &&
           Text(out.source, "source");
  }

  bool Problem(std::string text) {
    if (problem.empty()) problem = std::move(text);
    return false;
  }

 private:
  std::vector<Token> tokens_;
  size_t next_ = 0;
};

constexpr int64_t kMostCalls = std::numeric_limits<int64_t>::max();

bool LatestGroup(HostState& state, MenuGroup*& group, Words& words) {
  if (state.groups.empty()) return words.Problem("no group before this line");
  group = &state.groups.back();
  return true;
}

// Each directive reads all its words before it changes anything, so a bad line leaves the
// host as the lines before it left it.
bool ApplyLine(SimulatedAutoCad& host, Words& words) {
  HostState& state = host.State();
  CallRules& rules = host.Rules();
  int64_t number = 0;
  AutomationValue value;
  Failure failure;
  MenuGroup* group = nullptr;

  if (words.TakeKeyword("visible")) {
    bool visible = false;
    if (!words.Bool(visible, "true", "false") || !words.End()) return false;
    state.visible = visible;
    return true;
  }
  if (words.TakeKeyword("no-document")) {
    if (!words.End()) return false;
    state.document_open = false;
    return true;
  }
  if (words.TakeKeyword("variable")) {
    std::wstring name;
    if (!words.Text(name, "variable name") || !words.Value(value) || !words.End()) return false;
    state.variables[name] = value;
    return true;
  }
  if (words.TakeKeyword("group")) {
    MenuGroup added;
    if (!words.Text(added.name, "group name") || !words.End()) return false;
    state.groups.push_back(std::move(added));
    return true;
  }
  if (words.TakeKeyword("menu")) {
    PopupMenu menu;
    if (!words.Text(menu.name, "menu name") || !words.End() || !LatestGroup(state, group, words)) {
      return false;
    }
    group->menus.push_back(menu);
    return true;
  }
  if (words.TakeKeyword("toolbar")) {
    Toolbar toolbar;
    if (!words.Text(toolbar.name, "toolbar name") ||
        !words.Bool(toolbar.visible, "shown", "hidden") || !words.End() ||
        !LatestGroup(state, group, words)) {
      return false;
    }
    group->toolbars.push_back(toolbar);
    return true;
  }
  if (words.TakeKeyword("groups")) {
    if (!words.Integer(0, std::numeric_limits<int>::max(), number, "number of groups") ||
        !words.End()) {
      return false;
    }
    host.AddGeneratedGroups(static_cast<int>(number));
    return true;
  }
  if (words.TakeKeyword("count")) {
    if (words.TakeKeyword("groups")) {
      if (!words.Value(value) || !words.End()) return false;
      state.groups_count = value;
      return true;
    }
    if (!words.Keyword("toolbars") || !words.Value(value) || !words.End() ||
        !LatestGroup(state, group, words)) {
      return false;
    }
    group->toolbars_count = value;
    return true;
  }
  if (words.TakeKeyword("menubar")) {
    MenuBarEntry entry;
    if (!words.Text(entry.group, "group name") || !words.Text(entry.menu, "menu name") ||
        !words.End()) {
      return false;
    }
    state.menu_bar.push_back(entry);
    return true;
  }
  if (words.TakeKeyword("fail")) {
    if (words.TakeKeyword("call")) {
      if (!words.Integer(1, kMostCalls, number, "call number") || !words.TakeFailure(failure) ||
          !words.End()) {
        return false;
      }
      rules.FailCall(number, failure);
      return true;
    }
    std::wstring member;
    if (!words.Keyword("member") || !words.Text(member, "member name")) return false;
    int64_t nth = 0;
    if (words.TakeKeyword("nth") && !words.Integer(1, kMostCalls, nth, "nth")) return false;
    if (!words.TakeFailure(failure) || !words.End()) return false;
    rules.FailMember(member, nth, failure);
    return true;
  }
  if (words.TakeKeyword("result")) {
    if (!words.Keyword("call") || !words.Integer(1, kMostCalls, number, "call number") ||
        !words.Value(value) || !words.End()) {
      return false;
    }
    rules.ReplaceResult(number, value);
    return true;
  }
  if (words.TakeKeyword("gone")) {
    if (!words.Keyword("from") || !words.Integer(1, kMostCalls, number, "call number") ||
        !words.End()) {
      return false;
    }
    rules.GoneFrom(number);
    return true;
  }
  if (words.TakeKeyword("reject")) {
    if (words.TakeKeyword("forever")) {
      if (!words.End()) return false;
      rules.RejectForever();
      return true;
    }
    if (words.TakeKeyword("first")) {
      if (!words.Integer(0, kMostCalls, number, "number of calls") || !words.End()) return false;
      rules.RejectFirst(number);
      return true;
    }
    if (!words.Keyword("for") ||
        !words.Integer(0, std::numeric_limits<int32_t>::max(), number, "milliseconds") ||
        !words.Keyword("ms") || !words.End()) {
      return false;
    }
    rules.RejectFor(std::chrono::milliseconds(number));
    return true;
  }
  return words.Problem("unknown directive");
}

}  // namespace

bool ApplyScript(SimulatedAutoCad& host, const std::string& utf8_text, std::string& error) {
  error.clear();
  size_t start = 0;
  int line_number = 0;
  while (start <= utf8_text.size()) {
    size_t end = utf8_text.find('\n', start);
    if (end == std::string::npos) end = utf8_text.size();
    std::string line = utf8_text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (line_number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);

    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;

    std::vector<Token> tokens;
    std::string problem;
    bool applied = false;
    if (Tokenize(line, tokens, problem)) {
      Words words(std::move(tokens));
      applied = ApplyLine(host, words);
      problem = words.problem;
    }
    if (!applied) {
      error = "line " + std::to_string(line_number) + ": " + problem + ": " + line;
      return false;
    }
  }
  return true;
}

}  // namespace MorlaventMenu::Sim
