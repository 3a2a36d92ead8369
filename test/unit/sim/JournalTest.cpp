// The journal's text form, the state dump and the UTF-8 helpers that write them to files.
#include <limits>

#include "SimTest.h"
#include "sim/Journal.h"

namespace MorlaventMenu::Sim::Testing {
namespace {

using Testing::operator<<;

struct DescribeRow {
  const char* name;
  AutomationValue value;
  std::wstring printed;
};

class DescribeValueTest : public ::testing::TestWithParam<DescribeRow> {};

TEST_P(DescribeValueTest, PrintsKindAndValue) {
  EXPECT_EQ(DescribeValue(GetParam().value, kJournalTextLimit), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DescribeValueTest,
    ::testing::Values(
        DescribeRow{"Text", T(L"Morlavent"), L"BSTR:\"Morlavent\""},
        DescribeRow{"EmptyText", T(L""), L"BSTR:\"\""},
        DescribeRow{"Escapes", T(L"a\"b\\c\td\re\nf"), L"BSTR:\"a\\\"b\\\\c\\td\\re\\nf\""},
        DescribeRow{"OtherControlCharacters", AutomationValue::Text(std::wstring(L"a\0b", 3)),
                    L"BSTR:\"a\\x00b\""},
        DescribeRow{"NonAscii", T(L"Men\u00fa \u20ac"), L"BSTR:\"Men\u00fa \u20ac\""},
        DescribeRow{"I2", AutomationValue::Int16(-1), L"I2:-1"},
        DescribeRow{"I4", AutomationValue::Int32(70000), L"I4:70000"},
        DescribeRow{"R8", AutomationValue::Double(0.1), L"R8:0.1"},
        DescribeRow{"R8Whole", AutomationValue::Double(21), L"R8:21"},
        DescribeRow{"R8Negative", AutomationValue::Double(-2500.25), L"R8:-2500.25"},
        DescribeRow{"R8Huge", AutomationValue::Double(1e300), L"R8:1e+300"},
        DescribeRow{"R8Tiny", AutomationValue::Double(1e-7), L"R8:1e-07"},
        DescribeRow{"BoolTrue", AutomationValue::Bool(true), L"BOOL:true"},
        DescribeRow{"BoolFalse", AutomationValue::Bool(false), L"BOOL:false"},
        DescribeRow{"Empty", AutomationValue(), L"EMPTY"},
        DescribeRow{"Null", AutomationValue::Null(), L"NULL"},
        DescribeRow{"NoObject", AutomationValue::Object(nullptr), L"DISPATCH:nothing"},
        DescribeRow{"NullCounter", AutomationValue::Int16Ref(nullptr), L"I2|BYREF:null"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DescribeValue, NamesTheSimulatedObjectType) {
  SimulatedAutoCad host;
  EXPECT_EQ(DescribeValue(AutomationValue::Object(host.Application()), kJournalTextLimit),
            L"DISPATCH:Application");
}

TEST(DescribeValue, CutsALongTextAndGivesItsLength) {
  std::wstring huge(10 * 1024 * 1024, L'x');
  huge[0] = L'"';
  std::wstring printed = DescribeValue(AutomationValue::Text(huge), kJournalTextLimit);
  EXPECT_EQ(printed, L"BSTR:\"\\\"" + std::wstring(199, L'x') + L"\"...(10485760 characters)");
}

TEST(DescribeValue, TextOfExactlyTheLimitIsWhole) {
  std::wstring text(kJournalTextLimit, L'y');
  EXPECT_EQ(DescribeValue(AutomationValue::Text(text), kJournalTextLimit),
            L"BSTR:\"" + text + L"\"");
}

TEST(JournalText, OneTabSeparatedLinePerCall) {
  SimulatedAutoCad host;
  host.AddGeneratedGroups(1);
  ObjectRef app = host.Application();
  ObjectRef document = Get(app, L"ActiveDocument").Object();
  Call(document, L"SetVariable", {T(L"MENUBAR"), AutomationValue::Int16(1)});
  ObjectRef groups = Get(app, L"MenuGroups").Object();
  int16_t index = 5;
  Get(groups, L"Item", {AutomationValue::Int16Ref(&index)});
  Ask(app, L"Quit", CallKind::Call);

  EXPECT_EQ(host.JournalText(),
            L"1\tApplication\tActiveDocument\tGet\t\tok\n"
            L"2\tDocument\tSetVariable\tCall\tBSTR:\"MENUBAR\";I2:1\tok\n"
            L"3\tApplication\tMenuGroups\tGet\t\tok\n"
            L"4\tMenuGroups\tItem\tGet\tI2|BYREF:5\t0x80070057\n"
            L"5\tApplication\tQuit\tCall\t\t0x80020003\n");
}

TEST(JournalText, AByReferenceArgumentShowsTheCounterAtCallTime) {
  SimulatedAutoCad host;
  host.AddGeneratedGroups(3);
  ObjectRef groups = Get(host.Application(), L"MenuGroups").Object();
  int16_t index = 0;
  for (index = 0; index < 3; ++index) Get(groups, L"Item", {AutomationValue::Int16Ref(&index)});
  ASSERT_EQ(host.Journal().size(), 4u);
  EXPECT_EQ(host.Journal()[1].arguments[0], L"I2|BYREF:0");
  EXPECT_EQ(host.Journal()[3].arguments[0], L"I2|BYREF:2");
}

TEST(JournalText, AHugeArgumentKeepsTheLineShort) {
  SimulatedAutoCad host;
  ObjectRef document = Get(host.Application(), L"ActiveDocument").Object();
  Call(document, L"SetVariable",
       {T(L"TRUSTEDPATHS"), AutomationValue::Text(std::wstring(10 * 1024 * 1024, L'p'))});
  std::wstring line = JournalLine(host.Journal().back());
  EXPECT_LT(line.size(), 400u);
  EXPECT_NE(line.find(L"(10485760 characters)"), std::wstring::npos);
  // The state keeps the whole value.
  EXPECT_EQ(host.State().variables[L"TRUSTEDPATHS"].RawText().size(), 10u * 1024 * 1024);
}

TEST(StateText, DumpsTheHostInAFixedOrder) {
  SimulatedAutoCad host;
  host.State().visible = true;
  host.State().variables[L"TRUSTEDPATHS"] = T(L"C:\\Morlavent\\2017;");
  host.State().groups.push_back(
      {L"ACAD", {{L"File"}, {L"Edit"}}, {{L"Standard", true}, {L"Draw", false}}, {}});
  host.State().groups.push_back({L"MORLAVENT", {{L"Morlavent"}}, {{L"Morlavent", false}}, {}});
  host.State().groups[1].toolbars_count = AutomationValue::Null();
  host.State().groups_count = AutomationValue::Int32(7);
  host.State().menu_bar = {{L"ACAD", L"File"}, {L"MORLAVENT", L"Morlavent"}};

  EXPECT_EQ(host.StateText(),
            L"visible true\n"
            L"document open\n"
            L"variable ACADVER BSTR:\"21.0s (LMS Tech)\"\n"
            L"variable MENUBAR I2:0\n"
            L"variable TRUSTEDPATHS BSTR:\"C:\\\\Morlavent\\\\2017;\"\n"
            L"groups count I4:7\n"
            L"group \"ACAD\"\n"
            L"  menu \"File\"\n"
            L"  menu \"Edit\"\n"
            L"  toolbar \"Standard\" shown\n"
            L"  toolbar \"Draw\" hidden\n"
            L"group \"MORLAVENT\"\n"
            L"  menu \"Morlavent\"\n"
            L"  toolbar \"Morlavent\" hidden\n"
            L"  toolbars count NULL\n"
            L"menubar \"ACAD\" \"File\"\n"
            L"menubar \"MORLAVENT\" \"Morlavent\"\n");
}

TEST(StateText, KeepsLongTextsWhole) {
  SimulatedAutoCad host;
  host.State().document_open = false;
  host.State().variables[L"TRUSTEDPATHS"] = AutomationValue::Text(std::wstring(1000, L'q'));
  std::wstring text = host.StateText();
  EXPECT_NE(text.find(L"document none\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"" + std::wstring(1000, L'q') + L"\"\n"), std::wstring::npos);
}

struct Utf8Row {
  const char* name;
  std::wstring text;
  std::string bytes;
};

class Utf8Test : public ::testing::TestWithParam<Utf8Row> {};

TEST_P(Utf8Test, EncodesAndDecodes) {
  EXPECT_EQ(ToUtf8(GetParam().text), GetParam().bytes);
  std::wstring decoded;
  EXPECT_TRUE(FromUtf8(GetParam().bytes, decoded));
  EXPECT_EQ(decoded, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rows, Utf8Test,
                         ::testing::Values(Utf8Row{"Ascii", L"MORLAVENT", "MORLAVENT"},
                                           Utf8Row{"TwoBytes", L"Men\u00fa", "Men\xC3\xBA"},
                                           Utf8Row{"ThreeBytes", L"\u20ac", "\xE2\x82\xAC"},
                                           Utf8Row{"FourBytes", L"\U0001F600", "\xF0\x9F\x98\x80"},
                                           Utf8Row{"EmbeddedNul", std::wstring(L"a\0b", 3),
                                                   std::string("a\0b", 3)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8, MalformedBytesAreRefused) {
  std::wstring decoded;
  for (const char* bytes : {"\xC3", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(FromUtf8(bytes, decoded)) << "bytes " << bytes;
  }
}

}  // namespace
}  // namespace MorlaventMenu::Sim::Testing
