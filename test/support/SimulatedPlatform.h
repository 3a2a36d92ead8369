#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace MorlaventMenu::Testing {

// A Windows stand-in for the launcher's routines: a kernel32 with or without
// IsWow64Process, recorded message boxes, a chosen executable folder, and attach and
// create answered by hooks (by default nothing runs and nothing can be created).
class SimulatedPlatform : public Platform {
 public:
  struct Message {
    std::wstring text;
    std::wstring title;
    uint32_t style;
  };
  using Reach = std::function<bool(const std::wstring& class_id, AutomationValue& result,
                                   AutomationError& error)>;

  SimulatedPlatform();
  ~SimulatedPlatform() override;

  // kernel32
  bool has_is_wow64_process = true;
  int32_t is_wow64_answer = 0;          // what IsWow64Process stores in the flag
  bool is_wow64_process_fails = false;  // returns FALSE and leaves the flag untouched
  std::vector<std::string> kernel_calls;

  // user32: every box shown, in order; `on_message` runs while a box is "open".
  std::vector<Message> messages;
  std::function<void(const Message&)> on_message;

  std::wstring folder = L"C:\\Program Files\\Morlavent CAD";

  Reach attach;
  Reach create;
  std::vector<std::wstring> automation_calls;  // "attach <class id>" / "create <class id>"

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

 private:
  Platform* previous_;
};

// Answers attach or create with a failure.
SimulatedPlatform::Reach Fails(int32_t number, std::wstring description = L"",
                               std::wstring source = L"");
// Answers attach or create with the object that `make` returns.
SimulatedPlatform::Reach Gives(std::function<ObjectRef()> make);
// Answers the first attach (the probe) with the object that `make` returns, and every
// later one with a failure: an AutoCAD that went away between the probe and the attach.
SimulatedPlatform::Reach GivesOnceThenFails(std::function<ObjectRef()> make, int32_t number,
                                            std::wstring description, std::wstring source);

}  // namespace MorlaventMenu::Testing
