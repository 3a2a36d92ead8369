#include <iostream>

#include "support/HostTest.h"

namespace MorlaventMenu::Testing {
namespace {

// Single faults at every host call of a whole launch: each numbered call k of a launch
// that succeeds is made to fail, to answer a value of the wrong kind, or to be the first
// call to a host that has died. The launch must end, show exactly the messages its stops
// call for, and never lose the user's trusted folders.

const std::wstring kUserList = L"D:\\Mine;E:\\Also mine";
const char* const kProductMenu =
    "***MENUGROUP=MORLAVENT\r\n***POP1\r\n**MORLAVENT\r\nID_M [&Morlavent]\r\n"
    "***TOOLBARS\r\n**TB\r\nID_T [_Toolbar(\"Morlavent\", _Top, _Hide, 10, 0, 1)]\r\n";

enum class HostKind { Created, Attached };
enum class Fault { Error, WrongKind, Gone };

// Where a call belongs decides what its failure may lead to.
enum class Phase { Connection, Release, SetUp };

struct Baseline {
  std::vector<Phase> phases;          // of call k at index k - 1
  std::vector<std::wstring> members;  // "Object.Member", for the failure messages
};

class FaultInjection : public HostTest {
 protected:
  void Prepare(Sim::SimulatedAutoCad& target, HostKind kind) {
    target.State().variables[L"TRUSTEDPATHS"] = AutomationValue::Text(kUserList);
    Sim::MenuGroup other;
    other.name = L"ACAD";
    other.toolbars.push_back({L"Draw", true});
    target.State().groups.push_back(other);
    target.State().read_file = Sim::FilesFromMap({{platform.folder + MenuFileName, kProductMenu}});
    platform.is_wow64_answer = EditionBits == 64 ? 1 : 0;
    auto reach = Gives([&target] { return target.Application(); });
    platform.attach = kind == HostKind::Attached ? reach : Fails(kUnavailable, L"none", L"");
    platform.create = kind == HostKind::Created ? reach : Fails(kClassString, L"none", L"");
  }

  static Phase PhaseOf(const Sim::JournalEntry& entry) {
    if (entry.object == L"Application" &&
        (entry.member == L"Visible" || entry.member == L"ActiveDocument")) {
      return Phase::Connection;
    }
    if (entry.member == L"GetVariable" && !entry.arguments.empty() &&
        entry.arguments[0] == L"BSTR:\"ACADVER\"") {
      return Phase::Release;
    }
    return Phase::SetUp;
  }

  Baseline RunBaseline(HostKind kind) {
    Sim::SimulatedAutoCad clean;
    Prepare(clean, kind);
    EXPECT_EQ(RunLaunch(), kExitDone);
    EXPECT_TRUE(platform.messages.empty());
    Baseline baseline;
    for (const auto& entry : clean.Journal()) {
      baseline.phases.push_back(PhaseOf(entry));
      baseline.members.push_back(entry.object + L"." + entry.member);
    }
    Host = HostConnection{};
    return baseline;
  }

  // Runs one launch with call k spoilt and checks everything that must hold.
  void RunCase(HostKind kind, Fault fault, int64_t k, const Baseline& baseline) {
    const Phase phase = baseline.phases[k - 1];
    const std::wstring member = baseline.members[k - 1];
    SCOPED_TRACE("call " + std::to_string(k) + " " + std::string(member.begin(), member.end()));
    Sim::SimulatedAutoCad spoilt;
    Prepare(spoilt, kind);
    switch (fault) {
      case Fault::Error:
        spoilt.Rules().FailCall(k, {-2147352567, L"Scripted failure", L"AutoCAD"});
        break;
      case Fault::WrongKind:
        spoilt.Rules().ReplaceResult(k, AutomationValue::Double(3.25));
        break;
      case Fault::Gone:
        spoilt.Rules().GoneFrom(k);
        break;
    }
    platform.messages.clear();
    Host = HostConnection{};
    FailureReport.Clear();

    const int status = RunLaunch();

    // A result nobody reads (a put or a dropped call result) changes nothing.
    const bool harmless = fault == Fault::WrongKind &&
                          (member == L"Application.Visible" || member == L"Toolbar.Visible" ||
                           member == L"Document.SetVariable" || member == L"MenuGroups.Load" ||
                           member == L"PopupMenus.InsertMenuInMenuBar");
    const bool stops_connection = phase == Phase::Connection && !harmless;
    if (stops_connection) {
      EXPECT_EQ(status, kExitNoConnection);
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_EQ(platform.messages[0].style, 16u);
      EXPECT_EQ(platform.messages[0].text.rfind(L"Error opening AutoCAD.", 0), 0u);
    } else if (phase == Phase::Release) {
      EXPECT_EQ(status, kExitWrongRelease);
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_EQ(platform.messages[0].style, 48u);
      EXPECT_EQ(platform.messages[0].text.rfind(
                    L"You can not run Morlavent CAD for AutoCAD  with AutoCAD 2017\r\n", 0),
                0u);
    } else {
      EXPECT_EQ(status, kExitDone);
      EXPECT_TRUE(platform.messages.empty()) << "the set-up steps show nothing";
    }

    // The user's list is kept whole: as it was, or with the product folder appended.
    std::wstring after;
    ASSERT_TRUE(spoilt.State().variables[L"TRUSTEDPATHS"].ToText(after));
    EXPECT_EQ(after.rfind(kUserList, 0), 0u) << "trusted folders lost";
    EXPECT_TRUE(after == kUserList || after == kUserList + L";C:\\Morlavent\\2017;");

    // Never written on the strength of a read that failed or gave no list.
    bool read_spoilt = false;
    for (const auto& entry : spoilt.Journal()) {
      const bool trusted =
          !entry.arguments.empty() && entry.arguments[0] == L"BSTR:\"TRUSTEDPATHS\"";
      if (trusted && entry.member == L"GetVariable") {
        read_spoilt = entry.outcome != Sim::Outcome::Ok || entry.number == k;
      }
      if (trusted && entry.member == L"SetVariable") EXPECT_FALSE(read_spoilt);
    }

    // No loop runs on: a spoilt launch makes no more calls than a clean one, give or take
    // the retries of a loop index that a wrong-kind Count may add.
    EXPECT_LE(spoilt.CallCount(), static_cast<int64_t>(baseline.phases.size()) + 20);
    ++cases_;
  }

  void RunAll(HostKind kind, Fault fault) {
    const Baseline baseline = RunBaseline(kind);
    ASSERT_GT(baseline.phases.size(), 30u) << "a whole launch makes dozens of calls";
    for (int64_t k = 1; k <= static_cast<int64_t>(baseline.phases.size()); ++k) {
      RunCase(kind, fault, k, baseline);
    }
    std::cout << "fault-injection cases run: " << cases_ << "\n";
  }

  int cases_ = 0;
};

TEST_F(FaultInjection, CreatedHostEachCallFails) {
  RunAll(HostKind::Created, Fault::Error);
}
TEST_F(FaultInjection, CreatedHostEachCallWrongKind) {
  RunAll(HostKind::Created, Fault::WrongKind);
}
TEST_F(FaultInjection, CreatedHostGoneFromEachCall) {
  RunAll(HostKind::Created, Fault::Gone);
}
TEST_F(FaultInjection, AttachedHostEachCallFails) {
  RunAll(HostKind::Attached, Fault::Error);
}
TEST_F(FaultInjection, AttachedHostEachCallWrongKind) {
  RunAll(HostKind::Attached, Fault::WrongKind);
}
TEST_F(FaultInjection, AttachedHostGoneFromEachCall) {
  RunAll(HostKind::Attached, Fault::Gone);
}

struct ReachRow {
  const char* name;
  HostKind kind;
  int32_t number;
};

class ReachFailure : public FaultInjection, public ::testing::WithParamInterface<ReachRow> {};

// The attach or the create itself fails: the connection's message and nothing more.
TEST_P(ReachFailure, StopsWithConnectionMessage) {
  Sim::SimulatedAutoCad unreachable;
  Prepare(unreachable, GetParam().kind);
  platform.create = Fails(GetParam().number, L"d", L"s");
  if (GetParam().kind == HostKind::Attached) {
    platform.attach = GivesOnceThenFails([&] { return unreachable.Application(); },
                                         GetParam().number, L"d", L"s");
  }
  EXPECT_EQ(RunLaunch(), kExitNoConnection);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].style, 16u);
  EXPECT_TRUE(unreachable.Journal().empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, ReachFailure,
                         ::testing::Values(ReachRow{"CreateFails", HostKind::Created, -5},
                                           ReachRow{"AttachFails", HostKind::Attached, -5},
                                           ReachRow{"CreateTypeLibrary", HostKind::Created, 48}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace MorlaventMenu::Testing
