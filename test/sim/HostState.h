#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/AutomationValue.h"

namespace MorlaventMenu::Sim {

struct PopupMenu {
  std::wstring name;
};

struct Toolbar {
  std::wstring name;
  bool visible = false;
};

struct MenuGroup {
  std::wstring name;
  std::vector<PopupMenu> menus;
  std::vector<Toolbar> toolbars;
  // When set, the group's Toolbars.Count answers this instead of the number of toolbars.
  std::optional<AutomationValue> toolbars_count;
};

struct MenuBarEntry {
  std::wstring group;
  std::wstring menu;
};

// Reads a file for MenuGroups.Load; false when the file cannot be read.
using FileReader = std::function<bool(const std::wstring& path, std::string& bytes)>;

// Everything the simulated AutoCAD knows. Tests set it up and inspect it directly; the
// object proxies read and change it. Never store a proxy of this host in it (a cycle).
struct HostState {
  bool visible = false;
  bool document_open = true;
  std::map<std::wstring, AutomationValue> variables;
  std::vector<MenuGroup> groups;
  std::vector<MenuBarEntry> menu_bar;
  // When set, MenuGroups.Count answers this instead of the number of groups.
  std::optional<AutomationValue> groups_count;
  FileReader read_file;
};

// The variables a freshly started AutoCAD 2017 answers.
std::map<std::wstring, AutomationValue> DefaultVariables();

}  // namespace MorlaventMenu::Sim
