#include "launcher/Edition.h"

namespace MorlaventMenu {

std::wstring ReleaseMajor;
std::wstring ReleaseNumber;
std::wstring ReleaseYear;
std::wstring Language;

const wchar_t* const ApplicationTitle = L"Morlavent CAD";

bool IsSpanish() {
  return Language == L"es";
}

}  // namespace MorlaventMenu
