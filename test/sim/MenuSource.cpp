#include "sim/MenuSource.h"

#include <cwctype>
#include <vector>

#include "sim/Utf8.h"

namespace MorlaventMenu::Sim {

namespace {

enum class Section { None, Pop, Toolbars, Other };

std::wstring Trim(const std::wstring& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && std::iswspace(text[first])) ++first;
  while (last > first && std::iswspace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (wchar_t c : text) {
    if (c == L'\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != L'\r') {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

// The text between the first '[' and the next ']', or false when the line has no label.
bool Label(const std::wstring& line, std::wstring& label) {
  size_t open = line.find(L'[');
  if (open == std::wstring::npos) return false;
  size_t close = line.find(L']', open + 1);
  if (close == std::wstring::npos) return false;
  label = line.substr(open + 1, close - open - 1);
  return true;
}

std::wstring WithoutAmpersands(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c != L'&') out += c;
  }
  return out;
}

// _Toolbar("Name", _Top, _Hide, 10, 0, 1): the quoted name and whether it is shown.
bool ToolbarLabel(const std::wstring& label, Toolbar& toolbar) {
  std::wstring trimmed = Trim(label);
  if (!StartsWith(Upper(trimmed), L"_TOOLBAR(")) return false;
  size_t open_quote = trimmed.find(L'"');
  if (open_quote == std::wstring::npos) return false;
  size_t close_quote = trimmed.find(L'"', open_quote + 1);
  if (close_quote == std::wstring::npos) return false;
  toolbar.name = trimmed.substr(open_quote + 1, close_quote - open_quote - 1);
  toolbar.visible = false;
  std::wstring rest = trimmed.substr(close_quote + 1);
  size_t start = 0;
  while (start <= rest.size()) {
    size_t comma = rest.find(L',', start);
    if (comma == std::wstring::npos) comma = rest.size();
    std::wstring argument = Upper(Trim(rest.substr(start, comma - start)));
    if (argument == L"_SHOW") toolbar.visible = true;
    if (argument == L"_HIDE") toolbar.visible = false;
    start = comma + 1;
  }
  return true;
}

std::wstring Decode(const std::string& bytes) {
  std::string body = bytes;
  if (body.compare(0, 3, "\xEF\xBB\xBF") == 0) body.erase(0, 3);
  std::wstring text;
  if (FromUtf8(body, text)) return text;
  return FromLatin1(body);
}

}  // namespace

bool ReadMenuSource(const std::string& bytes, MenuGroup& group, std::wstring& problem) {
  group = MenuGroup{};
  problem.clear();
  bool named = false;
  Section section = Section::None;
  bool pop_named = false;  // the current pop-up section has had its first item line

  for (const std::wstring& raw : SplitLines(Decode(bytes))) {
    std::wstring line = Trim(raw);
    if (line.empty() || StartsWith(line, L"//")) continue;
    if (StartsWith(line, L"***")) {
      std::wstring header = Upper(line.substr(3));
      if (StartsWith(header, L"MENUGROUP=")) {
        group.name = Trim(line.substr(3 + 10));
        named = !group.name.empty();
        section = Section::Other;
      } else if (StartsWith(header, L"POP") && header.size() > 3 &&
                 header.find_first_not_of(L"0123456789", 3) == std::wstring::npos) {
        section = Section::Pop;
        pop_named = false;
      } else if (header == L"TOOLBARS") {
        section = Section::Toolbars;
      } else {
        section = Section::Other;
      }
      continue;
    }
    if (StartsWith(line, L"**")) continue;  // an alias line

    std::wstring label;
    if (section == Section::Pop && !pop_named && Label(line, label)) {
      group.menus.push_back({WithoutAmpersands(label)});
      pop_named = true;
    } else if (section == Section::Toolbars && Label(line, label)) {
      Toolbar toolbar;
      if (ToolbarLabel(label, toolbar)) group.toolbars.push_back(toolbar);
    }
  }
  if (!named) {
    problem = L"no ***MENUGROUP= line";
    return false;
  }
  return true;
}

}  // namespace MorlaventMenu::Sim
