#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ServerFiles.h"
#include "ServerScript.h"
#include "host/AutomationObject.h"
#include "sim/SimulatedAutoCad.h"

namespace MorlaventMenu::TestServer {

// The class id under which the tests register this server as AutoCAD.Application.21.
// {4627E675-3699-4537-B035-37459C3FC494}
constexpr CLSID kServerClassId = {
    0x4627e675, 0x3699, 0x4537, {0xb0, 0x35, 0x37, 0x45, 0x9c, 0x3f, 0xc4, 0x94}};

enum class StartMode {
  ByCom,    // COM started it for a client: it ends when its last object is released
  Running,  // the test started it as an AutoCAD the user had open: it ends when told
};

// The names of the files beside the executable.
struct ServerPaths {
  explicit ServerPaths(const std::wstring& folder);
  std::wstring script;   // read at start
  std::wstring journal;  // the host's journal line per call, appended
  std::wstring calls;    // every name looked up and every Invoke that arrived, appended
  std::wstring state;    // the host's state, replaced whenever it may have changed
  std::wstring events;   // start, objects created, registration, end, per process
  std::wstring ready;    // written once a running server is in the running object table
  std::wstring quit;     // the test creates it to end a running server
};

// The simulated AutoCAD of this process and everything its COM objects share: the files
// the test reads, the count of objects alive, the busy host's verdicts and the scripted end.
class HostServer {
 public:
  HostServer(StartMode mode, const std::wstring& folder);
  HostServer(const HostServer&) = delete;
  HostServer& operator=(const HostServer&) = delete;

  Sim::SimulatedAutoCad& Host() { return host_; }
  StartMode Mode() const { return mode_; }
  const ServerPaths& Paths() const { return paths_; }
  const ServerDirectives& Directives() const { return directives_; }

  // Applies the script beside the executable; a bad line is noted among the events (the
  // tests look for it) and the lines before it stay applied.
  void LoadScript();

  void Event(const std::string& what);
  void LogLookUp(const std::wstring& type, const wchar_t* name, bool found);
  // Arguments as the journal describes them, but with texts up to 4096 characters, so that
  // a long path shows whole.
  void LogInvoke(const std::wstring& type, const std::wstring& member, WORD flags,
                 bool wants_result, const AutomationArgs& args);

  // The message filter's verdict on the call that arrives now.
  void NoteIncomingCall(bool turned_away, WORD method);
  // True when the filter turned the call now being run away: Wine runs such a call all the
  // same, so the object must refuse it itself. Clears the verdict.
  bool TakeTurnedAway();
  // Journals a call that the object refused so.
  void JournalRejected(const std::wstring& type, const std::wstring& member, CallKind kind,
                       const AutomationArgs& args);

  // Around each call that the host runs.
  void BeforeCall();
  void AfterCall(const std::wstring& member, CallKind kind);
  void WriteState();

  // COM objects alive and client locks: a server that COM started ends with the last.
  void ObjectCreated();
  void ObjectReleased();
  void Lock();
  void Unlock();

  // Every 100 ms: the quit file and the time without a call.
  void Tick();
  // Ends the process at once, as a crash would.
  [[noreturn]] void Die(const std::string& why);

 private:
  void QuitIfUnused();
  void Quit(const char* why);
  void AppendJournal();

  StartMode mode_;
  ServerPaths paths_;
  Sim::SimulatedAutoCad host_;
  ServerDirectives directives_;
  AppendFile journal_;
  AppendFile calls_;
  AppendFile events_;
  size_t journal_written_ = 0;
  long objects_ = 0;
  long locks_ = 0;
  bool turned_away_ = false;
  bool quitting_ = false;
  ULONGLONG last_call_ms_;
};

// The message that a call answered just before the scripted end posts to the main loop.
constexpr UINT kDieMessage = WM_APP + 1;

}  // namespace MorlaventMenu::TestServer
