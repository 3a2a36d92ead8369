#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/DispatchIdCache.h"

namespace MorlaventMenu {
namespace {

constexpr int32_t kAccepted = 0;

struct KindCase {
  const wchar_t* kind;
  const wchar_t* member;
  const wchar_t* result;
};

class ResultKindOfRoute : public ::testing::TestWithParam<KindCase> {};

TEST_P(ResultKindOfRoute, FollowsTheRoute) {
  EXPECT_EQ(ResultKind(GetParam().kind, GetParam().member), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, ResultKindOfRoute,
    ::testing::Values(KindCase{L"Application", L"ActiveDocument", L"ActiveDocument"},
                      KindCase{L"ActiveDocument", L"Application", L"Application"},
                      KindCase{L"Application", L"Application", L"Application"},
                      KindCase{L"Application", L"MenuGroups", L"MenuGroups"},
                      KindCase{L"MenuGroups", L"Item", L"MenuGroups.Item"},
                      KindCase{L"MenuGroups.Item", L"Toolbars", L"Toolbars"},
                      KindCase{L"Toolbars", L"Item", L"Toolbars.Item"},
                      KindCase{L"MenuGroups.Item", L"Menus", L"Menus"},
                      // Names are taken exactly as written.
                      KindCase{L"Toolbars", L"item", L"item"},
                      KindCase{L"ActiveDocument", L"application", L"application"}));

TEST(ResultKind, AttachAndCreateGiveTheApplication) {
  EXPECT_STREQ(kApplicationKind, L"Application");
}

// An object of the host as the cache sees it: it answers look-ups from its own numbering
// of members and turns away ids it does not know.
struct FakeObject {
  explicit FakeObject(std::map<std::wstring, int32_t> numbering) : ids(std::move(numbering)) {}

  std::map<std::wstring, int32_t> ids;
  int look_ups = 0;
  std::vector<int32_t> sent;

  int32_t Call(DispatchIdCache& cache, const std::wstring& kind, const std::wstring& member) {
    return cache.CallMember(
        kind, member,
        [&](int32_t& id) {
          ++look_ups;
          const auto found = ids.find(member);
          if (found == ids.end()) return kUnknownName;
          id = found->second;
          return kAccepted;
        },
        [&](int32_t id) {
          sent.push_back(id);
          for (const auto& entry : ids) {
            if (entry.second == id) return kAccepted;
          }
          return kMemberNotFound;
        });
  }
};

TEST(DispatchIdCache, LooksUpOncePerKindAndMember) {
  DispatchIdCache cache;
  FakeObject first{{{L"Name", 5}, {L"Count", 9}}};
  FakeObject second{{{L"Name", 5}, {L"Count", 9}}};

  EXPECT_EQ(first.Call(cache, L"MenuGroups.Item", L"Name"), kAccepted);
  EXPECT_EQ(second.Call(cache, L"MenuGroups.Item", L"Name"), kAccepted);
  EXPECT_EQ(first.Call(cache, L"MenuGroups.Item", L"Name"), kAccepted);
  EXPECT_EQ(first.look_ups + second.look_ups, 1);
  EXPECT_EQ(first.sent, (std::vector<int32_t>{5, 5}));
  EXPECT_EQ(second.sent, (std::vector<int32_t>{5}));
  EXPECT_EQ(cache.LookUps(), 1u);
  EXPECT_EQ(cache.Invokes(), 3u);
}

TEST(DispatchIdCache, KeepsKindsAndMembersApart) {
  DispatchIdCache cache;
  FakeObject object{{{L"Name", 5}, {L"name", 5}, {L"Count", 9}}};
  object.Call(cache, L"MenuGroups.Item", L"Name");
  object.Call(cache, L"Toolbars.Item", L"Name");
  object.Call(cache, L"MenuGroups.Item", L"Count");
  object.Call(cache, L"MenuGroups.Item", L"name");
  EXPECT_EQ(object.look_ups, 4);
  EXPECT_EQ(object.sent, (std::vector<int32_t>{5, 5, 9, 5}));
}

TEST(DispatchIdCache, AFailedLookUpIsNotSentAndNotKept) {
  DispatchIdCache cache;
  FakeObject object{{{L"Name", 5}}};
  EXPECT_EQ(object.Call(cache, L"Application", L"Nmae"), kUnknownName);
  EXPECT_EQ(object.Call(cache, L"Application", L"Nmae"), kUnknownName);
  EXPECT_TRUE(object.sent.empty());
  EXPECT_EQ(object.look_ups, 2);
  EXPECT_EQ(cache.Invokes(), 0u);
}

// Two objects of one kind that number a member differently: the second turns the first's
// id away, is asked for its own, and from then on its id is the one used.
TEST(DispatchIdCache, LooksUpAgainOnceWhenAKnownIdIsTurnedAway) {
  DispatchIdCache cache;
  FakeObject first{{{L"Name", 5}}};
  FakeObject second{{{L"Name", 7}}};

  EXPECT_EQ(first.Call(cache, L"Toolbars.Item", L"Name"), kAccepted);
  EXPECT_EQ(second.Call(cache, L"Toolbars.Item", L"Name"), kAccepted);
  EXPECT_EQ(second.sent, (std::vector<int32_t>{5, 7}));
  EXPECT_EQ(second.look_ups, 1);

  EXPECT_EQ(second.Call(cache, L"Toolbars.Item", L"Name"), kAccepted);
  EXPECT_EQ(second.sent, (std::vector<int32_t>{5, 7, 7}));
  EXPECT_EQ(second.look_ups, 1);
  EXPECT_EQ(cache.LookUps(), 2u);
  EXPECT_EQ(cache.Invokes(), 4u);
}

TEST(DispatchIdCache, AFreshIdTurnedAwayIsNotLookedUpAgain) {
  DispatchIdCache cache;
  FakeObject object{{{L"Name", 5}}};
  int32_t sends = 0;
  const int32_t answer = cache.CallMember(
      L"Toolbars.Item", L"Name",
      [&](int32_t& id) {
        ++object.look_ups;
        id = 5;
        return kAccepted;
      },
      [&](int32_t) {
        ++sends;
        return kMemberNotFound;
      });
  EXPECT_EQ(answer, kMemberNotFound);
  EXPECT_EQ(object.look_ups, 1);
  EXPECT_EQ(sends, 1);
}

TEST(DispatchIdCache, TriesAKnownMemberAgainOnlyOnce) {
  DispatchIdCache cache;
  FakeObject first{{{L"Name", 5}}};
  first.Call(cache, L"Toolbars.Item", L"Name");

  // This object gives an id on request and then turns it away all the same.
  int look_ups = 0;
  std::vector<int32_t> sent;
  const int32_t answer = cache.CallMember(
      L"Toolbars.Item", L"Name",
      [&](int32_t& id) {
        ++look_ups;
        id = 8;
        return kAccepted;
      },
      [&](int32_t id) {
        sent.push_back(id);
        return kMemberNotFound;
      });
  EXPECT_EQ(answer, kMemberNotFound);
  EXPECT_EQ(look_ups, 1);
  EXPECT_EQ(sent, (std::vector<int32_t>{5, 8}));
}

TEST(DispatchIdCache, ALookUpThatFailsAfterATurnedAwayIdForgetsTheId) {
  DispatchIdCache cache;
  FakeObject first{{{L"Name", 5}}};
  FakeObject without_name{{{L"Count", 2}}};
  first.Call(cache, L"Toolbars.Item", L"Name");

  EXPECT_EQ(without_name.Call(cache, L"Toolbars.Item", L"Name"), kUnknownName);
  EXPECT_EQ(without_name.sent, (std::vector<int32_t>{5}));

  // The id is asked for afresh next time instead of being sent blind.
  EXPECT_EQ(first.Call(cache, L"Toolbars.Item", L"Name"), kAccepted);
  EXPECT_EQ(first.look_ups, 2);
}

TEST(DispatchIdCache, AnotherFailureOfAKnownIdIsPassedOn) {
  DispatchIdCache cache;
  FakeObject first{{{L"Name", 5}}};
  first.Call(cache, L"Toolbars.Item", L"Name");
  int look_ups = 0;
  const int32_t answer = cache.CallMember(
      L"Toolbars.Item", L"Name",
      [&](int32_t&) {
        ++look_ups;
        return kAccepted;
      },
      [&](int32_t) { return kException; });
  EXPECT_EQ(answer, kException);
  EXPECT_EQ(look_ups, 0);
}

TEST(DispatchIdCache, ClearForgetsTheIdsButKeepsCounting) {
  DispatchIdCache cache;
  FakeObject object{{{L"Name", 5}}};
  object.Call(cache, L"Toolbars.Item", L"Name");
  cache.Clear();
  object.Call(cache, L"Toolbars.Item", L"Name");
  EXPECT_EQ(object.look_ups, 2);
  EXPECT_EQ(cache.LookUps(), 2u);
  EXPECT_EQ(cache.Invokes(), 2u);
}

}  // namespace
}  // namespace MorlaventMenu
