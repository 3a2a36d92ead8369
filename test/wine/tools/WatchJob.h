#pragma once
#include <string>
#include <vector>

namespace MorlaventMenu::WineTest {

// How the watcher closes each message box it finds.
enum class PressMode { Ok, Escape, Close, None };

// What the watcher is asked to do, read from a UTF-8 job file of `key=value` lines.
struct WatchJob {
  std::wstring Exe;               // program to start (and watch)
  std::wstring Args;              // appended to the quoted program path, as is
  std::wstring WorkingDirectory;  // empty: the watcher's own
  std::wstring OutputPath;        // where the records go
  unsigned TimeoutMs = 20000;     // the whole run, boxes included
  PressMode Press = PressMode::Ok;
  std::vector<std::wstring> Environment;  // NAME=VALUE entries set for the program only
};

// Reads the job file; on failure returns false and says why in `error`.
bool ReadWatchJob(const std::wstring& path, WatchJob& job, std::wstring& error);

const wchar_t* PressModeName(PressMode mode);

}  // namespace MorlaventMenu::WineTest
