#pragma once
#include <string>

namespace MorlaventMenu {

// Program-wide texts, written once by Main before anything else.
extern std::wstring ReleaseMajor;
extern std::wstring ReleaseNumber;
extern std::wstring ReleaseYear;
extern std::wstring Language;

// Fixed per deliverable; each edition's file under editions/ defines them.
extern const int EditionBits;
extern const wchar_t* const MenuFileName;
extern const wchar_t* const OtherEditionSuffix;

// The title of every message box that has no title of its own.
extern const wchar_t* const ApplicationTitle;

// Spanish when Language is exactly "es", English otherwise.
bool IsSpanish();

}  // namespace MorlaventMenu
