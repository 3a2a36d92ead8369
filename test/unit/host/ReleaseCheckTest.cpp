#include "host/ReleaseCheck.h"
#include "support/HostTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

struct ReleaseCheckRow {
  const char* name;
  AutomationValue acadver;
  bool fail_read;
  const wchar_t* language;
  bool accepted;
  const wchar_t* first_line;  // of the mismatch message
};

const ReleaseCheckRow kRows[] = {
    {"ExactPrefix", AutomationValue::Text(L"21.0"), false, L"en", true, nullptr},
    {"PrefixWithSuffix", AutomationValue::Text(L"21.0s (LMS Tech)"), false, L"en", true, nullptr},
    {"Release2015", AutomationValue::Text(L"20.0s (LMS Tech)"), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD 2015 with AutoCAD 2017"},
    {"Release2004", AutomationValue::Text(L"16.0"), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD 2004 with AutoCAD 2017"},
    {"UnknownNewer", AutomationValue::Text(L"22.0s"), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017"},
    {"ShortText", AutomationValue::Text(L"21"), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017"},
    {"LeadingSpace", AutomationValue::Text(L" 21.0s"), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017"},
    {"AnySuffixAccepted", AutomationValue::Text(L"21.0S"), false, L"en", true, nullptr},
    {"FailedRead", AutomationValue::Text(L"21.0s"), true, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017"},
    {"NumberIsTakenAsText", AutomationValue::Double(21.0), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017"},
    {"NullCannotBeText", AutomationValue::Null(), false, L"en", false,
     L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017"},
    {"Spanish", AutomationValue::Text(L"20.1"), false, L"es", false,
     L"No puedes usar Morlavent CAD para AutoCAD 2016 en AutoCAD 2017"},
    {"UpperCaseEsIsEnglish", AutomationValue::Text(L"20.1"), false, L"ES", false,
     L"You can not run Morlavent CAD for AutoCAD 2016 with AutoCAD 2017"},
};

class ReleaseCheck : public HostTest, public ::testing::WithParamInterface<ReleaseCheckRow> {};

TEST_P(ReleaseCheck, AcceptsOnlyTheEditionsRelease) {
  const ReleaseCheckRow& row = GetParam();
  Language = row.language;
  Variable(L"ACADVER") = row.acadver;
  if (row.fail_read) {
    host.Rules().FailMember(L"Document.GetVariable", 0, {-2147352567, L"busy", L"AutoCAD"});
  }
  Connected();

  EXPECT_EQ(CheckAutoCadRelease(), row.accepted);

  EXPECT_EQ(Calls().size(), 1u) << "one read of ACADVER, nothing else";
  if (row.accepted) {
    EXPECT_TRUE(platform.messages.empty());
    return;
  }
  ASSERT_EQ(platform.messages.size(), 1u);
  const auto& message = platform.messages[0];
  EXPECT_EQ(message.style, 48u);
  EXPECT_EQ(message.title, L"Morlavent CAD");
  EXPECT_EQ(message.text.substr(0, message.text.find(L"\r\n")), row.first_line);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReleaseCheck, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Every row of the release table names its year in the mismatch message.
TEST_F(HostTest, EveryOlderReleaseNamesItsYear) {
  Connected();
  const wchar_t* const prefixes[] = {L"16.0", L"16.1", L"16.2", L"17.0", L"17.1", L"17.2", L"18.0",
                                     L"18.1", L"18.2", L"19.0", L"19.1", L"20.0", L"20.1"};
  const wchar_t* const years[] = {L"2004", L"2005", L"2006", L"2007", L"2008", L"2009", L"2010",
                                  L"2011", L"2012", L"2013", L"2014", L"2015", L"2016"};
  for (size_t i = 0; i < 13; ++i) {
    Variable(L"ACADVER") = AutomationValue::Text(std::wstring(prefixes[i]) + L"s (LMS Tech)");
    platform.messages.clear();
    EXPECT_FALSE(CheckAutoCadRelease());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, ReleaseMismatchMessage(years[i]));
    EXPECT_NE(platform.messages[0].text.find(std::wstring(L"AutoCAD ") + years[i] + L" with"),
              std::wstring::npos);
  }
}

// A refused release ends the launch: AutoCAD stays open and visible, nothing is set up.
TEST_F(HostTest, MainEndsAfterRefusedReleaseLeavingAutoCadVisible) {
  platform.is_wow64_answer = EditionBits == 64 ? 1 : 0;
  HostStartable();
  Variable(L"ACADVER") = AutomationValue::Text(L"20.0s");
  EXPECT_EQ(RunLaunch(), kExitWrongRelease);
  EXPECT_TRUE(host.State().visible);
  EXPECT_EQ(VariableText(L"TRUSTEDPATHS"), L"");
  EXPECT_TRUE(host.State().groups.empty());
  for (const auto& entry : host.Journal()) {
    EXPECT_NE(entry.member, L"SetVariable");
    EXPECT_NE(entry.member, L"MenuGroups");
  }
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].style, 48u);
}

}  // namespace
}  // namespace MorlaventMenu::Testing
