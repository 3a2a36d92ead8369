#pragma once
#include <windows.h>

#include <string>

#include "Handle.h"

namespace MorlaventMenu::WineTest {

// Builds one JSON object. Texts are written as pure ASCII: every character outside
// printable ASCII becomes a \uXXXX escape, so CR LF, non-ASCII letters and even unpaired
// surrogates come back exactly as the window held them.
class JsonRecord {
 public:
  JsonRecord& Text(const char* key, const std::wstring& value);
  JsonRecord& Number(const char* key, long long value);
  JsonRecord& Bool(const char* key, bool value);
  // `json` must already be valid JSON (an array or object built by another JsonRecord).
  JsonRecord& Raw(const char* key, const std::string& json);
  std::string Finish() const { return "{" + body_ + "}"; }

 private:
  void Key(const char* key);
  std::string body_;
};

// Appends records to a file, one per line, each written through at once so that a run
// cut short still leaves everything seen so far.
class JsonLinesFile {
 public:
  bool Open(const std::wstring& path);
  void Write(const JsonRecord& record);

 private:
  UniqueHandle file_;
};

}  // namespace MorlaventMenu::WineTest
