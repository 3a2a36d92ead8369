#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/Owner.h"

namespace MorlaventMenu::TestServer {

struct FilePolicy {
  using Storage = HANDLE;
  static void Init(HANDLE& file) noexcept { file = INVALID_HANDLE_VALUE; }
  static void Close(HANDLE& file) noexcept {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};
using FileHandle = Owner<FilePolicy>;

// The folder of this executable, without a trailing separator: where the test puts the
// script and finds what the server writes.
std::wstring ExecutableFolder();

// A file that grows by whole records while others read it: each Append is one write at
// the end, straight to the system (no buffer to flush), so a record is there as soon as
// the call that made it has been answered, and one from a process that dies is never half
// written.
class AppendFile {
 public:
  explicit AppendFile(const std::wstring& path);
  bool IsOpen() const { return file_.Get() != INVALID_HANDLE_VALUE; }
  void Append(const std::string& bytes);

 private:
  FileHandle file_;
};

// The whole content of a file; false when it cannot be read. Paths of any length.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// Puts `bytes` in place of the file's content at once (written aside, then moved over
// it), so that a reader sees the old content or the new, never a part.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace MorlaventMenu::TestServer
