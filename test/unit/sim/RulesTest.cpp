// Scripted failures and hostile answers, as Invoke applies them.
#include <chrono>
#include <thread>

#include "SimTest.h"

namespace MorlaventMenu::Sim::Testing {
namespace {

using Testing::operator<<;

const Failure kBoom{static_cast<int32_t>(0x80020009), L"Boom", L"AutoCAD"};

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() { host.AddGeneratedGroups(3); }

  // Three numbered calls: 1 MenuGroups (Application), 2 Count (MenuGroups), 3 Item.
  void ThreeCalls(Answer& groups, Answer& count, Answer& item) {
    groups = Get(host.Application(), L"MenuGroups");
    ObjectRef collection = groups.ok ? groups.Object() : nullptr;
    if (!collection) return;
    count = Get(collection, L"Count");
    item = Get(collection, L"Item", {AutomationValue::Int16(0)});
  }

  SimulatedAutoCad host;
};

TEST_F(RulesTest, FailCallFailsThatCallOnlyAndJournalsIt) {
  host.Rules().FailCall(2, kBoom);
  Answer groups, count, item;
  ThreeCalls(groups, count, item);
  EXPECT_TRUE(groups.ok);
  EXPECT_FALSE(count.ok);
  EXPECT_EQ(count.error.Number, kBoom.number);
  EXPECT_EQ(count.error.Description, L"Boom");
  EXPECT_EQ(count.error.Source, L"AutoCAD");
  EXPECT_TRUE(count.value.IsEmpty());
  EXPECT_TRUE(item.ok);
  ASSERT_EQ(host.Journal().size(), 3u);
  EXPECT_EQ(host.Journal()[1].number, 2);
  EXPECT_EQ(host.Journal()[1].outcome, Outcome::Failed);
  EXPECT_EQ(host.Journal()[1].failure, kBoom.number);
  EXPECT_EQ(JournalLine(host.Journal()[1]), L"2\tMenuGroups\tCount\tGet\t\t0x80020009");
}

TEST_F(RulesTest, AFailedCallIsNotRun) {
  host.Rules().FailCall(1, kBoom);
  EXPECT_FALSE(Put(host.Application(), L"Visible", AutomationValue::Bool(true)).ok);
  EXPECT_FALSE(host.State().visible);
}

struct MemberRuleRow {
  const char* name;
  const wchar_t* member;
  int64_t nth;
  // The Item calls in order: MenuGroups, Toolbars, MenuGroups, Toolbars.
  std::vector<bool> items_ok;
};

class MemberRuleTest : public RulesTest, public ::testing::WithParamInterface<MemberRuleRow> {};

TEST_P(MemberRuleTest, CountsCallsOfTheNamedMember) {
  host.Rules().FailMember(GetParam().member, GetParam().nth, kBoom);
  // A toolbars collection reached without any Item call: Load as Get answers the group.
  host.State().read_file = FilesFromMap({{L"m.mns", ProductMenuSource()}});
  ObjectRef groups = Get(host.Application(), L"MenuGroups").Object();
  ObjectRef loaded = Get(groups, L"Load", {T(L"m.mns")}).Object();
  ObjectRef toolbars = Get(loaded, L"Toolbars").Object();

  std::vector<bool> ok;
  ok.push_back(Get(groups, L"Item", {AutomationValue::Int16(0)}).ok);
  ok.push_back(Get(toolbars, L"Item", {AutomationValue::Int16(0)}).ok);
  ok.push_back(Get(groups, L"Item", {AutomationValue::Int16(0)}).ok);
  Answer toolbar = Get(toolbars, L"Item", {AutomationValue::Int16(0)});
  ok.push_back(toolbar.ok);
  EXPECT_EQ(ok, GetParam().items_ok);
  if (!toolbar.ok) {
    EXPECT_EQ(toolbar.error.Description, L"Boom");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MemberRuleTest,
    ::testing::Values(
        MemberRuleRow{"SecondItemOfAnyObject", L"Item", 2, {true, false, true, true}},
        MemberRuleRow{"SecondToolbarsItem", L"Toolbars.Item", 2, {true, true, true, false}},
        MemberRuleRow{"SecondMenuGroupsItem", L"MenuGroups.Item", 2, {true, true, false, true}},
        MemberRuleRow{"EveryToolbarsItem", L"Toolbars.Item", 0, {true, false, true, false}},
        MemberRuleRow{"FirstItem", L"Item", 1, {false, true, true, true}},
        MemberRuleRow{"OtherMember", L"Count", 1, {true, true, true, true}},
        MemberRuleRow{"NamesAreExact", L"item", 0, {true, true, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RulesTest, ReplacedResultComesBackUnrun) {
  host.Rules().ReplaceResult(1, AutomationValue::Text(L"not an object"));
  host.Rules().ReplaceResult(2, AutomationValue::Null());
  ObjectRef app = host.Application();
  Answer document = Get(app, L"ActiveDocument");
  ASSERT_TRUE(document.ok);
  EXPECT_EQ(document.value.Kind(), ValueKind::Text);
  EXPECT_EQ(document.value.RawText(), L"not an object");
  EXPECT_EQ(host.LiveReferences(), 1);  // no document proxy was made

  Answer put = Put(app, L"Visible", AutomationValue::Bool(true));
  EXPECT_TRUE(put.ok);
  EXPECT_FALSE(host.State().visible);
  EXPECT_EQ(host.Journal()[1].outcome, Outcome::Ok);
}

TEST_F(RulesTest, ReplacedResultCanBeHuge) {
  host.Rules().ReplaceResult(1, AutomationValue::Text(std::wstring(10 * 1024 * 1024, L'x')));
  Answer document = Get(host.Application(), L"ActiveDocument");
  EXPECT_EQ(document.value.RawText().size(), 10u * 1024 * 1024);
}

TEST_F(RulesTest, GoneFromKFailsThatAndEveryLaterCall) {
  host.Rules().GoneFrom(2);
  host.Rules().ReplaceResult(3, AutomationValue::Int16(1));  // a dead host answers nothing
  Answer groups, count, item;
  ThreeCalls(groups, count, item);
  EXPECT_TRUE(groups.ok);
  for (const Answer* answer : {&count, &item}) {
    EXPECT_FALSE(answer->ok);
    EXPECT_EQ(answer->error.Number, kDisconnected);
    EXPECT_EQ(answer->error.Description, L"");
    EXPECT_EQ(answer->error.Source, L"");
  }
  EXPECT_FALSE(Put(host.Application(), L"Visible", AutomationValue::Bool(true)).ok);
  EXPECT_FALSE(host.State().visible);
  EXPECT_EQ(host.CallCount(), 4);
}

TEST_F(RulesTest, RejectedCallsAreNotRunNorNumbered) {
  host.Rules().RejectFirst(2);
  ObjectRef app = host.Application();
  for (int attempt = 0; attempt < 2; ++attempt) {
    Answer rejected = Put(app, L"Visible", AutomationValue::Bool(true));
    EXPECT_FALSE(rejected.ok);
    EXPECT_EQ(rejected.error.Number, kCallRejected);
    EXPECT_EQ(rejected.error.Description, L"");
    EXPECT_FALSE(host.State().visible);
  }
  EXPECT_EQ(host.CallCount(), 0);
  EXPECT_TRUE(Put(app, L"Visible", AutomationValue::Bool(true)).ok);
  EXPECT_TRUE(host.State().visible);

  ASSERT_EQ(host.Journal().size(), 3u);
  EXPECT_EQ(JournalLine(host.Journal()[0]), L"-\tApplication\tVisible\tPut\tBOOL:true\trejected");
  EXPECT_EQ(JournalLine(host.Journal()[2]), L"1\tApplication\tVisible\tPut\tBOOL:true\tok");
}

TEST_F(RulesTest, RejectionDoesNotShiftCallNumbersOfOtherRules) {
  host.Rules().RejectFirst(1);
  host.Rules().FailCall(1, kBoom);
  ObjectRef app = host.Application();
  EXPECT_EQ(Get(app, L"Visible").error.Number, kCallRejected);
  EXPECT_EQ(Get(app, L"Visible").error.Number, kBoom.number);
  EXPECT_TRUE(Get(app, L"Visible").ok);
}

TEST_F(RulesTest, RejectForeverNeverRuns) {
  host.Rules().RejectForever();
  ObjectRef app = host.Application();
  for (int attempt = 0; attempt < 50; ++attempt) {
    EXPECT_EQ(Put(app, L"Visible", AutomationValue::Bool(true)).error.Number, kCallRejected);
  }
  EXPECT_FALSE(host.State().visible);
  EXPECT_EQ(host.CallCount(), 0);
  EXPECT_EQ(host.Journal().size(), 50u);
}

TEST_F(RulesTest, RejectForAWhileEndsAndThenRuns) {
  host.Rules().RejectFor(std::chrono::milliseconds(30));
  ObjectRef app = host.Application();
  EXPECT_EQ(Get(app, L"Visible").error.Number, kCallRejected);
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  Answer answer;
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    answer = Get(app, L"Visible");
  } while (!answer.ok && std::chrono::steady_clock::now() < give_up);
  EXPECT_TRUE(answer.ok);
  EXPECT_EQ(host.CallCount(), 1);
}

TEST_F(RulesTest, RejectForALongTimeRejects) {
  host.Rules().RejectFor(std::chrono::hours(1));
  EXPECT_EQ(Get(host.Application(), L"Visible").error.Number, kCallRejected);
  EXPECT_EQ(Get(host.Application(), L"Visible").error.Number, kCallRejected);
}

TEST_F(RulesTest, ABusyPredicateDecides) {
  bool busy = true;
  host.Rules().RejectWhile([&busy] { return busy; });
  ObjectRef app = host.Application();
  EXPECT_EQ(Get(app, L"Visible").error.Number, kCallRejected);
  busy = false;
  EXPECT_TRUE(Get(app, L"Visible").ok);
}

}  // namespace
}  // namespace MorlaventMenu::Sim::Testing
