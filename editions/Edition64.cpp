#include "launcher/Edition.h"

namespace MorlaventMenu {
const int EditionBits = 64;
const wchar_t* const MenuFileName = L"\\Morlavent_64.mns";
const wchar_t* const OtherEditionSuffix = L" 32 Bits";
}  // namespace MorlaventMenu
