#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "host/AutomationObject.h"
#include "platform/win32/DispatchSession.h"
#include "platform/win32/Owner.h"

namespace MorlaventMenu {

// An object of the host reached through its IDispatch. Its kind names the route that
// produced it (see ResultKind), under which its member ids are kept for the launch.
class DispatchObject : public AutomationObject {
 public:
  // `dispatch` must not be null.
  DispatchObject(ComPtr<IDispatch> dispatch, std::wstring kind,
                 std::shared_ptr<DispatchSession> session);
  ~DispatchObject() override;

  bool Invoke(const std::wstring& member, CallKind kind, AutomationArgs& args,
              AutomationValue& result, AutomationError& error) override;

  IDispatch* Dispatch() const { return dispatch_.Get(); }
  const std::wstring& Kind() const { return kind_; }

 private:
  ComPtr<IDispatch> dispatch_;
  std::wstring kind_;
  std::shared_ptr<DispatchSession> session_;
};

ObjectRef MakeDispatchObject(ComPtr<IDispatch> dispatch, std::wstring kind,
                             std::shared_ptr<DispatchSession> session);

}  // namespace MorlaventMenu
