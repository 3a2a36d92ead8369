#include "HostServer.h"

#include "sim/Journal.h"
#include "sim/Script.h"
#include "sim/Utf8.h"

namespace MorlaventMenu::TestServer {

namespace {

std::string Hex(uint32_t number) {
  char buffer[16];
  wsprintfA(buffer, "0x%08X", number);
  return buffer;
}

// Members whose call may change what the host holds; only after these is the state
// written again, which keeps a host of thousands of groups cheap to call.
bool MayChangeState(const std::wstring& member, CallKind kind) {
  return kind == CallKind::Put || member == L"SetVariable" || member == L"Load" ||
         member == L"InsertMenuInMenuBar";
}

}  // namespace

ServerPaths::ServerPaths(const std::wstring& folder)
    : script(folder + L"\\autocad-script.txt"),
      journal(folder + L"\\autocad-journal.txt"),
      calls(folder + L"\\autocad-calls.txt"),
      state(folder + L"\\autocad-state.txt"),
      events(folder + L"\\autocad-events.txt"),
      ready(folder + L"\\autocad-ready.txt"),
      quit(folder + L"\\autocad-quit.txt") {}

HostServer::HostServer(StartMode mode, const std::wstring& folder)
    : mode_(mode),
      paths_(folder),
      journal_(paths_.journal),
      calls_(paths_.calls),
      events_(paths_.events),
      last_call_ms_(GetTickCount64()) {
  // Menu files are read where the caller says they are, as AutoCAD reads them.
  host_.State().read_file = [](const std::wstring& path, std::string& bytes) {
    return ReadWholeFile(path, bytes);
  };
}

void HostServer::LoadScript() {
  std::string script;
  if (!ReadWholeFile(paths_.script, script)) {
    Event("script\tnone");
    return;
  }
  std::string host_script;
  std::string error;
  if (!SplitScript(script, host_script, directives_, error)) {
    Event("script-error\t" + error);
    return;
  }
  if (!Sim::ApplyScript(host_, host_script, error)) {
    Event("script-error\t" + error);
    return;
  }
  Event("script\tapplied");
}

void HostServer::Event(const std::string& what) {
  events_.Append(std::to_string(GetCurrentProcessId()) + "\t" + what + "\n");
}

void HostServer::LogLookUp(const std::wstring& type, const wchar_t* name, bool found) {
  calls_.Append("names\t" + Sim::ToUtf8(type) + "\t" + Sim::ToUtf8(name != nullptr ? name : L"") +
                "\t" + (found ? "found" : "unknown") + "\n");
}

void HostServer::LogInvoke(const std::wstring& type, const std::wstring& member, WORD flags,
                           bool wants_result, const AutomationArgs& args) {
  constexpr size_t kTextLimit = 4096;
  std::wstring described;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) described += L';';
    described += Sim::DescribeValue(args[i], kTextLimit);
  }
  calls_.Append("invoke\t" + Sim::ToUtf8(type) + "\t" + Sim::ToUtf8(member) + "\t" + Hex(flags) +
                "\t" + (wants_result ? "result" : "no-result") + "\t" + Sim::ToUtf8(described) +
                "\n");
}

void HostServer::NoteIncomingCall(bool turned_away, WORD method) {
  last_call_ms_ = GetTickCount64();
  turned_away_ = turned_away;
  if (turned_away) calls_.Append("busy\tIDispatch method " + std::to_string(method) + "\n");
}

bool HostServer::TakeTurnedAway() {
  const bool turned_away = turned_away_;
  turned_away_ = false;
  if (turned_away) calls_.Append("rejected-by-object\n");
  return turned_away;
}

void HostServer::JournalRejected(const std::wstring& type, const std::wstring& member,
                                 CallKind kind, const AutomationArgs& args) {
  Sim::JournalEntry entry;
  entry.object = type;
  entry.member = member;
  entry.kind = kind;
  for (const AutomationValue& arg : args) {
    entry.arguments.push_back(Sim::DescribeValue(arg, Sim::kJournalTextLimit));
  }
  entry.outcome = Sim::Outcome::Rejected;
  entry.failure = kCallRejected;
  journal_.Append(Sim::ToUtf8(Sim::JournalLine(entry)) + "\n");
}

void HostServer::BeforeCall() {
  if (directives_.die_during && host_.CallCount() + 1 == *directives_.die_during) {
    Die("during call " + std::to_string(*directives_.die_during));
  }
}

void HostServer::AfterCall(const std::wstring& member, CallKind kind) {
  AppendJournal();
  if (MayChangeState(member, kind)) WriteState();
  if (directives_.die_after && host_.CallCount() == *directives_.die_after) {
    PostThreadMessageW(GetCurrentThreadId(), kDieMessage, 0, 0);
  }
}

void HostServer::AppendJournal() {
  const std::vector<Sim::JournalEntry>& journal = host_.Journal();
  std::string lines;
  for (; journal_written_ < journal.size(); ++journal_written_) {
    lines += Sim::ToUtf8(Sim::JournalLine(journal[journal_written_])) + "\n";
  }
  if (!lines.empty()) journal_.Append(lines);
}

void HostServer::WriteState() {
  if (!WriteWholeFile(paths_.state, Sim::ToUtf8(host_.StateText()))) {
    Event("state-not-written");
  }
}

void HostServer::ObjectCreated() {
  ++objects_;
}

void HostServer::ObjectReleased() {
  --objects_;
  QuitIfUnused();
}

void HostServer::Lock() {
  ++locks_;
}

void HostServer::Unlock() {
  --locks_;
  QuitIfUnused();
}

void HostServer::QuitIfUnused() {
  if (mode_ == StartMode::ByCom && objects_ <= 0 && locks_ <= 0) Quit("last object released");
}

void HostServer::Tick() {
  if (mode_ == StartMode::Running &&
      GetFileAttributesW(paths_.quit.c_str()) != INVALID_FILE_ATTRIBUTES) {
    Quit("quit file");
  } else if (GetTickCount64() - last_call_ms_ >= 1000ull * directives_.idle_seconds) {
    Quit("idle");
  }
}

void HostServer::Quit(const char* why) {
  if (quitting_) return;
  quitting_ = true;
  Event(std::string("quit\t") + why);
  PostQuitMessage(0);
}

void HostServer::Die(const std::string& why) {
  Event("die\t" + why);
  TerminateProcess(GetCurrentProcess(), 99);
  ExitProcess(99);
}

}  // namespace MorlaventMenu::TestServer
