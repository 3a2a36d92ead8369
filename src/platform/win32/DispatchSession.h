#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/AutomationObject.h"
#include "platform/DispatchIdCache.h"
#include "platform/RetryRejected.h"
#include "platform/win32/Owner.h"

namespace MorlaventMenu {

// The clock that paces the tries of a rejected call: the system's, or a test's.
struct RetryClock {
  uint64_t (*now)();
  void (*sleep)(uint32_t milliseconds);
};

RetryClock SystemClock();

// What the DispatchObjects of one launch share: the member ids already looked up, the
// pacing of rejected calls, the source of the failures the layer reports itself, and the
// objects alive, so that one handed back as an argument crosses as the IDispatch it wraps.
class DispatchSession {
 public:
  explicit DispatchSession(std::wstring failure_source, RetryClock clock = SystemClock())
      : failure_source_(std::move(failure_source)), clock_(clock) {}
  DispatchSession(const DispatchSession&) = delete;
  DispatchSession& operator=(const DispatchSession&) = delete;

  DispatchIdCache& Ids() { return ids_; }
  const std::wstring& FailureSource() const { return failure_source_; }

  // Makes one call through RetryRejected with this session's clock.
  template <typename Send>
  int32_t SendUntilAccepted(Send&& send) {
    return RetryRejected(send, clock_.now, clock_.sleep);
  }

  void Enter(const AutomationObject* object, IDispatch* dispatch);
  void Leave(const AutomationObject* object);
  // A reference of its own to the IDispatch that `object` wraps; none for another object.
  ComPtr<IDispatch> DispatchOf(const AutomationObject* object) const;

 private:
  DispatchIdCache ids_;
  std::wstring failure_source_;
  RetryClock clock_;
  std::vector<std::pair<const AutomationObject*, IDispatch*>> alive_;
};

}  // namespace MorlaventMenu
