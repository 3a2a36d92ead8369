#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/AutomationObject.h"
#include "sim/HostState.h"
#include "sim/Journal.h"
#include "sim/Rules.h"

namespace MorlaventMenu::Sim {

struct SimCore;

// AutoCAD as the launcher sees it through automation: an application with its active
// document, system variables and menu groups, which journals every call it receives and
// misbehaves as its rules say. Objects handed out are fresh proxies onto the shared state,
// so a test can see whether the client still holds any (LiveReferences).
//
// Object model (members compared by exact name; index arguments count from 0):
//   Application  Visible (get/put), ActiveDocument (get), MenuGroups (get)
//   Document     GetVariable(name), SetVariable(name, value), Application (get)
//   MenuGroups   Count (get), Item(index), Load(path)
//   MenuGroup    Name, Menus, Toolbars (get)
//   PopupMenus   InsertMenuInMenuBar(menu name, where)
//   Toolbars     Count (get), Item(index)
//   Toolbar      Name (get), Visible (get/put)
class SimulatedAutoCad {
 public:
  // A running AutoCAD with one drawing open, the default variables and no menu groups.
  SimulatedAutoCad();

  HostState& State();
  const HostState& State() const;
  CallRules& Rules();

  // A new proxy for the application object.
  ObjectRef Application();
  // Proxies that exist now, in whoever's hands.
  int LiveReferences() const;

  // Appends `count` empty groups named "G0", "G1", ... "G<count-1>".
  void AddGeneratedGroups(int count);

  // Numbered calls so far; rejected calls are journaled but get no number.
  int64_t CallCount() const;
  const std::vector<JournalEntry>& Journal() const;
  std::wstring JournalText() const;
  // Visibility, document, variables, groups with menus and toolbars, menu bar: one item
  // per line, in a fixed order, texts in full.
  std::wstring StateText() const;

 private:
  std::shared_ptr<SimCore> core_;
};

// A file reader over an in-memory table of paths and contents.
FileReader FilesFromMap(std::map<std::wstring, std::string> files);

}  // namespace MorlaventMenu::Sim
