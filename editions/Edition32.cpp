#include "launcher/Edition.h"

namespace MorlaventMenu {
const int EditionBits = 32;
const wchar_t* const MenuFileName = L"\\Morlavent_32.mns";
const wchar_t* const OtherEditionSuffix = L" 64 Bits";
}  // namespace MorlaventMenu
