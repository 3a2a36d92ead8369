#include "setup/SystemVariables.h"
#include "support/HostTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

const std::wstring kEntry = L"C:\\Morlavent\\2017;";

struct TrustedRow {
  const char* name;
  AutomationValue before;
  bool fail_read;
  bool fail_write;
  AutomationValue after;  // the variable afterwards
  bool written;
};

AutomationValue Text(const std::wstring& text) {
  return AutomationValue::Text(text);
}

const std::wstring kLongList = std::wstring(40000, L'x') + L";";

const TrustedRow kTrustedRows[] = {
    {"EmptyBecomesEntryAlone", Text(L""), false, false, Text(kEntry), true},
    {"EmptyValueBecomesEntryAlone", AutomationValue(), false, false, Text(kEntry), true},
    {"EntryFirstUnchanged", Text(kEntry + L"D:\\Other;"), false, false,
     Text(kEntry + L"D:\\Other;"), false},
    {"EntryMiddleUnchanged", Text(L"A:\\;" + kEntry + L"D:\\"), false, false,
     Text(L"A:\\;" + kEntry + L"D:\\"), false},
    {"EntryLastUnchanged", Text(L"D:\\Other;" + kEntry), false, false, Text(L"D:\\Other;" + kEntry),
     false},
    {"MissingEntryAppended", Text(L"D:\\Other"), false, false, Text(L"D:\\Other;" + kEntry), true},
    {"ListEndingInSemicolonGetsTwo", Text(L"D:\\Other;"), false, false,
     Text(L"D:\\Other;;" + kEntry), true},
    {"OtherCaseDoesNotCount", Text(L"c:\\morlavent\\2017;"), false, false,
     Text(L"c:\\morlavent\\2017;;" + kEntry), true},
    {"LastWithoutSemicolonDoesNotCount", Text(L"D:\\;C:\\Morlavent\\2017"), false, false,
     Text(L"D:\\;C:\\Morlavent\\2017;" + kEntry), true},
    {"FailedReadLeavesListAlone", Text(L"D:\\Mine"), true, false, Text(L"D:\\Mine"), false},
    {"FailedWriteLeavesListAlone", Text(L"D:\\Mine"), false, true, Text(L"D:\\Mine"), true},
    {"NullListLeftAlone", AutomationValue::Null(), false, false, AutomationValue::Null(), false},
    // A list that is not text is no list of folders: writing it back would lose the real one.
    {"NumberLeftAlone", AutomationValue::Int32(5), false, false, AutomationValue::Int32(5), false},
    {"ObjectLeftAlone", AutomationValue::Object(nullptr), false, false,
     AutomationValue::Object(nullptr), false},
    {"EntryPast32767Found", Text(kLongList + kEntry), false, false, Text(kLongList + kEntry),
     false},
    {"LongListWithoutEntryAppended", Text(kLongList), false, false, Text(kLongList + L";" + kEntry),
     true},
};

class TrustedPath : public HostTest, public ::testing::WithParamInterface<TrustedRow> {};

TEST_P(TrustedPath, AddsTheProductFolderOnceWithoutLosingTheList) {
  const TrustedRow& row = GetParam();
  Variable(L"TRUSTEDPATHS") = row.before;
  if (row.fail_read) {
    host.Rules().FailMember(L"Document.GetVariable", 0, {-2147418113, L"broken", L"AutoCAD"});
  }
  if (row.fail_write) {
    host.Rules().FailMember(L"Document.SetVariable", 0, {-2147418113, L"read-only", L"AutoCAD"});
  }
  Connected();

  AddTrustedPath();

  const AutomationValue& after = Variable(L"TRUSTEDPATHS");
  EXPECT_EQ(after.Kind(), row.after.Kind());
  EXPECT_EQ(after.RawText(), row.after.RawText());
  EXPECT_EQ(CallsOf(L"Document.SetVariable").size(), row.written ? 1u : 0u);
  EXPECT_TRUE(platform.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, TrustedPath, ::testing::ValuesIn(kTrustedRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The first launch writes the entry, the second finds it and writes nothing.
TEST_F(HostTest, SecondLaunchLeavesTrustedPathsAsTheFirstWroteIt) {
  Variable(L"TRUSTEDPATHS") = Text(L"D:\\Mine");
  Connected();
  AddTrustedPath();
  const std::wstring first = VariableText(L"TRUSTEDPATHS");
  AddTrustedPath();
  EXPECT_EQ(VariableText(L"TRUSTEDPATHS"), first);
  EXPECT_EQ(CallsOf(L"Document.SetVariable"),
            std::vector<std::wstring>{
                L"Document.SetVariable Call "
                L"BSTR:\"TRUSTEDPATHS\";BSTR:\"D:\\\\Mine;C:\\\\Morlavent\\\\2017;\""});
}

struct MenuBarRow {
  const char* name;
  AutomationValue before;
  bool fail_read;
  bool written;
};

const MenuBarRow kMenuBarRows[] = {
    {"ZeroBecomesOne", AutomationValue::Int16(0), false, true},
    {"OneLeftAlone", AutomationValue::Int16(1), false, false},
    {"TwoLeftAlone", AutomationValue::Int16(2), false, false},
    {"EmptyEqualsZero", AutomationValue(), false, true},
    {"FailedReadEqualsZero", AutomationValue::Int16(1), true, true},
    {"DoubleZero", AutomationValue::Double(0.0), false, true},
    {"TextZeroEqualsZero", Text(L"0"), false, true},
    {"TextOneLeftAlone", Text(L"1"), false, false},
    // A value that cannot be compared fails the test, which goes on into the write.
    {"WordFailsTheTest", Text(L"abc"), false, true},
    {"NullEqualsNothing", AutomationValue::Null(), false, false},
};

class MenuBar : public HostTest, public ::testing::WithParamInterface<MenuBarRow> {};

TEST_P(MenuBar, SwitchesOnOnlyWhenOff) {
  const MenuBarRow& row = GetParam();
  Variable(L"MENUBAR") = row.before;
  if (row.fail_read) {
    host.Rules().FailMember(L"Document.GetVariable", 0, {-2147418113, L"broken", L"AutoCAD"});
  }
  Connected();

  ShowMenuBar();

  const std::vector<std::wstring> expected =
      row.written ? std::vector<std::wstring>{L"Document.SetVariable Call BSTR:\"MENUBAR\";I2:1"}
                  : std::vector<std::wstring>{};
  EXPECT_EQ(CallsOf(L"Document.SetVariable"), expected);
  if (row.written) EXPECT_EQ(Variable(L"MENUBAR").Kind(), ValueKind::Int16);
  EXPECT_TRUE(platform.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, MenuBar, ::testing::ValuesIn(kMenuBarRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed write of MENUBAR leaves it off and tells nobody.
TEST_F(HostTest, FailedMenuBarWriteIsSilent) {
  Variable(L"MENUBAR") = AutomationValue::Int16(0);
  host.Rules().FailMember(L"Document.SetVariable", 0, {-2147418113, L"read-only", L"AutoCAD"});
  Connected();
  ShowMenuBar();
  EXPECT_EQ(Variable(L"MENUBAR").RawInteger(), 0);
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace MorlaventMenu::Testing
