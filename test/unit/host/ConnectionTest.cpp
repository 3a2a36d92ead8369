#include "host/Connection.h"
#include "support/HostTest.h"

namespace MorlaventMenu::Testing {
namespace {

using Testing::operator<<;

// Probe: none running -> false, AcadApp none, report clear.
TEST_F(HostTest, ProbeWithNothingRunningAnswersFalseAndLeavesNoTrace) {
  FailureReport = {123, L"sentinel", L"sentinel"};
  EXPECT_FALSE(IsAutoCadRunning());
  EXPECT_EQ(Host.AcadApp, nullptr);
  EXPECT_EQ(FailureReport.Number, 0);
  EXPECT_EQ(FailureReport.Description, L"");
  EXPECT_EQ(platform.automation_calls, std::vector<std::wstring>{L"attach AutoCAD.Application.21"});
}

// Probe: running -> true, and the reference it took is dropped again.
TEST_F(HostTest, ProbeOfRunningHostAnswersTrueAndDropsItsReference) {
  HostRunning();
  EXPECT_TRUE(IsAutoCadRunning());
  EXPECT_EQ(Host.AcadApp, nullptr);
  EXPECT_EQ(host.LiveReferences(), 0);
  EXPECT_TRUE(host.Journal().empty()) << "the probe makes no call into the host";
}

// Probe: the attach answers something that is not an object -> false.
TEST_F(HostTest, ProbeWhoseAttachGivesNoObjectAnswersFalse) {
  platform.attach = [](const std::wstring&, AutomationValue& result, AutomationError&) {
    result = AutomationValue::Text(L"not an object");
    return true;
  };
  EXPECT_FALSE(IsAutoCadRunning());
  EXPECT_EQ(FailureReport.Number, 0);
}

// Connection to nothing running: created, made visible, document taken.
TEST_F(HostTest, CreatesWhenNothingRuns) {
  HostStartable();
  EXPECT_TRUE(ConnectAutoCad());
  EXPECT_EQ(platform.automation_calls,
            (std::vector<std::wstring>{L"attach AutoCAD.Application.21",
                                       L"create AutoCAD.Application.21"}));
  EXPECT_TRUE(host.State().visible);
  EXPECT_NE(Host.AcadApp, nullptr);
  EXPECT_NE(Host.AcadDoc, nullptr);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(Calls(), (std::vector<std::wstring>{L"Application.Visible Put BOOL:true",
                                                L"Application.ActiveDocument Get"}));
}

// Connection to a running, already visible host: attached, not created; Visible sent anyway.
TEST_F(HostTest, AttachesToRunningHostAndSendsVisibleEvenWhenVisible) {
  HostRunning();
  HostStartable();
  host.State().visible = true;
  EXPECT_TRUE(ConnectAutoCad());
  EXPECT_EQ(platform.automation_calls,
            (std::vector<std::wstring>{L"attach AutoCAD.Application.21",
                                       L"attach AutoCAD.Application.21"}));
  EXPECT_EQ(CallsOf(L"Application.Visible"),
            std::vector<std::wstring>{L"Application.Visible Put BOOL:true"});
  EXPECT_TRUE(host.State().visible);
}

enum class Failing { Attach, Create, Visible, ActiveDocument };

struct ConnectRow {
  const char* name;
  Failing failing;
  int32_t number;
  const wchar_t* description;
  const wchar_t* source;
  const wchar_t* language;
  const wchar_t* expected_first_line;
  const wchar_t* expected_last_lines;  // what the text ends with
};

const ConnectRow kConnectRows[] = {
    {"CreateFailsPositive", Failing::Create, 429, L"Cannot create object", L"ole", L"en",
     L"Error opening AutoCAD. Try again or...", L"\r\n429\r\n(Cannot create object) de ole"},
    {"CreateFailsNegative", Failing::Create, -2147221005, L"Invalid class string", L"", L"en",
     L"Error opening AutoCAD. Try again or...", L"\r\n-2147221005\r\n(Invalid class string) de "},
    {"CreateFailsTypeLibrary", Failing::Create, 48, L"Error in loading DLL", L"x", L"en",
     L"Error loading AutoCAD type library.",
     L"\r\nCheck if AutoCAD 2017 is installed in your computer."},
    {"CreateFailsSpanish", Failing::Create, 5, L"", L"", L"es", L"Error al abrir AutoCAD.",
     L"\r\n5\r\n() de "},
    {"CreateFailsUpperCaseEs", Failing::Create, 5, L"", L"", L"ES",
     L"Error opening AutoCAD. Try again or...", L"\r\n5\r\n() de "},
    {"AttachFailsAfterProbe", Failing::Attach, -2147221021, L"Operation unavailable", L"ole", L"en",
     L"Error opening AutoCAD. Try again or...",
     L"\r\n-2147221021\r\n(Operation unavailable) de ole"},
    {"VisibleFails", Failing::Visible, -2147352567, L"AutoCAD is busy", L"AutoCAD", L"en",
     L"Error opening AutoCAD. Try again or...", L"\r\n-2147352567\r\n(AutoCAD is busy) de AutoCAD"},
    {"VisibleFailsTypeLibrary", Failing::Visible, 48, L"", L"", L"es",
     L"Error al cargar la biblioteca de tipos de AutoCAD.", L"( AutoCAD 2017)."},
    {"ActiveDocumentFails", Failing::ActiveDocument, 91, L"No document", L"AutoCAD", L"en",
     L"Error opening AutoCAD. Try again or...", L"\r\n91\r\n(No document) de AutoCAD"},
};

class ConnectFailure : public HostTest, public ::testing::WithParamInterface<ConnectRow> {};

TEST_P(ConnectFailure, ShowsOneStopMessageAndReturnsFalseWithoutRetry) {
  const ConnectRow& row = GetParam();
  Language = row.language;
  const Sim::Failure failure{row.number, row.description, row.source};
  switch (row.failing) {
    case Failing::Attach:
      // Running at the probe, gone by the attach that follows it.
      platform.attach = GivesOnceThenFails([this] { return host.Application(); }, row.number,
                                           row.description, row.source);
      break;
    case Failing::Create:
      platform.create = Fails(row.number, row.description, row.source);
      break;
    case Failing::Visible:
      HostStartable();
      host.Rules().FailMember(L"Application.Visible", 0, failure);
      break;
    case Failing::ActiveDocument:
      HostStartable();
      host.Rules().FailMember(L"Application.ActiveDocument", 0, failure);
      break;
  }

  EXPECT_FALSE(ConnectAutoCad());

  ASSERT_EQ(platform.messages.size(), 1u);
  const auto& message = platform.messages[0];
  EXPECT_EQ(message.style, 16u);
  EXPECT_EQ(message.title, L"Morlavent CAD");
  EXPECT_EQ(message.text.substr(0, message.text.find(L"\r\n")), row.expected_first_line);
  const std::wstring tail = row.expected_last_lines;
  ASSERT_GE(message.text.size(), tail.size());
  EXPECT_EQ(message.text.substr(message.text.size() - tail.size()), tail);
  EXPECT_EQ(Host.AcadDoc, nullptr);
  EXPECT_EQ(FailureReport.Number, 0) << "the failure branch clears the report";
  // No second attempt: at most one attach or create after the probe.
  EXPECT_LE(platform.automation_calls.size(), 2u);
  if (row.failing == Failing::Visible || row.failing == Failing::ActiveDocument) {
    // The started AutoCAD stays referenced, not closed or released.
    EXPECT_NE(Host.AcadApp, nullptr);
    EXPECT_EQ(CallsOf(L"Application.Visible").size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ConnectFailure, ::testing::ValuesIn(kConnectRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A started AutoCAD that answers no drawing: a failure, not a silent success.
TEST_F(HostTest, EmptyActiveDocumentStopsTheLaunch) {
  HostStartable();
  host.State().document_open = false;
  EXPECT_FALSE(ConnectAutoCad());
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].style, 16u);
  EXPECT_NE(
      platform.messages[0].text.find(L"\r\n-2147467261\r\n(Invalid pointer) de Morlavent CAD"),
      std::wstring::npos)
      << std::string(platform.messages[0].text.begin(), platform.messages[0].text.end());
  EXPECT_EQ(Host.AcadDoc, nullptr);
  EXPECT_TRUE(host.State().visible) << "AutoCAD is left visible for the user";
}

// Main stops after a failed connection: no release check, no set-up.
TEST_F(HostTest, MainEndsAfterFailedConnection) {
  platform.is_wow64_answer = EditionBits == 64 ? 1 : 0;
  EXPECT_EQ(RunLaunch(), kExitNoConnection);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_TRUE(host.Journal().empty());
}

}  // namespace
}  // namespace MorlaventMenu::Testing
