#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

namespace MorlaventMenu {

// Message box icons; each box has the single OK button.
constexpr uint32_t kStopIcon = 16;
constexpr uint32_t kExclamationIcon = 48;

// Lines of a message, separated by CR LF: nothing before the first or after the last.
inline std::wstring JoinLines(std::initializer_list<std::wstring> lines) {
  std::wstring text;
  for (const std::wstring& line : lines) {
    if (&line != lines.begin()) text += L"\r\n";
    text += line;
  }
  return text;
}

}  // namespace MorlaventMenu
