#include "support/SimulatedPlatform.h"

#include <cstring>
#include <memory>

namespace MorlaventMenu::Testing {

namespace {
// Distinct sentinel addresses, so a test sees which handle went where.
char kernel_module;
char is_wow64_process_entry;
char current_process;
}  // namespace

SimulatedPlatform::SimulatedPlatform() : previous_(ThePlatform) {
  attach = Fails(kUnavailable, L"Operation unavailable", L"");
  create = Fails(kClassString, L"Invalid class string", L"");
  ThePlatform = this;
}

SimulatedPlatform::~SimulatedPlatform() {
  ThePlatform = previous_;
}

void* SimulatedPlatform::ModuleHandleA(const char* module_name) {
  kernel_calls.push_back(std::string("GetModuleHandleA ") + module_name);
  return std::strcmp(module_name, "kernel32") == 0 ? &kernel_module : nullptr;
}

void* SimulatedPlatform::ProcAddress(void* module, const char* proc_name) {
  kernel_calls.push_back(std::string("GetProcAddress ") +
                         (module == &kernel_module ? "kernel32 " : "? ") + proc_name);
  if (module == &kernel_module && has_is_wow64_process &&
      std::strcmp(proc_name, "IsWow64Process") == 0) {
    return &is_wow64_process_entry;
  }
  return nullptr;
}

void* SimulatedPlatform::CurrentProcess() {
  kernel_calls.push_back("GetCurrentProcess");
  return &current_process;
}

int32_t SimulatedPlatform::CallIsWow64Process(void* address, void* process, int32_t* flag) {
  kernel_calls.push_back(std::string("IsWow64Process") +
                         (address == &is_wow64_process_entry ? "" : " at a wrong address") +
                         (process == &current_process ? "" : " for a wrong process"));
  if (is_wow64_process_fails) return 0;
  *flag = is_wow64_answer;
  return 1;
}

void SimulatedPlatform::ShowMessage(const std::wstring& text, const std::wstring& title,
                                    uint32_t style) {
  messages.push_back({text, title, style});
  if (on_message) on_message(messages.back());
}

std::wstring SimulatedPlatform::ExecutableFolder() {
  return folder;
}

bool SimulatedPlatform::AttachRunning(const std::wstring& class_id, AutomationValue& result,
                                      AutomationError& error) {
  automation_calls.push_back(L"attach " + class_id);
  return attach(class_id, result, error);
}

bool SimulatedPlatform::CreateInstance(const std::wstring& class_id, AutomationValue& result,
                                       AutomationError& error) {
  automation_calls.push_back(L"create " + class_id);
  return create(class_id, result, error);
}

std::wstring SimulatedPlatform::SystemMessage(int32_t number) {
  switch (number) {
    case kTypeMismatch:
      return L"Type mismatch.";
    case kOverflow:
      return L"Overflow.";
    case kInvalidPointer:
      return L"Invalid pointer";
    default:
      return L"Error " + std::to_wstring(number);
  }
}

SimulatedPlatform::Reach Fails(int32_t number, std::wstring description, std::wstring source) {
  return [=](const std::wstring&, AutomationValue&, AutomationError& error) {
    error.Number = number;
    error.Description = description;
    error.Source = source;
    return false;
  };
}

SimulatedPlatform::Reach Gives(std::function<ObjectRef()> make) {
  return [make](const std::wstring&, AutomationValue& result, AutomationError&) {
    result = AutomationValue::Object(make());
    return true;
  };
}

SimulatedPlatform::Reach GivesOnceThenFails(std::function<ObjectRef()> make, int32_t number,
                                            std::wstring description, std::wstring source) {
  auto answered = std::make_shared<bool>(false);
  return [=](const std::wstring&, AutomationValue& result, AutomationError& error) {
    if (!*answered) {
      *answered = true;
      result = AutomationValue::Object(make());
      return true;
    }
    error = {number, description, source};
    return false;
  };
}

}  // namespace MorlaventMenu::Testing
