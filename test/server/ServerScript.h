#pragma once
// The script file beside the server holds the host's own directives (see sim/Script.h) and,
// on lines whose first word is "server", the server's:
//   server die after K     the process ends abruptly once it has answered call K (calls
//                          numbered as the host numbers them): it sleeps 100 ms so that
//                          the answer leaves, takes no further call, and terminates
//   server die during K    the process ends abruptly when call K arrives, before the host
//                          runs it, so the caller waits for an answer that never comes
//   server idle S          the server ends once S seconds have passed without a call
//                          (default 120): what is left of a test that went wrong goes
#include <cstdint>
#include <optional>
#include <string>

namespace MorlaventMenu::TestServer {

struct ServerDirectives {
  std::optional<int64_t> die_after;
  std::optional<int64_t> die_during;
  uint32_t idle_seconds = 120;
};

// Takes the server's lines out of `script` into `directives`; the host's script keeps a
// blank line in their place, so that its line numbers still match the file. False with
// `error` ("line 3: ...") at the first bad server line.
bool SplitScript(const std::string& script, std::string& host_script, ServerDirectives& directives,
                 std::string& error);

}  // namespace MorlaventMenu::TestServer
