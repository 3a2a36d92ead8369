#include "launcher/Main.h"
#include "platform/Platform.h"

namespace MorlaventMenu {

int16_t IsWow64() {
  int32_t flag = 0;
  void* kernel = ThePlatform->ModuleHandleA("kernel32");
  // Looked up at run time: a kernel32 without IsWow64Process must still start the program.
  void* is_wow64_process = ThePlatform->ProcAddress(kernel, "IsWow64Process");
  if (is_wow64_process != nullptr) {
    ThePlatform->CallIsWow64Process(is_wow64_process, ThePlatform->CurrentProcess(), &flag);
  }
  return static_cast<int16_t>(flag & 0xFFFF);
}

}  // namespace MorlaventMenu
