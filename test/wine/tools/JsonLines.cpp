#include "JsonLines.h"

#include <cstdio>

namespace MorlaventMenu::WineTest {
namespace {

std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"') {
      out += "\\\"";
    } else if (c == L'\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c) & 0xFFFFu);
      out += escape;
    }
  }
  return out + "\"";
}

}  // namespace

void JsonRecord::Key(const char* key) {
  if (!body_.empty()) body_ += ",";
  body_ += "\"";
  body_ += key;
  body_ += "\":";
}

JsonRecord& JsonRecord::Text(const char* key, const std::wstring& value) {
  Key(key);
  body_ += Quoted(value);
  return *this;
}

JsonRecord& JsonRecord::Number(const char* key, long long value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonRecord& JsonRecord::Bool(const char* key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonRecord& JsonRecord::Raw(const char* key, const std::string& json) {
  Key(key);
  body_ += json;
  return *this;
}

bool JsonLinesFile::Open(const std::wstring& path) {
  file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
  if (file_.get() == INVALID_HANDLE_VALUE) {
    file_.release();
    return false;
  }
  return true;
}

void JsonLinesFile::Write(const JsonRecord& record) {
  if (!file_) return;
  std::string line = record.Finish() + "\n";
  DWORD written = 0;
  WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace MorlaventMenu::WineTest
