#include "Check.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace MorlaventMenu {
namespace WinTest {

namespace {

struct Case {
  const char* name;
  TestFunction function;
};

std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

int failures_in_case = 0;

}  // namespace

Registration::Registration(const char* name, TestFunction function) {
  Cases().push_back({name, function});
}

void Fail(const char* file, int line, const std::string& what) {
  ++failures_in_case;
  std::printf("  %s:%d: failed: %s\n", file, line, what.c_str());
}

std::string Show(const std::wstring& text) {
  std::string shown = "\"";
  for (wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
    } else {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\x%04X", static_cast<unsigned>(c));
      shown += escaped;
    }
  }
  return shown + "\"";
}

std::string Show(const wchar_t* text) {
  return text == nullptr ? "(null)" : Show(std::wstring(text));
}

}  // namespace WinTest
}  // namespace MorlaventMenu

int main() {
  using namespace MorlaventMenu::WinTest;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("COM did not start\n");
    return 2;
  }
  int passed = 0;
  int failed = 0;
  for (const Case& test : Cases()) {
    failures_in_case = 0;
    test.function();
    if (failures_in_case == 0) {
      ++passed;
    } else {
      ++failed;
      std::printf("FAILED %s\n", test.name);
    }
  }
  CoUninitialize();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
