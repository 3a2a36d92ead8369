#pragma once
#include <memory>

#include "platform/Platform.h"
#include "platform/win32/DispatchSession.h"

namespace MorlaventMenu {

// The platform over kernel32, user32 and COM. COM must be ready on this thread before an
// automation call, and every object it gave must be gone before COM is shut down.
class WinPlatform : public Platform {
 public:
  WinPlatform();

  void* ModuleHandleA(const char* module_name) override;
  void* ProcAddress(void* module, const char* proc_name) override;
  void* CurrentProcess() override;
  int32_t CallIsWow64Process(void* address, void* process, int32_t* flag) override;

  void ShowMessage(const std::wstring& text, const std::wstring& title, uint32_t style) override;

  std::wstring ExecutableFolder() override;

  bool AttachRunning(const std::wstring& class_id, AutomationValue& result,
                     AutomationError& error) override;
  bool CreateInstance(const std::wstring& class_id, AutomationValue& result,
                      AutomationError& error) override;

  std::wstring SystemMessage(int32_t number) override;

  // What the objects of this launch share; its counters tell the round trips made.
  DispatchSession& Session() { return *session_; }

 private:
  std::shared_ptr<DispatchSession> session_;
};

}  // namespace MorlaventMenu
