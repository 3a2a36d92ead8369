#include "host/Automation.h"
#include "host/HostConnection.h"
#include "host/ReleaseCheck.h"
#include "launcher/Edition.h"
#include "launcher/Messages.h"
#include "platform/Platform.h"

namespace MorlaventMenu {

namespace {

struct ReleaseRow {
  const wchar_t* prefix;
  const wchar_t* year;
};

// Tried in this order; the first row whose prefix matches gives the year.
constexpr ReleaseRow ReleaseTable[] = {
    {L"16.0", L"2004"}, {L"16.1", L"2005"}, {L"16.2", L"2006"}, {L"17.0", L"2007"},
    {L"17.1", L"2008"}, {L"17.2", L"2009"}, {L"18.0", L"2010"}, {L"18.1", L"2011"},
    {L"18.2", L"2012"}, {L"19.0", L"2013"}, {L"19.1", L"2014"}, {L"20.0", L"2015"},
    {L"20.1", L"2016"}, {L"21.0", L"2017"},
};

}  // namespace

std::wstring ReleaseYearOf(const std::wstring& release_prefix) {
  for (const ReleaseRow& row : ReleaseTable) {
    if (release_prefix == row.prefix) return row.year;
  }
  return std::wstring();
}

std::wstring ReleaseMismatchMessage(const std::wstring& detected_year) {
  if (IsSpanish()) {
    return JoinLines({L"No puedes usar Morlavent CAD para AutoCAD " + detected_year +
                          L" en AutoCAD " + ReleaseYear,
                      L"Debes descargar e instalar Morlavent CAD para AutoCAD " + ReleaseYear,
                      L"El menu de Morlavent no se ha insertado."});
  }
  return JoinLines({L"You can not run Morlavent CAD for AutoCAD " + detected_year +
                        L" with AutoCAD " + ReleaseYear,
                    L"Must download and install Morlavent CAD for AutoCAD " + ReleaseYear,
                    L"Morlavent Menu was not added."});
}

bool CheckAutoCadRelease() {
  FailureReport.Clear();
  // A failed read or conversion leaves the release empty: it then matches nothing.
  AutomationValue release;
  Get(Host.AcadDoc, L"GetVariable", {AutomationValue::Text(L"ACADVER")}, release);
  std::wstring release_text;
  TakeText(release, release_text);
  const std::wstring prefix = release_text.substr(0, 4);
  if (prefix == ReleaseNumber) return true;

  ThePlatform->ShowMessage(ReleaseMismatchMessage(ReleaseYearOf(prefix)), ApplicationTitle,
                           kExclamationIcon);
  return false;
}

}  // namespace MorlaventMenu
