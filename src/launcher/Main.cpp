#include "launcher/Main.h"

#include "host/Connection.h"
#include "host/ReleaseCheck.h"
#include "launcher/Edition.h"
#include "launcher/Messages.h"
#include "platform/Platform.h"
#include "setup/MenuGroup.h"
#include "setup/SystemVariables.h"

namespace MorlaventMenu {

Platform* ThePlatform = nullptr;

void SetEditionTexts() {
  ReleaseMajor = L"21";
  ReleaseNumber = L"21.0";
  ReleaseYear = L"2017";
  Language = L"en";
}

std::wstring BitnessMessage() {
  std::wstring greeting =
      IsSpanish() ? L"Por favor, ejecute Morlavent CAD " : L"Please, run Morlavent CAD ";
  return greeting + ReleaseYear + OtherEditionSuffix;
}

int RunLaunch() {
  const int16_t wow64 = IsWow64();
  const bool bitness_suits = EditionBits == 64 ? wow64 != 0 : wow64 == 0;
  if (!bitness_suits) {
    ThePlatform->ShowMessage(BitnessMessage(), L"Morlavent Message", kStopIcon);
    return kExitWrongBitness;
  }
  if (!ConnectAutoCad()) return kExitNoConnection;
  if (!CheckAutoCadRelease()) return kExitWrongRelease;
  // The set-up steps contain their own failures: each runs whatever the one before achieved.
  AddTrustedPath();
  InstallMenuGroup();
  ShowMenuBar();
  return kExitDone;
}

int Main() {
  SetEditionTexts();
  return RunLaunch();
}

}  // namespace MorlaventMenu
