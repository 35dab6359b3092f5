// Text from the tool, the command line or the host, as the metrics file and
// the system log quote it: nothing in it can end the quote, the line or the
// UTF-8.
#include "report/record_text.h"

#include <gtest/gtest.h>

namespace vornup {
namespace {

TEST(EscapedRecordText, QuotesLineEndsControlsAndBrokenUtf8CannotEscape) {
  const struct {
    const char* text;
    const char* escaped;
  } cases[] = {
      {"KF1602", "KF1602"},
      {"a\"b\\c", "a\\\"b\\\\c"},
      {"one\ntwo\r\tend", "one\\ntwo??end"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xC3", "?"},                  // cut short
      {"\xC0\xAF", "??"},             // overlong
      {"\xED\xA0\x80", "???"},        // surrogate
      {"\xF4\x90\x80\x80", "????"},   // beyond U+10FFFF
      {"\xFF\x7F", "??"},
  };
  for (const auto& c : cases) EXPECT_EQ(escapedRecordText(c.text), c.escaped) << c.text;
}

}  // namespace
}  // namespace vornup
