#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Handle.h"

namespace MorlaventMenu::WineTest {

struct StartedProcess {
  UniqueHandle Process;
  DWORD Id = 0;
};

// The watcher's own environment with `overrides` (NAME=VALUE) replacing or adding entries,
// as a sorted Unicode environment block.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& overrides);

// Starts `exe` with the command line `"exe" args`; returns false with the system's error code.
bool StartProcess(const std::wstring& exe, const std::wstring& args,
                  const std::wstring& working_directory, const std::wstring& environment,
                  StartedProcess& started, DWORD& error);

}  // namespace MorlaventMenu::WineTest
