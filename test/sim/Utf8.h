#pragma once
#include <string>

namespace MorlaventMenu::Sim {

// Journals and state dumps are wide texts; files hold UTF-8. wchar_t is UTF-32 on Linux
// and UTF-16 on Windows, so both directions handle surrogate pairs where they occur.
std::string ToUtf8(const std::wstring& text);

// False when `bytes` is not well-formed UTF-8; `text` then holds what was decoded so far.
bool FromUtf8(const std::string& bytes, std::wstring& text);

// Each byte taken as one character: the fallback for menu files saved in a legacy code page.
std::wstring FromLatin1(const std::string& bytes);

}  // namespace MorlaventMenu::Sim
