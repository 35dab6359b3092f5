// Windows command lines by the C runtime's rules, written out by hand: what
// the tool's startup code splits back into the same arguments.
#include "platform/argument_quoting.h"

#include <gtest/gtest.h>

namespace vornup {
namespace {

TEST(QuotedCommandLine, EachArgumentComesBackWhole) {
  struct Case {
    std::vector<std::string> arguments;
    const char* line;
  };
  // clang-format off
  const Case cases[] = {
      {{}, R"("C:\K dir\Tandrel.exe")"},
      {{"listhbas", "local"}, R"("C:\K dir\Tandrel.exe" listhbas local)"},
      {{""}, R"("C:\K dir\Tandrel.exe" "")"},
      {{"C:\\fw dir\\a b.all"}, R"("C:\K dir\Tandrel.exe" "C:\fw dir\a b.all")"},
      {{"C:\\no\\blanks\\"}, R"("C:\K dir\Tandrel.exe" C:\no\blanks\)"},
      {{"C:\\with blank\\"}, R"("C:\K dir\Tandrel.exe" "C:\with blank\\")"},
      {{"say \"hi\""}, R"("C:\K dir\Tandrel.exe" "say \"hi\"")"},
      {{"a\\\"b"}, R"("C:\K dir\Tandrel.exe" "a\\\"b")"},
      {{"%OS% & ^(x)! |<>"}, R"("C:\K dir\Tandrel.exe" "%OS% & ^(x)! |<>")"},
      {{"tab\there"}, "\"C:\\K dir\\Tandrel.exe\" \"tab\there\""},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(quotedCommandLine("C:\\K dir\\Tandrel.exe", c.arguments), c.line);
  }
}

}  // namespace
}  // namespace vornup
