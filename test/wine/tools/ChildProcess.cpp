#include "ChildProcess.h"

#include <algorithm>
#include <cwctype>

namespace MorlaventMenu::WineTest {
namespace {

std::wstring NameOf(const std::wstring& entry) {
  // Entries such as "=C:=C:\dir" start with '='; their name runs to the second one.
  size_t equals = entry.find(L'=', 1);
  return entry.substr(0, equals);
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

}  // namespace

std::wstring EnvironmentBlock(const std::vector<std::wstring>& overrides) {
  std::vector<std::wstring> entries;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1)
      entries.emplace_back(entry);
    FreeEnvironmentStringsW(strings);
  }
  for (const std::wstring& override : overrides) {
    std::wstring name = Upper(NameOf(override));
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const std::wstring& e) { return Upper(NameOf(e)) == name; }),
                  entries.end());
    entries.push_back(override);
  }
  std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    return Upper(NameOf(a)) < Upper(NameOf(b));
  });
  std::wstring block;
  for (const std::wstring& entry : entries) block += entry + L'\0';
  block += L'\0';
  return block;
}

bool StartProcess(const std::wstring& exe, const std::wstring& args,
                  const std::wstring& working_directory, const std::wstring& environment,
                  StartedProcess& started, DWORD& error) {
  std::wstring command_line = L"\"" + exe + L"\"";
  if (!args.empty()) command_line += L" " + args;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  BOOL ok = CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE,
                           CREATE_UNICODE_ENVIRONMENT, const_cast<wchar_t*>(environment.c_str()),
                           working_directory.empty() ? nullptr : working_directory.c_str(),
                           &startup, &info);
  if (!ok) {
    error = GetLastError();
    return false;
  }
  CloseHandle(info.hThread);
  started.Process.reset(info.hProcess);
  started.Id = info.dwProcessId;
  return true;
}

}  // namespace MorlaventMenu::WineTest
