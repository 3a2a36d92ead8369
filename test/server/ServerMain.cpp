// autocad-test-server.exe: the simulated AutoCAD (test/sim) as a COM local server, for the
// Wine tests of the launcher. Command lines:
//   -Embedding          COM started it for a client that creates an AutoCAD; it ends when
//                       the last of its objects has been released
//   /running            the test started it as an AutoCAD that the user had open: its
//                       application object goes into the running object table, then
//                       autocad-ready.txt appears; it ends when autocad-quit.txt appears
//   /message NUMBER     writes the system's text for the failure NUMBER (decimal or 0x...)
//                       to autocad-message.txt and ends
// Both servers register their class object, as AutoCAD does, and end once they have had no
// call for a while (ServerScript.h). Every file lies beside the executable (HostServer.h).
#include <windows.h>
// After windows.h, which they build on.
#include <objbase.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ComServer.h"
#include "HostDispatch.h"
#include "HostServer.h"
#include "ServerFiles.h"
#include "sim/Utf8.h"

namespace MorlaventMenu::TestServer {
namespace {

std::vector<std::wstring> Words(const wchar_t* command_line) {
  std::vector<std::wstring> words;
  std::wstring word;
  for (const wchar_t* c = command_line; c != nullptr && *c != L'\0'; ++c) {
    if (*c == L' ' || *c == L'\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += *c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool IsWord(const std::wstring& word, const wchar_t* expected) {
  return CompareStringOrdinal(word.c_str(), -1, expected, -1, TRUE) == CSTR_EQUAL;
}

int WriteSystemMessage(const std::wstring& number_text) {
  const DWORD number = static_cast<DWORD>(std::wcstoll(number_text.c_str(), nullptr, 0));
  wchar_t text[4096];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, number, 0, text, 4096, nullptr);
  const std::wstring path = ExecutableFolder() + L"\\autocad-message.txt";
  if (!WriteWholeFile(path, Sim::ToUtf8(std::wstring(text, length)))) return 2;
  return length != 0 ? 0 : 1;
}

void RunLoop(HostServer& server) {
  SetTimer(nullptr, 0, 100, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == WM_TIMER) {
      server.Tick();
      continue;
    }
    if (message.hwnd == nullptr && message.message == kDieMessage) {
      // Long enough for the answer to the last call to leave the process.
      Sleep(100);
      server.Die("after call " + std::to_string(server.Host().CallCount()));
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int Serve(StartMode mode) {
  HostServer server(mode, ExecutableFolder());
  const ServerPaths& paths = server.Paths();
  if (mode == StartMode::Running) {
    DeleteFileW(paths.ready.c_str());
    DeleteFileW(paths.quit.c_str());
  }
  server.Event(mode == StartMode::Running ? "start\trunning" : "start\tembedding");
  server.LoadScript();
  server.WriteState();

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    server.Event("exit\tCOM failed");
    return 3;
  }
  BusyFilter filter(server);
  ComPtr<IMessageFilter> previous_filter;
  if (FAILED(CoRegisterMessageFilter(&filter, previous_filter.Put()))) {
    server.Event("message-filter\tnot registered");
  }
  ApplicationFactory factory(server);
  DWORD class_cookie = 0;
  HRESULT answer = CoRegisterClassObject(kServerClassId, &factory, CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE, &class_cookie);
  server.Event(SUCCEEDED(answer) ? "class\tregistered" : "class\tnot registered");

  DWORD running_cookie = 0;
  bool running = false;
  if (mode == StartMode::Running) {
    ComPtr<IDispatch> application = MakeHostDispatch(server, server.Host().Application());
    answer = RegisterActiveObject(application.Get(), kServerClassId, ACTIVEOBJECT_STRONG,
                                  &running_cookie);
    running = SUCCEEDED(answer);
    server.Event(running ? "running-object\tregistered" : "running-object\tnot registered");
    if (running) WriteWholeFile(paths.ready, std::to_string(GetCurrentProcessId()));
  }

  RunLoop(server);

  if (running) RevokeActiveObject(running_cookie, nullptr);
  if (class_cookie != 0) CoRevokeClassObject(class_cookie);
  CoRegisterMessageFilter(nullptr, nullptr);
  server.WriteState();
  server.Event("exit");
  CoUninitialize();
  return 0;
}

}  // namespace
}  // namespace MorlaventMenu::TestServer

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR command_line, int) {
  using namespace MorlaventMenu::TestServer;
  const std::vector<std::wstring> words = Words(command_line);
  StartMode mode = StartMode::ByCom;
  for (size_t i = 0; i < words.size(); ++i) {
    if (IsWord(words[i], L"/message") && i + 1 < words.size()) {
      return WriteSystemMessage(words[i + 1]);
    }
    if (IsWord(words[i], L"/running")) mode = StartMode::Running;
  }
  return Serve(mode);
}
