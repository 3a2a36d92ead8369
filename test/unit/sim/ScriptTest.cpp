// The script through which a test sets up the host of another process.
#include <functional>

#include "SimTest.h"
#include "sim/MemberArgs.h"
#include "sim/Script.h"

namespace MorlaventMenu::Sim::Testing {
namespace {

using Testing::operator<<;

struct DirectiveRow {
  const char* name;
  std::string script;
  std::function<void(SimulatedAutoCad&)> check;
};

class DirectiveTest : public ::testing::TestWithParam<DirectiveRow> {};

TEST_P(DirectiveTest, Applies) {
  SimulatedAutoCad host;
  std::string error;
  ASSERT_TRUE(ApplyScript(host, GetParam().script, error)) << error;
  EXPECT_EQ(error, "");
  GetParam().check(host);
}

void ExpectVariable(SimulatedAutoCad& host, const wchar_t* name, const std::wstring& described) {
  auto found = host.State().variables.find(name);
  ASSERT_NE(found, host.State().variables.end());
  EXPECT_EQ(DescribeValue(found->second, std::wstring::npos), described);
}

// The answer of the first call: for rules keyed by call number.
Answer FirstCall(SimulatedAutoCad& host) {
  return Get(host.Application(), L"Visible");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DirectiveTest,
    ::testing::Values(
        DirectiveRow{
            "CommentsAndBlankLines", "# a comment\n\n   # indented\n  \r\n",
            [](SimulatedAutoCad& h) { EXPECT_EQ(h.StateText(), SimulatedAutoCad().StateText()); }},
        DirectiveRow{"Visible", "visible true\n",
                     [](SimulatedAutoCad& h) { EXPECT_TRUE(h.State().visible); }},
        DirectiveRow{"NoDocument", "no-document",
                     [](SimulatedAutoCad& h) { EXPECT_FALSE(h.State().document_open); }},
        DirectiveRow{"VariableText", "variable ACADVER text \"20.0s (LMS Tech)\"\n",
                     [](SimulatedAutoCad& h) {
                       ExpectVariable(h, L"ACADVER", L"BSTR:\"20.0s (LMS Tech)\"");
                     }},
        DirectiveRow{"VariableTextWithEscapesAndUtf8",
                     "variable TRUSTEDPATHS text \"C:\\\\Men\xC3\xBA\\t\\\"q\\\";\"\r\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_EQ(h.State().variables[L"TRUSTEDPATHS"].RawText(),
                                 L"C:\\Men\u00fa\t\"q\";");
                     }},
        DirectiveRow{"VariableOfEveryKind",
                     "variable A i2 -32768\nvariable B i4 0x7FFFFFFF\nvariable C r8 2.5e3\n"
                     "variable D bool false\nvariable E null\nvariable F empty\n"
                     "variable G nothing\nvariable H text word\n",
                     [](SimulatedAutoCad& h) {
                       ExpectVariable(h, L"A", L"I2:-32768");
                       ExpectVariable(h, L"B", L"I4:2147483647");
                       ExpectVariable(h, L"C", L"R8:2500");
                       ExpectVariable(h, L"D", L"BOOL:false");
                       ExpectVariable(h, L"E", L"NULL");
                       ExpectVariable(h, L"F", L"EMPTY");
                       ExpectVariable(h, L"G", L"DISPATCH:nothing");
                       ExpectVariable(h, L"H", L"BSTR:\"word\"");
                     }},
        DirectiveRow{"Repeat", "variable TRUSTEDPATHS repeat 3 \"ab;\"\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_EQ(h.State().variables[L"TRUSTEDPATHS"].RawText(), L"ab;ab;ab;");
                     }},
        DirectiveRow{"GroupsWithMenusAndToolbars",
                     "group \"ACAD\"\nmenu \"File\"\ntoolbar Standard shown\n"
                     "group \"MORLAVENT\"\nmenu \"Morlavent\"\ntoolbar \"Morlavent\" hidden\n"
                     "toolbar \"Morlavent\" shown\ncount toolbars i4 70000\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_EQ(h.StateText().substr(h.StateText().find(L"group ")),
                                 L"group \"ACAD\"\n"
                                 L"  menu \"File\"\n"
                                 L"  toolbar \"Standard\" shown\n"
                                 L"group \"MORLAVENT\"\n"
                                 L"  menu \"Morlavent\"\n"
                                 L"  toolbar \"Morlavent\" hidden\n"
                                 L"  toolbar \"Morlavent\" shown\n"
                                 L"  toolbars count I4:70000\n");
                     }},
        DirectiveRow{"GeneratedGroups", "groups 32768\n",
                     [](SimulatedAutoCad& h) {
                       ASSERT_EQ(h.State().groups.size(), 32768u);
                       EXPECT_EQ(h.State().groups.back().name, L"G32767");
                     }},
        DirectiveRow{"CountOfGroups", "count groups text \"abc\"\n",
                     [](SimulatedAutoCad& h) {
                       ObjectRef groups = Get(h.Application(), L"MenuGroups").Object();
                       EXPECT_EQ(Get(groups, L"Count").value.RawText(), L"abc");
                     }},
        DirectiveRow{"MenuBar", "menubar \"ACAD\" \"File\"\n",
                     [](SimulatedAutoCad& h) {
                       ASSERT_EQ(h.State().menu_bar.size(), 1u);
                       EXPECT_EQ(h.State().menu_bar[0].group, L"ACAD");
                       EXPECT_EQ(h.State().menu_bar[0].menu, L"File");
                     }},
        DirectiveRow{"FailCall", "fail call 1 0x80020009 \"Fall\xC3\xB3\" \"AutoCAD\"\n",
                     [](SimulatedAutoCad& h) {
                       Answer answer = FirstCall(h);
                       EXPECT_EQ(answer.error.Number, kException);
                       EXPECT_EQ(answer.error.Description, L"Fall\u00f3");
                       EXPECT_EQ(answer.error.Source, L"AutoCAD");
                     }},
        DirectiveRow{"FailCallDecimalNumber", "fail call 1 -2147352567 \"\" \"\"\n",
                     [](SimulatedAutoCad& h) { EXPECT_EQ(FirstCall(h).error.Number, kException); }},
        DirectiveRow{"FailMemberNth",
                     "fail member Application.Visible nth 2 48 \"Type library\" \"Loader\"\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_TRUE(FirstCall(h).ok);
                       Answer second = FirstCall(h);
                       EXPECT_EQ(second.error.Number, 48);
                       EXPECT_EQ(second.error.Source, L"Loader");
                       EXPECT_TRUE(FirstCall(h).ok);
                     }},
        DirectiveRow{"FailMemberEveryCall", "fail member Visible 5 \"\" \"\"\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_EQ(FirstCall(h).error.Number, 5);
                       EXPECT_EQ(FirstCall(h).error.Number, 5);
                     }},
        DirectiveRow{"ResultCall", "result call 2 r8 1.5\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_EQ(FirstCall(h).value.Kind(), ValueKind::Bool);
                       Answer second = FirstCall(h);
                       EXPECT_EQ(second.value.Kind(), ValueKind::Double);
                       EXPECT_EQ(second.value.RawDouble(), 1.5);
                     }},
        DirectiveRow{"GoneFrom", "gone from 2\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_TRUE(FirstCall(h).ok);
                       EXPECT_EQ(FirstCall(h).error.Number, kDisconnected);
                       EXPECT_EQ(FirstCall(h).error.Number, kDisconnected);
                     }},
        DirectiveRow{"RejectFirst", "reject first 2\n",
                     [](SimulatedAutoCad& h) {
                       EXPECT_EQ(FirstCall(h).error.Number, kCallRejected);
                       EXPECT_EQ(FirstCall(h).error.Number, kCallRejected);
                       EXPECT_TRUE(FirstCall(h).ok);
                       EXPECT_EQ(h.CallCount(), 1);
                     }},
        DirectiveRow{"RejectForever", "reject forever\n",
                     [](SimulatedAutoCad& h) {
                       for (int i = 0; i < 5; ++i) {
                         EXPECT_EQ(FirstCall(h).error.Number, kCallRejected);
                       }
                     }},
        DirectiveRow{
            "RejectForAnHour", "reject for 3600000 ms\n",
            [](SimulatedAutoCad& h) { EXPECT_EQ(FirstCall(h).error.Number, kCallRejected); }},
        DirectiveRow{"RejectForNoTime", "reject for 0 ms\n",
                     [](SimulatedAutoCad& h) { EXPECT_TRUE(FirstCall(h).ok); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadLineRow {
  const char* name;
  std::string script;
  std::string error_start;  // the error names the line
};

class BadLineTest : public ::testing::TestWithParam<BadLineRow> {};

TEST_P(BadLineTest, NamesTheLineAndLeavesItUnapplied) {
  SimulatedAutoCad host;
  std::string error;
  EXPECT_FALSE(ApplyScript(host, GetParam().script, error));
  EXPECT_EQ(error.compare(0, GetParam().error_start.size(), GetParam().error_start), 0) << error;
  // In every row the bad line is the last: the host is as the lines before it left it.
  std::string good_lines =
      GetParam().script.substr(0, GetParam().script.rfind('\n', GetParam().script.size() - 2) + 1);
  SimulatedAutoCad expected;
  ASSERT_TRUE(ApplyScript(expected, good_lines, error)) << error;
  EXPECT_EQ(host.StateText(), expected.StateText());
  Answer first = Get(host.Application(), L"Visible");
  EXPECT_TRUE(first.ok);
  EXPECT_EQ(first.value.Kind(), ValueKind::Bool);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadLineTest,
    ::testing::Values(
        BadLineRow{"UnknownDirective", "visible true\nfrobnicate 3\n", "line 2: unknown directive"},
        BadLineRow{"LineCountsCommentsAndBlanks", "visible true\n# note\n\nvisible maybe\n",
                   "line 4: expected true or false"},
        BadLineRow{"UnknownValueKind", "visible true\nvariable MENUBAR i8 1\n", "line 2: "},
        BadLineRow{"I2OutOfRange", "visible true\nvariable MENUBAR i2 32768\n",
                   "line 2: i2 value out of range"},
        BadLineRow{"NotANumber", "visible true\nvariable MENUBAR i4 one\n", "line 2: bad i4 value"},
        BadLineRow{"BadDouble", "visible true\nvariable MENUBAR r8 1.5x\n", "line 2: bad r8 value"},
        BadLineRow{"UnclosedQuote", "visible true\nvariable ACADVER text \"21.0\n",
                   "line 2: unclosed quoted text"},
        BadLineRow{"UnknownEscape", "visible true\nvariable ACADVER text \"\\q\"\n",
                   "line 2: unknown escape"},
        BadLineRow{"BadUtf8", "visible true\nvariable ACADVER text \"\xC3\"\n",
                   "line 2: bad UTF-8"},
        BadLineRow{"TrailingWords", "visible true\nvariable MENUBAR i2 1 extra\n",
                   "line 2: unexpected words at the end"},
        BadLineRow{"MenuBeforeAnyGroup", "visible true\nmenu \"Morlavent\"\n",
                   "line 2: no group before this line"},
        BadLineRow{"CountOfToolbarsBeforeAnyGroup", "visible true\ncount toolbars i4 1\n",
                   "line 2: no group before this line"},
        BadLineRow{"ToolbarWithoutVisibility", "visible true\ngroup G\ntoolbar T\n",
                   "line 3: expected shown or hidden"},
        BadLineRow{"FailWithoutTexts", "visible true\nfail call 3 0x80020009\n",
                   "line 2: missing description"},
        BadLineRow{"FailCallZero", "visible true\nfail call 0 5 \"\" \"\"\n",
                   "line 2: call number out of range"},
        BadLineRow{"FailureNumberTooLarge", "visible true\nfail call 1 0x100000000 \"\" \"\"\n",
                   "line 2: failure number out of range"},
        BadLineRow{"FailMemberBadNth", "visible true\nfail member Item nth x 5 \"\" \"\"\n",
                   "line 2: bad nth"},
        BadLineRow{"ResultWithoutValue", "visible true\nresult call 1\n",
                   "line 2: expected a value"},
        BadLineRow{"GoneWithoutFrom", "visible true\ngone 3\n", "line 2: expected from"},
        BadLineRow{"RejectWithoutUnit", "visible true\nreject for 100\n", "line 2: expected ms"},
        BadLineRow{"RejectWhat", "visible true\nreject sometimes\n", "line 2: expected for"},
        BadLineRow{"QuotedKeyword", "visible true\n\"visible\" true\n",
                   "line 2: unknown directive"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace MorlaventMenu::Sim::Testing
