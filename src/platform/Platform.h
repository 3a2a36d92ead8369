#pragma once
#include <cstdint>
#include <string>

#include "host/AutomationError.h"
#include "host/AutomationValue.h"

namespace MorlaventMenu {

// The narrow seam between the launcher's routines and Windows. One real implementation
// (kernel32, user32, COM) and one simulated implementation for tests.
class Platform {
 public:
  virtual ~Platform() = default;

  // kernel32, as the bitness check uses it.
  virtual void* ModuleHandleA(const char* module_name) = 0;
  virtual void* ProcAddress(void* module, const char* proc_name) = 0;
  virtual void* CurrentProcess() = 0;
  // Calls the IsWow64Process found at `address` (never null here); returns its own result.
  virtual int32_t CallIsWow64Process(void* address, void* process, int32_t* flag) = 0;

  // A modal message box with a single OK button; `style` holds the icon bits.
  virtual void ShowMessage(const std::wstring& text, const std::wstring& title, uint32_t style) = 0;

  // The folder of the running executable, without a trailing separator.
  virtual std::wstring ExecutableFolder() = 0;

  // COM automation: the running instance registered under a class identifier, or a new one.
  virtual bool AttachRunning(const std::wstring& class_id, AutomationValue& result,
                             AutomationError& error) = 0;
  virtual bool CreateInstance(const std::wstring& class_id, AutomationValue& result,
                              AutomationError& error) = 0;

  // The system's text for a failure number the layer raises itself.
  virtual std::wstring SystemMessage(int32_t number) = 0;
};

// The platform the routines use; set by the program's start-up (or a test) before Main.
extern Platform* ThePlatform;

}  // namespace MorlaventMenu
