#pragma once
#include <string>

namespace MorlaventMenu {

// True when AutoCAD reports the edition's release; otherwise tells the user which release
// it found and returns false.
bool CheckAutoCadRelease();

// The release year of a four-character release prefix, or empty text when it is unknown.
std::wstring ReleaseYearOf(const std::wstring& release_prefix);

// The text shown when AutoCAD is of another release.
std::wstring ReleaseMismatchMessage(const std::wstring& detected_year);

}  // namespace MorlaventMenu
