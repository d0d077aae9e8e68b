// Splitting scenario lines into a command and its arguments.

#include <gtest/gtest.h>

#include "line_parser.h"

namespace zolin6::scenario {
namespace {

TEST(ParseLine, SplitsQuotesAndEscapes) {
  struct Case {
    const char* line;
    const char* command;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"", "", {}},
      {"   # a comment", "", {}},
      {"init", "init", {}},
      {"  advance   1200  ", "advance", {"1200"}},
      {"tree \" Sensor\"", "tree", {" Sensor"}},
      {"set txtParameter(0) \"a \\\"b\\\" \\\\ c\"", "set", {"txtParameter(0)", "a \"b\" \\ c"}},
      {"set txtParameter(3) \"line\\nnext\\tcol\"", "set", {"txtParameter(3)", "line\nnext\tcol"}},
      {"call DocXML \"\" x", "call", {"DocXML", "", "x"}},
      {"call GetUnitCode \"°F\"", "call", {"GetUnitCode", "°F"}},
      // notify keeps the raw rest of its line; quotes stay, \n \t \\ are decoded
      {"notify 100 <P><E tag=\"Tag\" value=\"a b\"/></P>", "notify", {"100", "<P><E tag=\"Tag\" value=\"a b\"/></P>"}},
      {"notify 100  two\\nlines \\\\ \\q", "notify", {"100", " two\nlines \\ \\q"}},
      {"notify 3400", "notify", {"3400"}},
  };
  for (const Case& c : cases) {
    auto parsed = ParseLine(c.line);
    ASSERT_TRUE(parsed) << c.line;
    EXPECT_EQ(parsed->command, c.command) << c.line;
    EXPECT_EQ(parsed->args, c.args) << c.line;
  }
}

TEST(ParseLine, UnterminatedQuoteIsAnError) {
  EXPECT_FALSE(ParseLine("set txtParameter(0) \"open"));
  EXPECT_FALSE(ParseLine("set txtParameter(0) \"ends in escape\\\""));
}

}  // namespace
}  // namespace zolin6::scenario
