#include "sim/SimulatedAutoCad.h"

#include <limits>
#include <utility>

#include "sim/SimCore.h"
#include "sim/SimObjects.h"

namespace MorlaventMenu::Sim {

std::map<std::wstring, AutomationValue> DefaultVariables() {
  return {
      {L"ACADVER", AutomationValue::Text(L"21.0s (LMS Tech)")},
      {L"TRUSTEDPATHS", AutomationValue::Text(L"")},
      {L"MENUBAR", AutomationValue::Int16(0)},
  };
}

SimulatedAutoCad::SimulatedAutoCad() : core_(std::make_shared<SimCore>()) {
  core_->state.variables = DefaultVariables();
}

HostState& SimulatedAutoCad::State() {
  return core_->state;
}

const HostState& SimulatedAutoCad::State() const {
  return core_->state;
}

CallRules& SimulatedAutoCad::Rules() {
  return core_->rules;
}

ObjectRef SimulatedAutoCad::Application() {
  return MakeApplication(core_);
}

int SimulatedAutoCad::LiveReferences() const {
  return core_->live_proxies;
}

void SimulatedAutoCad::AddGeneratedGroups(int count) {
  std::vector<MenuGroup>& groups = core_->state.groups;
  groups.reserve(groups.size() + static_cast<size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) {
    MenuGroup group;
    group.name = L"G" + std::to_wstring(i);
    groups.push_back(std::move(group));
  }
}

int64_t SimulatedAutoCad::CallCount() const {
  return core_->calls;
}

const std::vector<JournalEntry>& SimulatedAutoCad::Journal() const {
  return core_->journal;
}

std::wstring SimulatedAutoCad::JournalText() const {
  return Sim::JournalText(core_->journal);
}

std::wstring SimulatedAutoCad::StateText() const {
  constexpr size_t kWhole = std::numeric_limits<size_t>::max();
  const HostState& state = core_->state;
  auto quoted = [](const std::wstring& text) { return QuoteText(text, kWhole); };
  std::wstring text;
  text += L"visible " + std::wstring(state.visible ? L"true" : L"false") + L"\n";
  text += L"document " + std::wstring(state.document_open ? L"open" : L"none") + L"\n";
  for (const auto& [name, value] : state.variables) {
    text += L"variable " + name + L" " + DescribeValue(value, kWhole) + L"\n";
  }
  if (state.groups_count)
    text += L"groups count " + DescribeValue(*state.groups_count, kWhole) + L"\n";
  for (const MenuGroup& group : state.groups) {
    text += L"group " + quoted(group.name) + L"\n";
    for (const PopupMenu& menu : group.menus) text += L"  menu " + quoted(menu.name) + L"\n";
    for (const Toolbar& toolbar : group.toolbars) {
      text +=
          L"  toolbar " + quoted(toolbar.name) + (toolbar.visible ? L" shown" : L" hidden") + L"\n";
    }
    if (group.toolbars_count) {
      text += L"  toolbars count " + DescribeValue(*group.toolbars_count, kWhole) + L"\n";
    }
  }
  for (const MenuBarEntry& entry : state.menu_bar) {
    text += L"menubar " + quoted(entry.group) + L" " + quoted(entry.menu) + L"\n";
  }
  return text;
}

FileReader FilesFromMap(std::map<std::wstring, std::string> files) {
  return [files = std::move(files)](const std::wstring& path, std::string& bytes) {
    auto found = files.find(path);
    if (found == files.end()) return false;
    bytes = found->second;
    return true;
  };
}

}  // namespace MorlaventMenu::Sim
