#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/RetryRejected.h"

namespace MorlaventMenu {
namespace {

constexpr int32_t kAccepted = 0;
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);  // E_FAIL

// A host behind a fake clock: each try is stamped with the time it was sent; the host's
// answer depends on that time or on the number of the try.
struct FakeHost {
  static constexpr size_t kRunaway = 10'000;  // far more tries than a minute allows

  uint64_t clock = 7'000'000;  // far from zero, as a tick count after a week
  uint64_t send_cost = 0;      // how long one try takes to come back
  uint64_t oversleep = 0;      // how much longer than asked a sleep lasts
  std::vector<uint64_t> tries;
  std::vector<uint32_t> sleeps;
  std::function<int32_t(size_t try_number, uint64_t sent_at)> answer;

  int32_t Run() {
    return RetryRejected(
        [this] {
          if (tries.size() >= kRunaway) {
            ADD_FAILURE() << "still sending after " << kRunaway << " tries";
            return kFail;
          }
          tries.push_back(clock);
          const int32_t result = answer(tries.size() - 1, clock);
          clock += send_cost;
          return result;
        },
        [this] { return clock; },
        [this](uint32_t ms) {
          sleeps.push_back(ms);
          clock += ms + oversleep;
        });
  }
  uint64_t FirstTry() const { return tries.front(); }
};

std::function<int32_t(size_t, uint64_t)> RejectTimes(size_t rejections, int32_t rejection) {
  return [=](size_t n, uint64_t) { return n < rejections ? rejection : kAccepted; };
}

std::function<int32_t(size_t, uint64_t)> AlwaysAnswer(int32_t answer) {
  return [=](size_t, uint64_t) { return answer; };
}

struct AcceptedCase {
  size_t rejections;
  int32_t rejection;
};

class AcceptedAfterRejections : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedAfterRejections, SendsAgainUntilAccepted) {
  FakeHost host;
  host.answer = RejectTimes(GetParam().rejections, GetParam().rejection);
  EXPECT_EQ(host.Run(), kAccepted);
  EXPECT_EQ(host.tries.size(), GetParam().rejections + 1);
}

INSTANTIATE_TEST_SUITE_P(Rejections, AcceptedAfterRejections,
                         ::testing::Values(AcceptedCase{0, kCallRejected},
                                           AcceptedCase{1, kCallRejected},
                                           AcceptedCase{1, kRetryLater},
                                           AcceptedCase{7, kRetryLater},
                                           AcceptedCase{42, kCallRejected}));

TEST(RetryRejected, GivesUpAfterAMinuteWithTheRejection) {
  for (const int32_t rejection : {kCallRejected, kRetryLater}) {
    FakeHost host;
    host.answer = AlwaysAnswer(rejection);
    EXPECT_EQ(host.Run(), rejection);
    // No try is sent once the minute is over, and the minute is over when it gives up.
    EXPECT_LT(host.tries.back() - host.FirstTry(), kRetryPatienceMs);
    EXPECT_GE(host.clock - host.FirstTry(), kRetryPatienceMs);
    EXPECT_GE(host.tries.size(), 590u);
    EXPECT_LE(host.tries.size(), 600u);
  }
}

struct Timing {
  uint64_t send_cost;
  uint64_t oversleep;
};

class IntervalBetweenTries : public ::testing::TestWithParam<Timing> {};

TEST_P(IntervalBetweenTries, StaysWithin100To150Ms) {
  FakeHost host;
  host.send_cost = GetParam().send_cost;
  host.oversleep = GetParam().oversleep;
  host.answer = RejectTimes(30, kCallRejected);
  ASSERT_EQ(host.Run(), kAccepted);
  ASSERT_EQ(host.tries.size(), 31u);
  for (size_t i = 1; i < host.tries.size(); ++i) {
    const uint64_t interval = host.tries[i] - host.tries[i - 1];
    EXPECT_GE(interval, 100u) << "between tries " << i - 1 << " and " << i;
    EXPECT_LE(interval, 150u) << "between tries " << i - 1 << " and " << i;
  }
}

// A try that takes a while to come back shortens the wait; a coarse timer lengthens it.
INSTANTIATE_TEST_SUITE_P(Timings, IntervalBetweenTries,
                         ::testing::Values(Timing{0, 0}, Timing{1, 0}, Timing{30, 0}, Timing{99, 0},
                                           Timing{100, 0}, Timing{0, 16}, Timing{30, 40}));

TEST(RetryRejected, DoesNotSendAgainAfterAnyOtherAnswer) {
  for (const int32_t answer : {kFail, kException, kMemberNotFound, kUnknownName, kDisconnected,
                               kServerUnavailable, kAccepted, int32_t{1} /* S_FALSE */}) {
    FakeHost host;
    host.answer = AlwaysAnswer(answer);
    EXPECT_EQ(host.Run(), answer);
    EXPECT_EQ(host.tries.size(), 1u);
    EXPECT_TRUE(host.sleeps.empty());
  }
}

TEST(RetryRejected, AnotherFailureAfterRejectionsEndsTheTries) {
  FakeHost host;
  host.answer = [](size_t n, uint64_t) { return n < 3 ? kRetryLater : kDisconnected; };
  EXPECT_EQ(host.Run(), kDisconnected);
  EXPECT_EQ(host.tries.size(), 4u);
}

// The minute runs from the first try, not from the latest one: tries that are slow to be
// turned away still end after a minute in all.
TEST(RetryRejected, CountsTheMinuteFromTheFirstTry) {
  FakeHost host;
  host.send_cost = 20'000;
  host.answer = AlwaysAnswer(kCallRejected);
  EXPECT_EQ(host.Run(), kCallRejected);
  ASSERT_EQ(host.tries.size(), 3u);
  EXPECT_EQ(host.tries[2] - host.FirstTry(), 40'000u);
  EXPECT_TRUE(host.sleeps.empty());
}

TEST(RetryRejected, AHostThatAcceptsJustBeforeTheMinuteIsReached) {
  FakeHost host;
  const uint64_t start = host.clock;
  host.answer = [start](size_t, uint64_t at) {
    return at - start >= kRetryPatienceMs - 150 ? kAccepted : kCallRejected;
  };
  EXPECT_EQ(host.Run(), kAccepted);
}

TEST(RetryRejected, AHostThatAcceptsOnlyAfterTheMinuteIsGivenUpOn) {
  FakeHost host;
  const uint64_t start = host.clock;
  host.answer = [start](size_t, uint64_t at) {
    return at - start >= kRetryPatienceMs ? kAccepted : kCallRejected;
  };
  EXPECT_EQ(host.Run(), kCallRejected);
  EXPECT_LT(host.tries.back() - start, kRetryPatienceMs);
}

}  // namespace
}  // namespace MorlaventMenu
