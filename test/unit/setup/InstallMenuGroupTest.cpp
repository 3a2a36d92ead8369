#include "setup/MenuGroup.h"
#include "support/HostTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

using Sim::MenuGroup;
using Sim::PopupMenu;
using Sim::Toolbar;

const char* const kProductMenu =
    "***MENUGROUP=MORLAVENT\r\n"
    "***POP1\r\n"
    "**MORLAVENT\r\n"
    "ID_Morlavent [&Morlavent]\r\n"
    "***TOOLBARS\r\n"
    "**TB_MORLAVENT\r\n"
    "ID_TbMorlavent [_Toolbar(\"Morlavent\", _Top, _Hide, 10, 0, 1)]\r\n";

MenuGroup Group(const std::wstring& name, std::vector<std::wstring> toolbars = {L"Morlavent"}) {
  MenuGroup group;
  group.name = name;
  group.menus.push_back(PopupMenu{L"Morlavent"});
  for (const auto& toolbar : toolbars) group.toolbars.push_back(Toolbar{toolbar, false});
  return group;
}

class MenuGroupTest : public HostTest {
 protected:
  MenuGroupTest() {
    platform.folder = L"C:\\Program Files\\Morlavent CAD";
    MenuFileIs(kProductMenu);
  }

  std::wstring MenuPath() const { return platform.folder + MenuFileName; }

  void MenuFileIs(const char* source) {
    std::map<std::wstring, std::string> files;
    if (source != nullptr) files[MenuPath()] = source;
    host.State().read_file = Sim::FilesFromMap(files);
  }

  void Run() {
    Connected();
    InstallMenuGroup();
    EXPECT_TRUE(platform.messages.empty()) << "the set-up shows nothing";
    // Only the connection's two references remain: no host object outlives an action.
    EXPECT_EQ(host.LiveReferences(), 2);
  }

  std::vector<std::wstring> VisibleToolbars() const {
    std::vector<std::wstring> shown;
    for (size_t g = 0; g < host.State().groups.size(); ++g) {
      for (size_t t = 0; t < host.State().groups[g].toolbars.size(); ++t) {
        if (host.State().groups[g].toolbars[t].visible) {
          shown.push_back(std::to_wstring(g) + L":" + std::to_wstring(t));
        }
      }
    }
    return shown;
  }

  std::vector<std::wstring> MenuBar() const {
    std::vector<std::wstring> bar;
    for (const auto& entry : host.State().menu_bar) bar.push_back(entry.group + L"/" + entry.menu);
    return bar;
  }

  // Indexes the named collection member was asked for, in order.
  std::vector<std::wstring> ItemsAsked(const std::wstring& collection) const {
    std::vector<std::wstring> asked;
    for (const std::wstring& call : CallsOf(collection + L".Item")) {
      asked.push_back(call.substr(call.find(L' ', collection.size() + 6) + 1));
    }
    return asked;
  }
};

// A fresh host: the file is loaded, its menu goes on the bar, its toolbar is shown, and
// every action walks the chain from the document anew.
TEST_F(MenuGroupTest, FreshHostLoadsInsertsAndShowsWithTheFullCallPattern) {
  Run();
  ASSERT_EQ(host.State().groups.size(), 1u);
  EXPECT_EQ(MenuBar(), std::vector<std::wstring>{L"MORLAVENT/Morlavent"});
  EXPECT_EQ(VisibleToolbars(), std::vector<std::wstring>{L"0:0"});
  const std::wstring path = L"BSTR:\"C:\\\\Program Files\\\\Morlavent CAD\\\\Morlavent_" +
                            std::to_wstring(EditionBits) + L".mns\"";
  EXPECT_EQ(Calls(),
            (std::vector<std::wstring>{
                // load
                L"Document.Application Get", L"Application.MenuGroups Get",
                L"MenuGroups.Load Call " + path,
                // group loop header
                L"Document.Application Get", L"Application.MenuGroups Get", L"MenuGroups.Count Get",
                // group test at index 0
                L"Document.Application Get", L"Application.MenuGroups Get",
                L"MenuGroups.Item Get I2|BYREF:0", L"MenuGroup.Name Get",
                // menu insertion
                L"Document.Application Get", L"Application.MenuGroups Get",
                L"MenuGroups.Item Get I2|BYREF:0", L"MenuGroup.Menus Get",
                L"PopupMenus.InsertMenuInMenuBar Call BSTR:\"Morlavent\";BSTR:\"\"",
                // toolbar loop header
                L"Document.Application Get", L"Application.MenuGroups Get",
                L"MenuGroups.Item Get I2|BYREF:0", L"MenuGroup.Toolbars Get", L"Toolbars.Count Get",
                // toolbar test at index 0: six calls
                L"Document.Application Get", L"Application.MenuGroups Get",
                L"MenuGroups.Item Get I2|BYREF:0", L"MenuGroup.Toolbars Get",
                L"Toolbars.Item Get I2|BYREF:0", L"Toolbar.Name Get",
                // toolbar display
                L"Document.Application Get", L"Application.MenuGroups Get",
                L"MenuGroups.Item Get I2|BYREF:0", L"MenuGroup.Toolbars Get",
                L"Toolbars.Item Get I2|BYREF:0", L"Toolbar.Visible Put BOOL:true"}));
}

struct GroupsRow {
  const char* name;
  std::vector<MenuGroup> loaded;           // before the launch
  bool file_loads;                         // the menu file is there and loads
  std::vector<std::wstring> menu_bar;      // afterwards
  std::vector<std::wstring> visible;       // group:toolbar shown afterwards
  std::vector<std::wstring> groups_asked;  // indexes asked of MenuGroups.Item, in order
};

const GroupsRow kGroupsRows[] = {
    {"NoGroupsAndNoFile", {}, false, {}, {}, {}},
    {"OnlyOtherCaseGroup",
     {Group(L"ACAD"), Group(L"Morlavent")},
     false,
     {},
     {},
     {L"I2|BYREF:0", L"I2|BYREF:1"}},
    {"TwoMatchesLowerIndexUsed",
     {Group(L"ACAD"), Group(L"MORLAVENT"), Group(L"MORLAVENT")},
     false,
     {L"MORLAVENT/Morlavent"},
     {L"1:0"},
     {L"I2|BYREF:0", L"I2|BYREF:1", L"I2|BYREF:1", L"I2|BYREF:1", L"I2|BYREF:1", L"I2|BYREF:1"}},
    {"FoundGroupWithoutToolbarEndsSearch",
     {Group(L"MORLAVENT", {L"MORLAVENT", L"Other"}), Group(L"MORLAVENT")},
     false,
     {L"MORLAVENT/Morlavent"},
     {},
     {L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0"}},
    {"TwoMatchingToolbarsFirstShown",
     {Group(L"MORLAVENT", {L"Other", L"Morlavent", L"Morlavent"})},
     false,
     {L"MORLAVENT/Morlavent"},
     {L"0:1"},
     {L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0"}},
    {"LoadFailsButLoadedGroupIsUsed",
     {Group(L"MORLAVENT")},
     false,
     {L"MORLAVENT/Morlavent"},
     {L"0:0"},
     {L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0"}},
    {"AlreadyLoadedGroupFailsTheLoadButIsUsed",
     {Group(L"MORLAVENT")},
     true,
     {L"MORLAVENT/Morlavent"},
     {L"0:0"},
     {L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0", L"I2|BYREF:0"}},
};

class MenuGroups : public MenuGroupTest, public ::testing::WithParamInterface<GroupsRow> {};

TEST_P(MenuGroups, FirstExactGroupAndToolbarOnly) {
  const GroupsRow& row = GetParam();
  host.State().groups = row.loaded;
  if (!row.file_loads) MenuFileIs(nullptr);
  Run();
  EXPECT_EQ(MenuBar(), row.menu_bar);
  EXPECT_EQ(VisibleToolbars(), row.visible);
  EXPECT_EQ(ItemsAsked(L"MenuGroups"), row.groups_asked);
  EXPECT_EQ(CallsOf(L"MenuGroups.Load").size(), 1u) << "the load is always tried, once";
  EXPECT_EQ(CallsOf(L"MenuGroups.Count").size(), 1u) << "Count is read once, at the header";
}

INSTANTIATE_TEST_SUITE_P(Rows, MenuGroups, ::testing::ValuesIn(kGroupsRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed insertion does not keep the toolbar from being shown.
TEST_F(MenuGroupTest, FailedInsertionStillShowsToolbar) {
  host.Rules().FailMember(L"PopupMenus.InsertMenuInMenuBar", 0, {-2147352567, L"no", L"AutoCAD"});
  Run();
  EXPECT_TRUE(MenuBar().empty());
  EXPECT_EQ(VisibleToolbars(), std::vector<std::wstring>{L"0:0"});
}

struct HeaderRow {
  const char* name;
  const wchar_t* failing;  // member whose every call fails, or nullptr
  std::optional<AutomationValue> groups_count;
  std::optional<AutomationValue> toolbars_count;
  size_t groups_tested;
  size_t toolbars_tested;
};

const HeaderRow kHeaderRows[] = {
    {"GroupCountFails", L"MenuGroups.Count", {}, {}, 0, 0},
    {"GroupCountTooLarge", nullptr, AutomationValue::Int32(32769), {}, 0, 0},
    {"GroupCountNegative", nullptr, AutomationValue::Int32(-3), {}, 0, 0},
    {"GroupCountText", nullptr, AutomationValue::Text(L"abc"), {}, 0, 0},
    {"GroupCountNull", nullptr, AutomationValue::Null(), {}, 0, 0},
    {"GroupCountNumericText", nullptr, AutomationValue::Text(L"1"), {}, 1, 1},
    // 1.5 - 1 = 0.5, which rounds to the even 0: one group.
    {"GroupCountFraction", nullptr, AutomationValue::Double(1.5), {}, 1, 1},
    {"ToolbarCountFails", L"Toolbars.Count", {}, {}, 1, 0},
    {"ToolbarCountTooLarge", nullptr, {}, AutomationValue::Double(1e9), 1, 0},
    {"ToolbarCountZero", nullptr, {}, AutomationValue::Int32(0), 1, 0},
    // An unreadable name is a miss: nothing is inserted into that group.
    {"GroupNameUnreadable", L"MenuGroup.Name", {}, {}, 1, 0},
    {"ToolbarNameUnreadable", L"Toolbar.Name", {}, {}, 1, 1},
};

class LoopHeaders : public MenuGroupTest, public ::testing::WithParamInterface<HeaderRow> {};

TEST_P(LoopHeaders, FailedOrHostileHeaderEndsItsLoop) {
  const HeaderRow& row = GetParam();
  host.State().groups = {Group(L"MORLAVENT")};
  MenuFileIs(nullptr);
  if (row.failing) host.Rules().FailMember(row.failing, 0, {-2147418113, L"bad", L"AutoCAD"});
  host.State().groups_count = row.groups_count;
  host.State().groups[0].toolbars_count = row.toolbars_count;
  Run();
  EXPECT_EQ(CallsOf(L"MenuGroup.Name").size(), row.groups_tested);
  EXPECT_EQ(CallsOf(L"Toolbar.Name").size(), row.toolbars_tested);
  const auto failing = [&](const wchar_t* member) {
    return row.failing != nullptr && std::wstring(row.failing) == member;
  };
  const bool group_matched = row.groups_tested == 1 && !failing(L"MenuGroup.Name");
  EXPECT_EQ(MenuBar().size(), group_matched ? 1u : 0u);
  const bool toolbar_matched = row.toolbars_tested == 1 && !failing(L"Toolbar.Name");
  EXPECT_EQ(VisibleToolbars().size(), toolbar_matched ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, LoopHeaders, ::testing::ValuesIn(kHeaderRows),
                         [](const auto& info) { return std::string(info.param.name); });

// 32768 groups, none a match: every index 0..32767 is tested once, and the loop ends.
TEST_F(MenuGroupTest, ExactlyMaxGroupsAllExaminedThenEnds) {
  MenuFileIs(nullptr);
  host.AddGeneratedGroups(32768);
  Run();
  const auto asked = ItemsAsked(L"MenuGroups");
  ASSERT_EQ(asked.size(), 32768u);
  EXPECT_EQ(asked.front(), L"I2|BYREF:0");
  EXPECT_EQ(asked.back(), L"I2|BYREF:32767");
  EXPECT_TRUE(MenuBar().empty());
}

// One group more than a signed 16-bit index reaches: the header fails, nothing is examined.
TEST_F(MenuGroupTest, MoreThanMaxGroupsExaminesNone) {
  MenuFileIs(nullptr);
  host.AddGeneratedGroups(32769);
  Run();
  EXPECT_TRUE(ItemsAsked(L"MenuGroups").empty());
}

// A host that has gone away: every call fails, the routine ends without looping.
TEST_F(MenuGroupTest, VanishedHostEndsQuietly) {
  Connected();
  host.Rules().GoneFrom(static_cast<int64_t>(host.CallCount()) + 1);
  InstallMenuGroup();
  EXPECT_LE(Calls().size(), 3u);
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace MorlaventMenu::Testing
