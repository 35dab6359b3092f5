#include "core/fixed_text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace vornup {
namespace {

// A field with guard bytes right behind it, to see that no write runs past
// the field's end.
struct GuardedText {
  explicit GuardedText(const char* before) {
    std::memset(guard, '#', sizeof guard);
    text.set(before);
  }
  bool guardIntact() const {
    for (char c : guard) {
      if (c != '#') return false;
    }
    return true;
  }

  FixedText<8> text;
  char guard[8];
};
static_assert(offsetof(GuardedText, guard) == FixedText<8>::kCapacity,
              "the guard lies right behind the field");

TEST(FixedTextWriteAt, WritesOnlyInsideTheTextAndTheBuffer) {
  const struct {
    const char* before;
    std::size_t offset;
    const char* written;
    const char* after;
    bool whole;
  } cases[] = {
      {"ABCDEF", 2, "xy", "ABxy", true},
      {"ABCDEF", 0, "xy", "xy", true},
      {"ABCDEF", 6, "G", "ABCDEFG", true},  // at the end: appended
      {"AB", 2, "", "AB", true},
      {"", 0, "abc", "abc", true},
      // Past the end of the text nothing is written.
      {"A", 2, "cd", "A", false},
      {"", 1, "cd", "", false},
      {"ABC", 8, "x", "ABC", false},
      {"ABC", 1000, "x", "ABC", false},
      {"ABC", static_cast<std::size_t>(-1), "x", "ABC", false},
      // What does not fit the buffer is cut.
      {"ABC", 3, "defghijk", "ABCdefg", false},
      {"ABCDEFG", 7, "x", "ABCDEFG", false},
      {"ABCDEFG", 6, "xyz", "ABCDEFx", false},
      {"ABCDEFG", 0, "0123456789", "0123456", false},
  };
  for (const auto& c : cases) {
    GuardedText g(c.before);
    EXPECT_EQ(g.text.writeAt(c.offset, c.written), c.whole) << c.before << " @" << c.offset;
    EXPECT_STREQ(g.text.c_str(), c.after) << c.before << " @" << c.offset;
    EXPECT_TRUE(g.guardIntact()) << c.before << " @" << c.offset;
  }
}

TEST(FixedTextReplaceAt, ReplacesOnlyCharactersInsideTheText) {
  const struct {
    const char* before;
    std::size_t index;
    char c;
    const char* after;
    bool replaced;
  } cases[] = {
      {"4.0.1", 2, '1', "4.1.1", true},
      {"4.0.1", 0, 'x', "x.0.1", true},
      {"4.0.1", 5, '1', "4.0.1", false},   // the terminator stays
      {"4.0.1", 40, '1', "4.0.1", false},  // past the buffer
      {"4.0.1", 1, '\0', "4.0.1", false},  // no cutting through it
  };
  for (const auto& c : cases) {
    GuardedText g(c.before);
    EXPECT_EQ(g.text.replaceAt(c.index, c.c), c.replaced) << c.before << " @" << c.index;
    EXPECT_STREQ(g.text.c_str(), c.after) << c.before << " @" << c.index;
    EXPECT_TRUE(g.guardIntact()) << c.before << " @" << c.index;
  }
}

}  // namespace
}  // namespace vornup
