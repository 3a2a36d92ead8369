#include <climits>

#include "host/Automation.h"
#include "host/HostConnection.h"
#include "launcher/Edition.h"
#include "platform/Platform.h"
#include "setup/MenuGroup.h"

namespace MorlaventMenu {

namespace {

const wchar_t* const kGroupName = L"MORLAVENT";
const wchar_t* const kToolbarName = L"Morlavent";
const wchar_t* const kMenuName = L"Morlavent";

// Every action walks the chain from the document anew; what it obtains is released when
// the action ends, so no host object is held from one action to the next.
bool OpenMenuGroups(ObjectRef& groups) {
  ObjectRef app;
  return GetObject(Host.AcadDoc, L"Application", {}, app) &&
         GetObject(app, L"MenuGroups", {}, groups);
}

bool OpenItem(const ObjectRef& collection, int16_t& index, ObjectRef& item) {
  return GetObject(collection, L"Item", {AutomationValue::Int16Ref(&index)}, item);
}

bool OpenGroup(int16_t& group_index, ObjectRef& group) {
  ObjectRef groups;
  return OpenMenuGroups(groups) && OpenItem(groups, group_index, group);
}

bool OpenToolbars(int16_t& group_index, ObjectRef& toolbars) {
  ObjectRef group;
  return OpenGroup(group_index, group) && GetObject(group, L"Toolbars", {}, toolbars);
}

bool OpenToolbar(int16_t& group_index, int16_t& toolbar_index, ObjectRef& toolbar) {
  ObjectRef toolbars;
  return OpenToolbars(group_index, toolbars) && OpenItem(toolbars, toolbar_index, toolbar);
}

// A collection's last index: its Count less one, as a signed 16-bit integer.
bool LastIndexOf(const ObjectRef& collection, int16_t& last) {
  AutomationValue count;
  double number = 0;
  return Get(collection, L"Count", {}, count) && TakeDouble(count, number) &&
         TakeInt16(AutomationValue::Double(number - 1), last);
}

// An unreadable name counts as a miss: a failing host must not get our menu put into
// some other group.
bool NameIs(const ObjectRef& item, const wchar_t* wanted) {
  AutomationValue name;
  std::wstring text;
  return Get(item, L"Name", {}, name) && TakeText(name, text) && text == wanted;
}

// A counted loop over 0..last with step 1; `body` returns true to leave the loop. It
// visits at most 32768 indexes, even if the host rewrites the index it is handed.
template <typename Body>
void CountedLoop(int16_t& index, int16_t last, Body body) {
  index = 0;
  if (index > last) return;
  for (int visits = 0; visits <= SHRT_MAX; ++visits) {
    if (body()) return;
    if (index == SHRT_MAX) {
      RaiseFailure(kOverflow);  // the loop end overflows: every index has been seen
      return;
    }
    ++index;
    if (index > last) return;
  }
}

void ShowProductToolbar(int16_t& group_index) {
  int16_t last = 0;
  {
    ObjectRef toolbars;
    // A loop header that failed has set no bound: the loop does not run.
    if (!OpenToolbars(group_index, toolbars) || !LastIndexOf(toolbars, last)) return;
  }
  int16_t toolbar_index = 0;
  CountedLoop(toolbar_index, last, [&] {
    {
      ObjectRef toolbar;
      if (!OpenToolbar(group_index, toolbar_index, toolbar) || !NameIs(toolbar, kToolbarName)) {
        return false;
      }
    }
    ObjectRef toolbar;
    if (OpenToolbar(group_index, toolbar_index, toolbar)) {
      Put(toolbar, L"Visible", AutomationValue::Bool(true));
    }
    return true;
  });
}

}  // namespace

void InstallMenuGroup() {
  FailureReport.Clear();
  {
    // A failed load still lets an already loaded group be found below.
    const std::wstring path = ThePlatform->ExecutableFolder() + MenuFileName;
    ObjectRef groups;
    if (OpenMenuGroups(groups)) Call(groups, L"Load", {AutomationValue::Text(path)});
  }

  int16_t last = 0;
  {
    ObjectRef groups;
    if (!OpenMenuGroups(groups) || !LastIndexOf(groups, last)) return;
  }
  int16_t group_index = 0;
  CountedLoop(group_index, last, [&] {
    {
      ObjectRef group;
      if (!OpenGroup(group_index, group) || !NameIs(group, kGroupName)) return false;
    }
    {
      ObjectRef group, menus;
      if (OpenGroup(group_index, group) && GetObject(group, L"Menus", {}, menus)) {
        Call(menus, L"InsertMenuInMenuBar",
             {AutomationValue::Text(kMenuName), AutomationValue::Text(L"")});
      }
    }
    ShowProductToolbar(group_index);
    return true;  // once the group is found, no later group is examined
  });
}

}  // namespace MorlaventMenu
