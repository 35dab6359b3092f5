#include "selection/versions.h"

#include <gtest/gtest.h>

namespace vornup {
namespace {

struct ParseCase {
  const char* text;
  uint32_t major, minor, release, build;
};

TEST(ParseConvergedVersion, ReadsFourNumbers) {
  const ParseCase cases[] = {
      {"4.0.360.15", 4, 0, 360, 15},
      {"3.2.14.0", 2, 2, 14, 0},  // major 3 is read as 2
      {"4..360.15", 4, 360, 15, 0},
      {"4.0", 4, 0, 0, 0},
      {"", 0, 0, 0, 0},
      {"...", 0, 0, 0, 0},
      {".7.1", 7, 1, 0, 0},
      {"4.x.12b.9", 4, 0, 12, 9},
      {"2.1.5.6.7", 2, 1, 5, 6},
      {"30.1.2.3", 30, 1, 2, 3},
      {"99999999999.1", UINT32_MAX, 1, 0, 0},
      // Only the first 31 characters are read.
      {"1.2.3.0000000000000000000000000009", 1, 2, 3, 0},
  };
  for (const ParseCase& c : cases) {
    uint32_t major = 77, minor = 77, release = 77, build = 77;
    parseConvergedVersion(c.text, major, minor, release, build);
    EXPECT_EQ(major, c.major) << c.text;
    EXPECT_EQ(minor, c.minor) << c.text;
    EXPECT_EQ(release, c.release) << c.text;
    EXPECT_EQ(build, c.build) << c.text;
  }
}

}  // namespace
}  // namespace vornup
