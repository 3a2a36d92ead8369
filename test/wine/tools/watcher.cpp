// Starts a program, watches the message boxes it shows, closes each one the way the job
// says, and writes what it saw and how the program ended as JSON lines. Usage:
//   wine-watcher.exe JOBFILE
// The job file is described in WatchJob.h; the records are:
//   {"event":"start","pid":N}
//   {"event":"box","index":I,"caption":"..","text":"..","buttons":[{"id":1,"text":"OK"}],
//    "press":"ok","pressed":true,"closed":true,"ms":T}
//   {"event":"end","exit":N,"timed_out":false,"ms":T}
//   {"event":"error","what":"..","code":N}
// A box is recorded after it was pressed and has gone (or the time ran out).
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <set>
#include <string>

#include "ChildProcess.h"
#include "JsonLines.h"
#include "MessageBoxes.h"
#include "WatchJob.h"

namespace MorlaventMenu::WineTest {
namespace {

// The watcher's own exit status.
constexpr int kEnded = 0;      // the program ended by itself
constexpr int kTimedOut = 10;  // it was still running at the time-out and was terminated
constexpr int kBadJob = 11;
constexpr int kStartFailed = 12;
constexpr int kNoOutput = 13;

// The exit status given to a program terminated at the time-out.
constexpr UINT kTerminatedStatus = 0xDEAD;
constexpr DWORD kPollMs = 10;

std::string ButtonsJson(const SeenBox& box) {
  std::string json = "[";
  for (const DialogButton& button : box.Buttons) {
    if (json.size() > 1) json += ",";
    json += JsonRecord().Number("id", button.Id).Text("text", button.Text).Finish();
  }
  return json + "]";
}

// Waits until the window is gone, the process has ended or the deadline has passed.
bool WaitUntilGone(HWND window, HANDLE process, ULONGLONG deadline) {
  while (IsWindow(window)) {
    if (GetTickCount64() >= deadline) return false;
    if (WaitForSingleObject(process, kPollMs) == WAIT_OBJECT_0) return !IsWindow(window);
  }
  return true;
}

int Watch(const WatchJob& job, JsonLinesFile& out) {
  StartedProcess child;
  DWORD error = 0;
  if (!StartProcess(job.Exe, job.Args, job.WorkingDirectory, EnvironmentBlock(job.Environment),
                    child, error)) {
    out.Write(
        JsonRecord().Text("event", L"error").Text("what", L"CreateProcessW").Number("code", error));
    return kStartFailed;
  }
  const ULONGLONG started = GetTickCount64();
  const ULONGLONG deadline = started + job.TimeoutMs;
  out.Write(JsonRecord().Text("event", L"start").Number("pid", child.Id));

  std::set<HWND> seen;
  int index = 0;
  bool timed_out = false;
  while (WaitForSingleObject(child.Process.get(), kPollMs) != WAIT_OBJECT_0) {
    for (HWND dialog : FindVisibleDialogs(child.Id)) {
      if (!seen.insert(dialog).second) continue;
      SeenBox box = ReadBox(dialog);
      bool pressed = PressBox(dialog, job.Press);
      bool closed = job.Press != PressMode::None && pressed &&
                    WaitUntilGone(dialog, child.Process.get(), deadline);
      out.Write(JsonRecord()
                    .Text("event", L"box")
                    .Number("index", index++)
                    .Text("caption", box.Caption)
                    .Text("text", box.Text)
                    .Raw("buttons", ButtonsJson(box))
                    .Text("press", PressModeName(job.Press))
                    .Bool("pressed", pressed)
                    .Bool("closed", closed)
                    .Number("ms", static_cast<long long>(GetTickCount64() - started)));
    }
    if (GetTickCount64() >= deadline) {
      timed_out = true;
      TerminateProcess(child.Process.get(), kTerminatedStatus);
      WaitForSingleObject(child.Process.get(), 5000);
      break;
    }
  }
  DWORD exit_code = 0;
  GetExitCodeProcess(child.Process.get(), &exit_code);
  out.Write(JsonRecord()
                .Text("event", L"end")
                .Number("exit", exit_code)
                .Bool("timed_out", timed_out)
                .Number("ms", static_cast<long long>(GetTickCount64() - started)));
  return timed_out ? kTimedOut : kEnded;
}

int Run() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 2) return kBadJob;
  std::wstring job_path = argv[1];
  LocalFree(argv);

  WatchJob job;
  std::wstring error;
  bool job_ok = ReadWatchJob(job_path, job, error);
  if (job.OutputPath.empty()) return kBadJob;
  JsonLinesFile out;
  if (!out.Open(job.OutputPath)) return kNoOutput;
  if (!job_ok) {
    out.Write(JsonRecord().Text("event", L"error").Text("what", error).Number("code", 0));
    return kBadJob;
  }
  return Watch(job, out);
}

}  // namespace
}  // namespace MorlaventMenu::WineTest

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return MorlaventMenu::WineTest::Run();
}
