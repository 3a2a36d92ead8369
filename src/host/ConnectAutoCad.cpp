#include "host/Automation.h"
#include "host/Connection.h"
#include "host/HostConnection.h"
#include "launcher/Edition.h"
#include "platform/Platform.h"

namespace MorlaventMenu {

HostConnection Host;

namespace {

constexpr uint32_t kStopIcon = 16;
const wchar_t* const kNewLine = L"\r\n";

// The normal path of the connection: false at the first failing action, with the
// failure report set and the references as that action found them.
bool ConnectSteps(bool running) {
  AutomationValue app;
  const bool reached =
      running ? AttachRunning(AutoCadClassId(), app) : CreateInstance(AutoCadClassId(), app);
  if (!reached || !TakeObject(app, Host.AcadApp)) return false;
  if (!Put(Host.AcadApp, L"Visible", AutomationValue::Bool(true))) return false;
  ObjectRef document;
  if (!GetObject(Host.AcadApp, L"ActiveDocument", {}, document)) return false;
  if (!document) {
    // AutoCAD with no drawing open: every later step would fail unseen, so stop here.
    RaiseFailure(kInvalidPointer);
    return false;
  }
  Host.AcadDoc = std::move(document);
  return true;
}

}  // namespace

bool IsAutoCadRunning() {
  FailureReport.Clear();
  AutomationValue running;
  if (AttachRunning(AutoCadClassId(), running)) {
    ObjectRef app;
    if (TakeObject(running, app)) Host.AcadApp = std::move(app);
  }
  const bool answer = FailureReport.Number == 0;
  Host.AcadApp.reset();
  FailureReport.Clear();
  return answer;
}

bool ConnectAutoCad() {
  const bool running = IsAutoCadRunning();
  if (ConnectSteps(running)) return true;

  const AutomationError failure = FailureReport;
  ThePlatform->ShowMessage(
      ConnectionFailureMessage(failure.Number, failure.Description, failure.Source),
      ApplicationTitle, kStopIcon);
  FailureReport.Clear();
  return false;
}

std::wstring ConnectionFailureMessage(int32_t number, const std::wstring& description,
                                      const std::wstring& source) {
  std::wstring text;
  const bool spanish = IsSpanish();
  if (number == kTypeLibraryFailure) {
    if (spanish) {
      text = L"Error al cargar la biblioteca de tipos de AutoCAD.";
      text += kNewLine;
      text +=
          L"Compruebe que tiene instalada la version correcta de AutoCAD para esta version "
          L"de Morlavent CAD ( AutoCAD " +
          ReleaseYear + L").";
    } else {
      text = L"Error loading AutoCAD type library.";
      text += kNewLine;
      text += L"Check if AutoCAD " + ReleaseYear + L" is installed in your computer.";
    }
    return text;
  }
  const std::wstring tail =
      std::to_wstring(number) + kNewLine + L"(" + description + L") de " + source;
  if (spanish) {
    text = L"Error al abrir AutoCAD.";
    text += kNewLine;
    text += kNewLine;
    text +=
        L"Compruebe que tiene instalada la version correcta de AutoCAD para esta version de "
        L"Morlavent CAD (" +
        ReleaseYear + L")." + kNewLine;
    text +=
        L"Compruebe que el programa tiene los permisos necesarios para lanzar otras "
        L"aplicaciones (AutoCAD) o si lo esta ejecutando desde la cuenta de Administrador.";
    text += kNewLine;
    text += L"Puede instalar el menu manualmente de acuerdo al Manual.";
    text += kNewLine;
    text += L"O pruebe a abrir primero AutoCAD y despues ejecutar Morlavent para instalar el Menu.";
    text += kNewLine;
  } else {
    text = L"Error opening AutoCAD. Try again or...";
    text += kNewLine;
    text += L"Check if " + ReleaseYear + L" is installed in your computer." + kNewLine;
    text +=
        L"Check if Morlavent CAD has privileges to launch other applications (AutoCAD) or "
        L"try to run it as Administrator.";
    text += kNewLine;
    text += L"You can install Morlavent Menu manually.";
    text += kNewLine;
    text += L"Or you can try to run first AutoCAD and then Morlavent CAD.";
    text += kNewLine;
  }
  return text + tail;
}

}  // namespace MorlaventMenu
