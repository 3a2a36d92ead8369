// The members the launcher uses, as the simulated AutoCAD answers them.
#include <functional>

#include "SimTest.h"
#include "sim/MemberArgs.h"

namespace MorlaventMenu::Sim::Testing {
namespace {

using Testing::operator<<;

const wchar_t* const kMenuPath = L"C:\\Program Files\\Morlavent\\Morlavent_64.mns";

class MembersTest : public ::testing::Test {
 protected:
  MembersTest() {
    host.State().read_file = FilesFromMap(
        {{kMenuPath, ProductMenuSource()}, {L"C:\\nogroup.mns", "***POP1\r\nID_A [A]\r\n"}});
  }

  ObjectRef Groups() { return Get(host.Application(), L"MenuGroups").Object(); }
  ObjectRef Document() { return Get(host.Application(), L"ActiveDocument").Object(); }
  ObjectRef LoadedGroup() {
    EXPECT_TRUE(Call(Groups(), L"Load", {T(kMenuPath)}).ok);
    return Get(Groups(), L"Item", {AutomationValue::Int16(0)}).Object();
  }

  SimulatedAutoCad host;
};

TEST_F(MembersTest, LoadAddsTheGroupTheFileDefines) {
  Answer load = Call(Groups(), L"Load", {T(kMenuPath)});
  ASSERT_TRUE(load.ok);
  EXPECT_TRUE(load.value.IsEmpty());
  ASSERT_EQ(host.State().groups.size(), 1u);
  const MenuGroup& group = host.State().groups[0];
  EXPECT_EQ(group.name, L"MORLAVENT");
  ASSERT_EQ(group.menus.size(), 1u);
  EXPECT_EQ(group.menus[0].name, L"Morlavent");
  ASSERT_EQ(group.toolbars.size(), 2u);
  EXPECT_EQ(group.toolbars[0].name, L"Morlavent");
  EXPECT_FALSE(group.toolbars[0].visible);
  EXPECT_TRUE(group.toolbars[1].visible);
}

TEST_F(MembersTest, LoadAsGetAnswersTheNewGroup) {
  host.State().groups.push_back({L"ACAD", {}, {}, {}});
  Answer load = Get(Groups(), L"Load", {T(kMenuPath)});
  ASSERT_TRUE(load.ok);
  EXPECT_EQ(Get(load.Object(), L"Name").value.RawText(), L"MORLAVENT");
}

struct LoadFailureRow {
  const char* name;
  std::function<void(SimulatedAutoCad&)> arrange;
  const wchar_t* path;
  const wchar_t* description;
};

class LoadFailureTest : public MembersTest, public ::testing::WithParamInterface<LoadFailureRow> {};

TEST_P(LoadFailureTest, FailsAsAutoCadAndAddsNothing) {
  GetParam().arrange(host);
  size_t before = host.State().groups.size();
  Answer load = Call(Groups(), L"Load", {T(GetParam().path)});
  EXPECT_FALSE(load.ok);
  EXPECT_EQ(load.error.Number, kException);
  EXPECT_EQ(load.error.Description, GetParam().description);
  EXPECT_EQ(load.error.Source, L"AutoCAD");
  EXPECT_EQ(host.State().groups.size(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LoadFailureTest,
    ::testing::Values(LoadFailureRow{"MissingFile", [](SimulatedAutoCad&) {}, L"C:\\missing.mns",
                                     L"Failed to load menu file"},
                      LoadFailureRow{"NoReader",
                                     [](SimulatedAutoCad& h) { h.State().read_file = nullptr; },
                                     kMenuPath, L"Failed to load menu file"},
                      LoadFailureRow{"FileDefinesNoGroup", [](SimulatedAutoCad&) {},
                                     L"C:\\nogroup.mns", L"Failed to load menu file"},
                      LoadFailureRow{"GroupAlreadyLoaded",
                                     [](SimulatedAutoCad& h) {
                                       h.State().groups.push_back({L"MORLAVENT", {}, {}, {}});
                                     },
                                     kMenuPath, L"Menu group already loaded"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MembersTest, CountIsAnI4OfTheGroupsUnlessOverridden) {
  host.AddGeneratedGroups(3);
  Answer count = Get(Groups(), L"Count");
  ASSERT_TRUE(count.ok);
  EXPECT_EQ(count.value.Kind(), ValueKind::Int32);
  EXPECT_EQ(count.value.RawInteger(), 3);

  host.State().groups_count = AutomationValue::Text(L"many");
  count = Get(Groups(), L"Count");
  ASSERT_TRUE(count.ok);
  EXPECT_EQ(count.value.Kind(), ValueKind::Text);
  EXPECT_EQ(count.value.RawText(), L"many");
}

struct IndexRow {
  const char* name;
  std::function<AutomationValue(int16_t&)> index;  // may point at the row's counter
  bool ok;
  const wchar_t* group;  // when ok
  int32_t number;        // when not
  const wchar_t* description;
};

class ItemTest : public MembersTest, public ::testing::WithParamInterface<IndexRow> {};

TEST_P(ItemTest, TakesTheIndexByTheConversionRules) {
  host.AddGeneratedGroups(3);
  int16_t counter = 0;
  Answer item = Get(Groups(), L"Item", {GetParam().index(counter)});
  ASSERT_EQ(item.ok, GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(Get(item.Object(), L"Name").value.RawText(), GetParam().group);
  } else {
    EXPECT_TRUE(item.value.IsEmpty());
    EXPECT_EQ(item.error.Number, GetParam().number);
    EXPECT_EQ(item.error.Description, GetParam().description);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ItemTest,
    ::testing::Values(
        IndexRow{"I2", [](int16_t&) { return AutomationValue::Int16(0); }, true, L"G0", 0, L""},
        IndexRow{"I4", [](int16_t&) { return AutomationValue::Int32(2); }, true, L"G2", 0, L""},
        IndexRow{"I2ByReference",
                 [](int16_t& c) {
                   c = 1;
                   return AutomationValue::Int16Ref(&c);
                 },
                 true, L"G1", 0, L""},
        IndexRow{"NumericText", [](int16_t&) { return T(L"2"); }, true, L"G2", 0, L""},
        IndexRow{"DoubleRoundsHalfToEven", [](int16_t&) { return AutomationValue::Double(0.5); },
                 true, L"G0", 0, L""},
        IndexRow{"PastTheEnd", [](int16_t&) { return AutomationValue::Int16(3); }, false, L"",
                 kInvalidArgument, L"Invalid index"},
        IndexRow{"Negative", [](int16_t&) { return AutomationValue::Int16(-1); }, false, L"",
                 kInvalidArgument, L"Invalid index"},
        IndexRow{"ByReferencePastTheEnd",
                 [](int16_t& c) {
                   c = 3;
                   return AutomationValue::Int16Ref(&c);
                 },
                 false, L"", kInvalidArgument, L"Invalid index"},
        IndexRow{"WordText", [](int16_t&) { return T(L"G1"); }, false, L"", kTypeMismatch, L""},
        IndexRow{"Null", [](int16_t&) { return AutomationValue::Null(); }, false, L"",
                 kTypeMismatch, L""},
        IndexRow{"TooLarge", [](int16_t&) { return AutomationValue::Double(1e12); }, false, L"",
                 kOverflow, L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MembersTest, OutOfRangeItemNamesAutoCadAsSource) {
  Answer item = Get(Groups(), L"Item", {AutomationValue::Int16(0)});
  EXPECT_FALSE(item.ok);
  EXPECT_EQ(item.error.Number, kInvalidArgument);
  EXPECT_EQ(item.error.Source, L"AutoCAD");
}

struct ShapeRow {
  const char* name;
  const wchar_t* object;  // "Application" or "Document"
  const wchar_t* member;
  CallKind kind;
  AutomationArgs args;
  int32_t number;
};

class CallShapeTest : public MembersTest, public ::testing::WithParamInterface<ShapeRow> {};

TEST_P(CallShapeTest, WrongShapeFailsWithEmptyTexts) {
  ObjectRef target =
      std::wstring(GetParam().object) == L"Application" ? host.Application() : Document();
  AutomationArgs args = GetParam().args;
  Answer answer = Ask(target, GetParam().member, GetParam().kind, args);
  EXPECT_FALSE(answer.ok);
  EXPECT_EQ(answer.error.Number, GetParam().number);
  EXPECT_EQ(answer.error.Description, L"");
  EXPECT_EQ(answer.error.Source, L"");
  EXPECT_TRUE(answer.value.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CallShapeTest,
    ::testing::Values(
        ShapeRow{"UnknownMember", L"Application", L"Quit", CallKind::Call, {}, kMemberNotFound},
        ShapeRow{"MemberNamesAreExact",
                 L"Application",
                 L"visible",
                 CallKind::Put,
                 {AutomationValue::Bool(true)},
                 kMemberNotFound},
        ShapeRow{"PutOnReadOnlyProperty",
                 L"Application",
                 L"ActiveDocument",
                 CallKind::Put,
                 {AutomationValue::Null()},
                 kMemberNotFound},
        ShapeRow{"PropertyReadAsCall",
                 L"Application",
                 L"MenuGroups",
                 CallKind::Call,
                 {},
                 kMemberNotFound},
        ShapeRow{"PropertyReadWithArgument",
                 L"Application",
                 L"Visible",
                 CallKind::Get,
                 {AutomationValue::Bool(true)},
                 kBadParamCount},
        ShapeRow{"PutOfTextAsBoolean",
                 L"Application",
                 L"Visible",
                 CallKind::Put,
                 {T(L"yes")},
                 kTypeMismatch},
        ShapeRow{"PutOnMethod",
                 L"Document",
                 L"GetVariable",
                 CallKind::Put,
                 {T(L"ACADVER")},
                 kMemberNotFound},
        ShapeRow{"MethodWithoutArgument",
                 L"Document",
                 L"GetVariable",
                 CallKind::Get,
                 {},
                 kBadParamCount},
        ShapeRow{"SetVariableWithOneArgument",
                 L"Document",
                 L"SetVariable",
                 CallKind::Call,
                 {T(L"MENUBAR")},
                 kBadParamCount},
        ShapeRow{"VariableNameNull",
                 L"Document",
                 L"GetVariable",
                 CallKind::Get,
                 {AutomationValue::Null()},
                 kTypeMismatch},
        ShapeRow{"StoreAnObject",
                 L"Document",
                 L"SetVariable",
                 CallKind::Call,
                 {T(L"MENUBAR"), AutomationValue::Object(nullptr)},
                 kTypeMismatch}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MembersTest, VisibleIsWrittenAndRead) {
  ObjectRef app = host.Application();
  EXPECT_EQ(Get(app, L"Visible").value.RawBool(), false);
  ASSERT_TRUE(Put(app, L"Visible", AutomationValue::Bool(true)).ok);
  EXPECT_TRUE(host.State().visible);
  Answer visible = Get(app, L"Visible");
  EXPECT_EQ(visible.value.Kind(), ValueKind::Bool);
  EXPECT_TRUE(visible.value.RawBool());
}

TEST_F(MembersTest, NoDocumentOpenAnswersAnEmptyObjectReference) {
  host.State().document_open = false;
  Answer document = Get(host.Application(), L"ActiveDocument");
  ASSERT_TRUE(document.ok);
  EXPECT_EQ(document.value.Kind(), ValueKind::Object);
  EXPECT_EQ(document.value.RawObject(), nullptr);
}

TEST_F(MembersTest, DefaultVariablesAreThoseOfAFreshAutoCad2017) {
  ObjectRef document = Document();
  Answer version = Get(document, L"GetVariable", {T(L"ACADVER")});
  EXPECT_EQ(version.value.Kind(), ValueKind::Text);
  EXPECT_EQ(version.value.RawText(), L"21.0s (LMS Tech)");
  Answer paths = Get(document, L"GetVariable", {T(L"TRUSTEDPATHS")});
  EXPECT_EQ(paths.value.Kind(), ValueKind::Text);
  EXPECT_EQ(paths.value.RawText(), L"");
  Answer bar = Get(document, L"GetVariable", {T(L"MENUBAR")});
  EXPECT_EQ(bar.value.Kind(), ValueKind::Int16);
  EXPECT_EQ(bar.value.RawInteger(), 0);
}

TEST_F(MembersTest, UnknownVariableFailsBothWays) {
  ObjectRef document = Document();
  Answer get = Get(document, L"GetVariable", {T(L"NOSUCHVAR")});
  EXPECT_FALSE(get.ok);
  EXPECT_EQ(get.error.Number, kException);
  EXPECT_EQ(get.error.Source, L"AutoCAD");
  Answer set = Call(document, L"SetVariable", {T(L"NOSUCHVAR"), AutomationValue::Int16(1)});
  EXPECT_FALSE(set.ok);
  EXPECT_EQ(host.State().variables.count(L"NOSUCHVAR"), 0u);
}

struct StoreRow {
  const char* name;
  std::function<AutomationValue(int16_t&)> value;
  ValueKind kind;
  std::wstring printed;  // the stored value's text
};

class SetVariableTest : public MembersTest, public ::testing::WithParamInterface<StoreRow> {};

TEST_P(SetVariableTest, KeepsTheKindAsGiven) {
  int16_t counter = 0;
  ASSERT_TRUE(Call(Document(), L"SetVariable", {T(L"MENUBAR"), GetParam().value(counter)}).ok);
  counter = 99;  // a by-reference value was taken when the call came, not later
  const AutomationValue& stored = host.State().variables[L"MENUBAR"];
  EXPECT_EQ(stored.Kind(), GetParam().kind);
  std::wstring text;
  ASSERT_TRUE(stored.ToText(text));
  EXPECT_EQ(text, GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetVariableTest,
    ::testing::Values(
        StoreRow{"I2", [](int16_t&) { return AutomationValue::Int16(1); }, ValueKind::Int16, L"1"},
        StoreRow{"I4", [](int16_t&) { return AutomationValue::Int32(1); }, ValueKind::Int32, L"1"},
        StoreRow{"Text", [](int16_t&) { return T(L"1"); }, ValueKind::Text, L"1"},
        StoreRow{"ByReferenceStoredAsI2",
                 [](int16_t& c) {
                   c = 7;
                   return AutomationValue::Int16Ref(&c);
                 },
                 ValueKind::Int16, L"7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MembersTest, DocumentApplicationReachesTheSameHost) {
  host.AddGeneratedGroups(2);
  ObjectRef app = Get(Document(), L"Application").Object();
  ObjectRef groups = Get(app, L"MenuGroups").Object();
  EXPECT_EQ(Get(groups, L"Count").value.RawInteger(), 2);
}

TEST_F(MembersTest, InsertMenuInMenuBarPutsTheGroupsMenuOnTheBarOnce) {
  ObjectRef menus = Get(LoadedGroup(), L"Menus").Object();
  size_t mark = host.Journal().size();
  ASSERT_TRUE(Call(menus, L"InsertMenuInMenuBar", {T(L"Morlavent"), T(L"")}).ok);
  ASSERT_TRUE(Call(menus, L"InsertMenuInMenuBar", {T(L"Morlavent"), T(L"")}).ok);

  ASSERT_EQ(host.State().menu_bar.size(), 1u);
  EXPECT_EQ(host.State().menu_bar[0].group, L"MORLAVENT");
  EXPECT_EQ(host.State().menu_bar[0].menu, L"Morlavent");
  const JournalEntry& entry = host.Journal()[mark];
  EXPECT_EQ(entry.object, L"PopupMenus");
  EXPECT_EQ(entry.member, L"InsertMenuInMenuBar");
  EXPECT_EQ(entry.kind, CallKind::Call);
  EXPECT_EQ(entry.arguments, (std::vector<std::wstring>{L"BSTR:\"Morlavent\"", L"BSTR:\"\""}));
}

TEST_F(MembersTest, InsertMenuInMenuBarNeedsTheExactMenuName) {
  ObjectRef menus = Get(LoadedGroup(), L"Menus").Object();
  Answer insert = Call(menus, L"InsertMenuInMenuBar", {T(L"MORLAVENT"), T(L"")});
  EXPECT_FALSE(insert.ok);
  EXPECT_EQ(insert.error.Number, kInvalidArgument);
  EXPECT_TRUE(host.State().menu_bar.empty());
}

TEST_F(MembersTest, ToolbarsAreCountedNamedAndShown) {
  ObjectRef toolbars = Get(LoadedGroup(), L"Toolbars").Object();
  Answer count = Get(toolbars, L"Count");
  EXPECT_EQ(count.value.Kind(), ValueKind::Int32);
  EXPECT_EQ(count.value.RawInteger(), 2);
  int16_t index = 0;
  ObjectRef toolbar = Get(toolbars, L"Item", {AutomationValue::Int16Ref(&index)}).Object();
  EXPECT_EQ(Get(toolbar, L"Name").value.RawText(), L"Morlavent");
  ASSERT_TRUE(Put(toolbar, L"Visible", AutomationValue::Bool(true)).ok);
  EXPECT_TRUE(host.State().groups[0].toolbars[0].visible);
  EXPECT_TRUE(Get(toolbar, L"Visible").value.RawBool());

  Answer past = Get(toolbars, L"Item", {AutomationValue::Int16(2)});
  EXPECT_FALSE(past.ok);
  EXPECT_EQ(past.error.Number, kInvalidArgument);
  EXPECT_EQ(past.error.Description, L"Invalid index");
  EXPECT_EQ(past.error.Source, L"AutoCAD");
}

TEST_F(MembersTest, ToolbarsCountCanBeOverridden) {
  host.State().groups.push_back({L"MORLAVENT", {}, {{L"Morlavent", false}}, {}});
  host.State().groups[0].toolbars_count = AutomationValue::Int32(70000);
  ObjectRef group = Get(Groups(), L"Item", {AutomationValue::Int16(0)}).Object();
  Answer count = Get(Get(group, L"Toolbars").Object(), L"Count");
  EXPECT_EQ(count.value.Kind(), ValueKind::Int32);
  EXPECT_EQ(count.value.RawInteger(), 70000);
}

TEST_F(MembersTest, LiveReferencesCountTheProxiesInHand) {
  EXPECT_EQ(host.LiveReferences(), 0);
  {
    ObjectRef app = host.Application();
    ObjectRef document = Document();
    EXPECT_EQ(host.LiveReferences(), 2);
    ObjectRef toolbar;
    {
      ObjectRef group = LoadedGroup();
      ObjectRef toolbars = Get(group, L"Toolbars").Object();
      toolbar = Get(toolbars, L"Item", {AutomationValue::Int16(0)}).Object();
      EXPECT_EQ(host.LiveReferences(), 5);
    }
    EXPECT_EQ(host.LiveReferences(), 3);
  }
  EXPECT_EQ(host.LiveReferences(), 0);
}

TEST_F(MembersTest, EveryReturnedObjectIsAFreshProxy) {
  ObjectRef app = host.Application();
  ObjectRef first = Get(app, L"MenuGroups").Object();
  ObjectRef second = Get(app, L"MenuGroups").Object();
  EXPECT_NE(first, second);
}

TEST(SimulatedAutoCadLifetime, AProxyOutlivesTheHostHandle) {
  ObjectRef app;
  {
    SimulatedAutoCad host;
    app = host.Application();
  }
  Answer visible = Put(app, L"Visible", AutomationValue::Bool(true));
  EXPECT_TRUE(visible.ok);
}

TEST_F(MembersTest, AProxyWhoseGroupIsGoneFails) {
  host.AddGeneratedGroups(1);
  ObjectRef group = Get(Groups(), L"Item", {AutomationValue::Int16(0)}).Object();
  host.State().groups.clear();
  Answer name = Get(group, L"Name");
  EXPECT_FALSE(name.ok);
  EXPECT_TRUE(name.error.Failed());
}

TEST_F(MembersTest, GeneratedGroupsAreNamedByIndexAndEmpty) {
  host.AddGeneratedGroups(32768);
  ASSERT_EQ(host.State().groups.size(), 32768u);
  EXPECT_EQ(host.State().groups.front().name, L"G0");
  EXPECT_EQ(host.State().groups.back().name, L"G32767");
  EXPECT_TRUE(host.State().groups.back().menus.empty());
  EXPECT_TRUE(host.State().groups.back().toolbars.empty());
  int16_t last = 32767;
  ObjectRef group = Get(Groups(), L"Item", {AutomationValue::Int16Ref(&last)}).Object();
  EXPECT_EQ(Get(group, L"Name").value.RawText(), L"G32767");
}

}  // namespace
}  // namespace MorlaventMenu::Sim::Testing
