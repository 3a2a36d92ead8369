#include "host/Automation.h"
#include "host/Connection.h"
#include "host/HostConnection.h"
#include "launcher/Edition.h"
#include "launcher/Messages.h"
#include "platform/Platform.h"

namespace MorlaventMenu {

HostConnection Host;

namespace {

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
  const bool spanish = IsSpanish();
  if (number == kTypeLibraryFailure) {
    if (spanish) {
      return JoinLines({L"Error al cargar la biblioteca de tipos de AutoCAD.",
                        L"Compruebe que tiene instalada la version correcta de AutoCAD para esta "
                        L"version de Morlavent CAD ( AutoCAD " +
                            ReleaseYear + L")."});
    }
    return JoinLines({L"Error loading AutoCAD type library.",
                      L"Check if AutoCAD " + ReleaseYear + L" is installed in your computer."});
  }
  const std::wstring number_line = std::to_wstring(number);
  const std::wstring failure_line = L"(" + description + L") de " + source;
  if (spanish) {
    return JoinLines(
        {L"Error al abrir AutoCAD.", L"",
         L"Compruebe que tiene instalada la version correcta de AutoCAD para esta version de "
         L"Morlavent CAD (" +
             ReleaseYear + L").",
         L"Compruebe que el programa tiene los permisos necesarios para lanzar otras "
         L"aplicaciones (AutoCAD) o si lo esta ejecutando desde la cuenta de Administrador.",
         L"Puede instalar el menu manualmente de acuerdo al Manual.",
         L"O pruebe a abrir primero AutoCAD y despues ejecutar Morlavent para instalar el Menu.",
         number_line, failure_line});
  }
  return JoinLines({L"Error opening AutoCAD. Try again or...",
                    L"Check if " + ReleaseYear + L" is installed in your computer.",
                    L"Check if Morlavent CAD has privileges to launch other applications "
                    L"(AutoCAD) or try to run it as Administrator.",
                    L"You can install Morlavent Menu manually.",
                    L"Or you can try to run first AutoCAD and then Morlavent CAD.", number_line,
                    failure_line});
}

}  // namespace MorlaventMenu
