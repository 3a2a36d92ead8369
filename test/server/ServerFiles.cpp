#include "ServerFiles.h"

#include <algorithm>

namespace MorlaventMenu::TestServer {

namespace {

// Beyond MAX_PATH only the extended form reaches a file on older systems.
std::wstring ExtendedPath(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.rfind(L"\\\\", 0) == 0) return path;
  return L"\\\\?\\" + path;
}

FileHandle OpenForReading(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE && ExtendedPath(path) != path) {
    file = FileHandle(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return file;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::wstring ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator);
}

AppendFile::AppendFile(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void AppendFile::Append(const std::string& bytes) {
  if (IsOpen()) WriteAll(file_.Get(), bytes);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  FileHandle file = OpenForReading(path);
  if (file.Get() == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[1 << 16];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return false;
    if (read == 0) return true;
    bytes.append(buffer, read);
  }
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring aside = path + L".new";
  {
    FileHandle file(CreateFileW(aside.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE || !WriteAll(file.Get(), bytes)) return false;
  }
  return MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace MorlaventMenu::TestServer
