// Menu groups, their pop-up menus and their toolbars.
#include <algorithm>

#include "sim/MemberArgs.h"
#include "sim/MenuSource.h"
#include "sim/SimObject.h"
#include "sim/SimObjects.h"

namespace MorlaventMenu::Sim {

namespace {

bool Count(const std::optional<AutomationValue>& count_override, size_t size,
           AutomationValue& result) {
  result = count_override ? *count_override : AutomationValue::Int32(static_cast<int32_t>(size));
  return true;
}

// Base of the proxies that stand for one group or something inside it.
class GroupPart : public SimObject {
 public:
  GroupPart(std::shared_ptr<SimCore> core, size_t group)
      : SimObject(std::move(core)), group_(group) {}

 protected:
  // The group, or false when it no longer exists.
  bool Group(MenuGroup*& group, AutomationError& error) {
    if (group_ >= State().groups.size()) return FailAutoCad(error, L"Object was erased");
    group = &State().groups[group_];
    return true;
  }
  size_t GroupIndex() const { return group_; }

 private:
  size_t group_;
};

class MenuGroupsObject : public SimObject {
 public:
  using SimObject::SimObject;
  const wchar_t* TypeName() const override { return L"MenuGroups"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue& result,
           AutomationError& error) override {
    if (member == L"Count") {
      if (!IsPropertyRead(kind, args, error)) return false;
      return Count(State().groups_count, State().groups.size(), result);
    }
    if (member == L"Item") {
      int32_t index = 0;
      if (!IsMethodCall(kind, args, 1, error) || !ArgIndex(args[0], index, error) ||
          !CheckIndex(index, State().groups.size(), error)) {
        return false;
      }
      result = AutomationValue::Object(MakeMenuGroup(Core(), static_cast<size_t>(index)));
      return true;
    }
    if (member == L"Load") {
      std::wstring path;
      if (!IsMethodCall(kind, args, 1, error) || !ArgText(args[0], path, error)) return false;
      if (!Load(path, error)) return false;
      if (kind == CallKind::Get) {
        result = AutomationValue::Object(MakeMenuGroup(Core(), State().groups.size() - 1));
      }
      return true;
    }
    return Fail(error, kMemberNotFound);
  }

 private:
  bool Load(const std::wstring& path, AutomationError& error) {
    std::string bytes;
    if (!State().read_file || !State().read_file(path, bytes)) {
      return FailAutoCad(error, L"Failed to load menu file");
    }
    MenuGroup group;
    std::wstring problem;
    if (!ReadMenuSource(bytes, group, problem)) {
      return FailAutoCad(error, L"Failed to load menu file");
    }
    for (const MenuGroup& loaded : State().groups) {
      if (loaded.name == group.name) return FailAutoCad(error, L"Menu group already loaded");
    }
    State().groups.push_back(std::move(group));
    return true;
  }
};

class MenuGroupObject : public GroupPart {
 public:
  using GroupPart::GroupPart;
  const wchar_t* TypeName() const override { return L"MenuGroup"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue& result,
           AutomationError& error) override {
    MenuGroup* group = nullptr;
    if (member == L"Name") {
      if (!IsPropertyRead(kind, args, error) || !Group(group, error)) return false;
      result = AutomationValue::Text(group->name);
      return true;
    }
    if (member == L"Menus") {
      if (!IsPropertyRead(kind, args, error) || !Group(group, error)) return false;
      result = AutomationValue::Object(MakePopupMenus(Core(), GroupIndex()));
      return true;
    }
    if (member == L"Toolbars") {
      if (!IsPropertyRead(kind, args, error) || !Group(group, error)) return false;
      result = AutomationValue::Object(MakeToolbars(Core(), GroupIndex()));
      return true;
    }
    return Fail(error, kMemberNotFound);
  }
};

class PopupMenusObject : public GroupPart {
 public:
  using GroupPart::GroupPart;
  const wchar_t* TypeName() const override { return L"PopupMenus"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue&,
           AutomationError& error) override {
    if (member == L"InsertMenuInMenuBar") {
      // The second argument (where to insert) is only journaled: the menu goes last.
      std::wstring name;
      MenuGroup* group = nullptr;
      if (!IsMethodCall(kind, args, 2, error) || !ArgText(args[0], name, error) ||
          !Group(group, error)) {
        return false;
      }
      bool defined = std::any_of(group->menus.begin(), group->menus.end(),
                                 [&](const PopupMenu& menu) { return menu.name == name; });
      if (!defined) return Fail(error, kInvalidArgument, L"Invalid argument", L"AutoCAD");
      std::vector<MenuBarEntry>& bar = State().menu_bar;
      bool present = std::any_of(bar.begin(), bar.end(), [&](const MenuBarEntry& entry) {
        return entry.group == group->name && entry.menu == name;
      });
      if (!present) bar.push_back({group->name, name});
      return true;
    }
    return Fail(error, kMemberNotFound);
  }
};

class ToolbarsObject : public GroupPart {
 public:
  using GroupPart::GroupPart;
  const wchar_t* TypeName() const override { return L"Toolbars"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue& result,
           AutomationError& error) override {
    MenuGroup* group = nullptr;
    if (member == L"Count") {
      if (!IsPropertyRead(kind, args, error) || !Group(group, error)) return false;
      return Count(group->toolbars_count, group->toolbars.size(), result);
    }
    if (member == L"Item") {
      int32_t index = 0;
      if (!IsMethodCall(kind, args, 1, error) || !ArgIndex(args[0], index, error) ||
          !Group(group, error) || !CheckIndex(index, group->toolbars.size(), error)) {
        return false;
      }
      result =
          AutomationValue::Object(MakeToolbar(Core(), GroupIndex(), static_cast<size_t>(index)));
      return true;
    }
    return Fail(error, kMemberNotFound);
  }
};

class ToolbarObject : public GroupPart {
 public:
  ToolbarObject(std::shared_ptr<SimCore> core, size_t group, size_t toolbar)
      : GroupPart(std::move(core), group), toolbar_(toolbar) {}
  const wchar_t* TypeName() const override { return L"Toolbar"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue& result,
           AutomationError& error) override {
    Toolbar* toolbar = nullptr;
    if (member == L"Name") {
      if (!IsPropertyRead(kind, args, error) || !Find(toolbar, error)) return false;
      result = AutomationValue::Text(toolbar->name);
      return true;
    }
    if (member == L"Visible") {
      if (kind == CallKind::Put) {
        bool visible = false;
        if (!IsPropertyWrite(kind, args, error) || !ArgBool(args[0], visible, error) ||
            !Find(toolbar, error)) {
          return false;
        }
        toolbar->visible = visible;
        return true;
      }
      if (!IsPropertyRead(kind, args, error) || !Find(toolbar, error)) return false;
      result = AutomationValue::Bool(toolbar->visible);
      return true;
    }
    return Fail(error, kMemberNotFound);
  }

 private:
  bool Find(Toolbar*& toolbar, AutomationError& error) {
    MenuGroup* group = nullptr;
    if (!Group(group, error)) return false;
    if (toolbar_ >= group->toolbars.size()) return FailAutoCad(error, L"Object was erased");
    toolbar = &group->toolbars[toolbar_];
    return true;
  }

  size_t toolbar_;
};

}  // namespace

ObjectRef MakeMenuGroups(const std::shared_ptr<SimCore>& core) {
  return std::make_shared<MenuGroupsObject>(core);
}

ObjectRef MakeMenuGroup(const std::shared_ptr<SimCore>& core, size_t group) {
  return std::make_shared<MenuGroupObject>(core, group);
}

ObjectRef MakePopupMenus(const std::shared_ptr<SimCore>& core, size_t group) {
  return std::make_shared<PopupMenusObject>(core, group);
}

ObjectRef MakeToolbars(const std::shared_ptr<SimCore>& core, size_t group) {
  return std::make_shared<ToolbarsObject>(core, group);
}

ObjectRef MakeToolbar(const std::shared_ptr<SimCore>& core, size_t group, size_t toolbar) {
  return std::make_shared<ToolbarObject>(core, group, toolbar);
}

}  // namespace MorlaventMenu::Sim
