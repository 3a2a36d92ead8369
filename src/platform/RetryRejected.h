#pragma once
#include <cstdint>

#include "host/AutomationError.h"

namespace MorlaventMenu {

// A busy host turns calls away while it is in the middle of something (a modal dialog, a
// command running); it takes them again once it is done.
constexpr uint64_t kRetryIntervalMs = 100;
constexpr uint64_t kRetryPatienceMs = 60000;

constexpr bool IsRejection(int32_t result) {
  return result == kCallRejected || result == kRetryLater;
}

// Sends a call until the host accepts it: again every 100 ms (plus whatever the sleep
// overshoots) while it is rejected, and no more once a minute has passed since the first
// try. Returns the last answer, so a call rejected to the end fails with the rejection.
//   send:  int32_t()         makes one try and returns its HRESULT
//   now:   uint64_t()        a monotonic clock in milliseconds
//   sleep: void(uint32_t)    waits about that many milliseconds
template <typename Send, typename Now, typename Sleep>
int32_t RetryRejected(Send&& send, Now&& now, Sleep&& sleep) {
  const uint64_t first_try = now();
  uint64_t this_try = first_try;
  for (;;) {
    const int32_t answer = send();
    if (!IsRejection(answer)) return answer;
    const uint64_t next_try = this_try + kRetryIntervalMs;
    const uint64_t current = now();
    if (current < next_try) sleep(static_cast<uint32_t>(next_try - current));
    this_try = now();
    if (this_try - first_try >= kRetryPatienceMs) return answer;
  }
}

}  // namespace MorlaventMenu
