#pragma once
#include <memory>
#include <string>

#include "host/AutomationObject.h"
#include "sim/SimCore.h"

namespace MorlaventMenu::Sim {

// Base of every proxy the simulated host hands out. Invoke journals the call and applies
// the scripted rules; the member itself is run by the derived type's Run.
class SimObject : public AutomationObject {
 public:
  explicit SimObject(std::shared_ptr<SimCore> core);
  ~SimObject() override;
  SimObject(const SimObject&) = delete;
  SimObject& operator=(const SimObject&) = delete;

  bool Invoke(const std::wstring& member, CallKind kind, AutomationArgs& args,
              AutomationValue& result, AutomationError& error) final;

  // The host's object type: "Application", "Document", "MenuGroups", ...
  virtual const wchar_t* TypeName() const = 0;

 protected:
  // Runs the member on the host state; false after filling `error`.
  virtual bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args,
                   AutomationValue& result, AutomationError& error) = 0;

  HostState& State() { return core_->state; }
  const std::shared_ptr<SimCore>& Core() const { return core_; }

 private:
  std::shared_ptr<SimCore> core_;
};

}  // namespace MorlaventMenu::Sim
