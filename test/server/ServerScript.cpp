#include "ServerScript.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace MorlaventMenu::TestServer {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

bool Number(const std::string& text, int64_t lowest, int64_t highest, int64_t& out) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < lowest || value > highest) return false;
  out = value;
  return true;
}

// One server line, its first word already known to be "server".
bool ApplyServerLine(const std::vector<std::string>& words, ServerDirectives& directives,
                     std::string& problem) {
  int64_t number = 0;
  if (words.size() == 4 && words[1] == "die" && (words[2] == "after" || words[2] == "during")) {
    if (!Number(words[3], 1, INT64_MAX, number)) {
      problem = "bad call number '" + words[3] + "'";
      return false;
    }
    (words[2] == "after" ? directives.die_after : directives.die_during) = number;
    return true;
  }
  if (words.size() == 3 && words[1] == "idle") {
    if (!Number(words[2], 1, 24 * 3600, number)) {
      problem = "bad number of seconds '" + words[2] + "'";
      return false;
    }
    directives.idle_seconds = static_cast<uint32_t>(number);
    return true;
  }
  problem = "expected: server die after K | server die during K | server idle S";
  return false;
}

}  // namespace

bool SplitScript(const std::string& script, std::string& host_script, ServerDirectives& directives,
                 std::string& error) {
  host_script.clear();
  size_t start = 0;
  int line_number = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    const std::string line = script.substr(start, end - start);
    ++line_number;
    const std::vector<std::string> words = Words(line);
    if (!words.empty() && words[0] == "server") {
      std::string problem;
      if (!ApplyServerLine(words, directives, problem)) {
        error = "line " + std::to_string(line_number) + ": " + problem;
        return false;
      }
    } else {
      host_script += line;
    }
    host_script += '\n';
    start = end + 1;
  }
  return true;
}

}  // namespace MorlaventMenu::TestServer
