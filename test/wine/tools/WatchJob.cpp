#include "WatchJob.h"

#include <windows.h>

#include "Handle.h"

namespace MorlaventMenu::WineTest {
namespace {

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  int length =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                      length);
  return text;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return true;
}

bool ParsePress(const std::wstring& value, PressMode& mode) {
  for (PressMode candidate : {PressMode::Ok, PressMode::Escape, PressMode::Close, PressMode::None})
    if (value == PressModeName(candidate)) {
      mode = candidate;
      return true;
    }
  return false;
}

}  // namespace

const wchar_t* PressModeName(PressMode mode) {
  switch (mode) {
    case PressMode::Ok:
      return L"ok";
    case PressMode::Escape:
      return L"escape";
    case PressMode::Close:
      return L"close";
    case PressMode::None:
      return L"none";
  }
  return L"?";
}

bool ReadWatchJob(const std::wstring& path, WatchJob& job, std::wstring& error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    error = L"cannot read the job file " + path;
    return false;
  }
  std::wstring text = FromUtf8(bytes);
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);

  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.empty() || line[0] == L'#') continue;

    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
      error = L"no '=' in job line: " + line;
      return false;
    }
    std::wstring key = line.substr(0, equals);
    std::wstring value = line.substr(equals + 1);
    if (key == L"exe") {
      job.Exe = value;
    } else if (key == L"args") {
      job.Args = value;
    } else if (key == L"cwd") {
      job.WorkingDirectory = value;
    } else if (key == L"out") {
      job.OutputPath = value;
    } else if (key == L"timeout_ms") {
      job.TimeoutMs = static_cast<unsigned>(wcstoul(value.c_str(), nullptr, 10));
    } else if (key == L"press") {
      if (!ParsePress(value, job.Press)) {
        error = L"unknown press mode: " + value;
        return false;
      }
    } else if (key == L"env") {
      if (value.find(L'=') == std::wstring::npos || value[0] == L'=') {
        error = L"env entry is not NAME=VALUE: " + value;
        return false;
      }
      job.Environment.push_back(value);
    } else {
      error = L"unknown job key: " + key;
      return false;
    }
  }
  if (job.Exe.empty() || job.OutputPath.empty()) {
    error = L"the job names no exe or no out file";
    return false;
  }
  return true;
}

}  // namespace MorlaventMenu::WineTest
