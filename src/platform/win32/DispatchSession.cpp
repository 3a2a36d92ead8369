#include "platform/win32/DispatchSession.h"

#include <algorithm>

namespace MorlaventMenu {

namespace {

uint64_t SystemNow() {
  return GetTickCount64();
}

void SystemSleep(uint32_t milliseconds) {
  Sleep(milliseconds);
}

}  // namespace

RetryClock SystemClock() {
  return RetryClock{SystemNow, SystemSleep};
}

void DispatchSession::Enter(const AutomationObject* object, IDispatch* dispatch) {
  alive_.emplace_back(object, dispatch);
}

void DispatchSession::Leave(const AutomationObject* object) {
  alive_.erase(std::remove_if(alive_.begin(), alive_.end(),
                              [object](const auto& entry) { return entry.first == object; }),
               alive_.end());
}

ComPtr<IDispatch> DispatchSession::DispatchOf(const AutomationObject* object) const {
  for (const auto& entry : alive_) {
    if (entry.first == object) return Retain(entry.second);
  }
  return {};
}

}  // namespace MorlaventMenu
