#include <gtest/gtest.h>

#include "ServerScript.h"

namespace MorlaventMenu::TestServer {
namespace {

// The server's own lines leave the host's script, each as a blank line, so the host's
// line numbers still match the file.
TEST(ServerScriptTest, TakesServerLinesOutKeepingLineNumbers) {
  std::string host, error;
  ServerDirectives directives;
  ASSERT_TRUE(SplitScript("variable MENUBAR i2 1\nserver die after 7\nserver idle 30\ngroups 3\n",
                          host, directives, error))
      << error;
  EXPECT_EQ(host, "variable MENUBAR i2 1\n\n\ngroups 3\n");
  ASSERT_TRUE(directives.die_after.has_value());
  EXPECT_EQ(*directives.die_after, 7);
  EXPECT_FALSE(directives.die_during.has_value());
  EXPECT_EQ(directives.idle_seconds, 30u);
}

struct BadRow {
  const char* name;
  const char* script;
  const char* line;  // the error names this line
};

class BadServerLine : public ::testing::TestWithParam<BadRow> {};

TEST_P(BadServerLine, IsRefusedNamingItsLine) {
  std::string host, error;
  ServerDirectives directives;
  EXPECT_FALSE(SplitScript(GetParam().script, host, directives, error));
  EXPECT_EQ(error.rfind(GetParam().line, 0), 0u) << error;
  EXPECT_FALSE(directives.die_after.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadServerLine,
    ::testing::Values(BadRow{"UnknownWord", "groups 1\nserver explode 3\n", "line 2"},
                      BadRow{"MissingNumber", "server die after\n", "line 1"},
                      BadRow{"NotANumber", "\n\nserver die during x\n", "line 3"},
                      BadRow{"NegativeIdle", "server idle -5\n", "line 1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace MorlaventMenu::TestServer
