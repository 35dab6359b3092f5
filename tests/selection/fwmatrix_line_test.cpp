#include "selection/fwmatrix_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/captured_run.h"

namespace vornup {
namespace {

// Every line of `content`, read as the table reader reads them.
std::vector<FwmatrixLine> readAll(const std::string& content, bool tokenEndsAtHyphen) {
  ScratchDirectory dir;
  dir.write("fwmatrix.txt", content);
  std::vector<FwmatrixLine> lines;
  std::FILE* file = std::fopen(dir.file("fwmatrix.txt").c_str(), "rb");
  EXPECT_NE(file, nullptr);
  if (file == nullptr) return lines;
  FwmatrixLine line;
  while (readFwmatrixLine(file, tokenEndsAtHyphen, line)) lines.push_back(line);
  std::fclose(file);
  return lines;
}

struct LineCase {
  std::string content;  // one line
  bool tokenEndsAtHyphen;
  const char* token;
  std::vector<std::string> columns;
};

TEST(FwmatrixLine, TokenAndColumns) {
  const LineCase cases[] = {
      {"KV7100 fw.all bc.prg extra more\n", false, "KV7100", {"KV7100", "fw.all", "bc.prg"}},
      {"KV7100-FCoE\tfw.ufi\r\n", false, "KV7100-FCoE", {"KV7100-FCoE", "fw.ufi"}},
      {"KV7100-FCoE\tfw.ufi\r\n", true, "KV7100", {"KV7100-FCoE", "fw.ufi"}},
      {"KV7100-\tfw.all\n", true, "KV7100", {"KV7100-", "fw.all"}},
      {"-KV7100 fw.all\n", true, "", {"-KV7100", "fw.all"}},
      {"  KV7100   fw.all\n", false, "", {"KV7100", "fw.all"}},
      {"\n", false, "", {}},
      {"\r\n", false, "", {}},
      {"KV7100\n", false, "KV7100", {"KV7100"}},
      {"KV7100", false, "KV7100", {"KV7100"}},  // last line without a line feed
      // Control characters and bytes of 0x80 and above end the token, not a column.
      {"KV7100\x01junk fw.all\n", false, "KV7100", {"KV7100\x01junk", "fw.all"}},
      {"KV\xC3\xA9 fw.all\n", false, "KV", {"KV\xC3\xA9", "fw.all"}},
      {"KV7100\vfw.all\n", false, "KV7100", {"KV7100\vfw.all"}},
      // A NUL byte hides the rest of its line.
      {std::string("KV7100 fw.all\0 bc.prg\n", 22), false, "KV7100", {"KV7100", "fw.all"}},
      {std::string("\0KV7100 fw.all\n", 15), false, "", {}},
      {"/ comment line\n", false, "/", {"/", "comment", "line"}},
  };
  for (const LineCase& c : cases) {
    std::vector<FwmatrixLine> lines = readAll(c.content, c.tokenEndsAtHyphen);
    ASSERT_EQ(lines.size(), 1u) << c.content;
    const FwmatrixLine& line = lines[0];
    EXPECT_STREQ(line.leadingToken.text.c_str(), c.token) << c.content;
    EXPECT_FALSE(line.leadingToken.tooLong);
    ASSERT_EQ(line.columnCount, c.columns.size()) << c.content;
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
      EXPECT_EQ(line.columns[i].text.c_str(), c.columns[i]) << c.content;
      EXPECT_FALSE(line.columns[i].tooLong);
    }
  }
}

TEST(FwmatrixLine, ColumnOf31CharactersFitsAnd32DoNot) {
  std::string fits(31, 'F');
  std::string tooLong(32, 'G');
  std::vector<FwmatrixLine> lines =
      readAll(fits + " " + fits + " " + tooLong + "\n" + tooLong + " x\n", false);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].leadingToken.text.c_str(), fits);
  EXPECT_FALSE(lines[0].leadingToken.tooLong);
  EXPECT_FALSE(lines[0].columns[1].tooLong);
  EXPECT_EQ(lines[0].columns[1].text.c_str(), fits);
  EXPECT_TRUE(lines[0].columns[2].tooLong);
  EXPECT_EQ(lines[0].columns[2].text.c_str(), std::string(31, 'G'));
  EXPECT_TRUE(lines[1].leadingToken.tooLong);
  EXPECT_TRUE(lines[1].columns[0].tooLong);
  EXPECT_EQ(lines[1].columns[1].text.c_str(), std::string("x"));
}

TEST(FwmatrixLine, LongLinesStayOneLine) {
  // Text far beyond any buffer, followed by what would look like an entry if
  // the line were cut into pieces.
  std::string longComment = "/" + std::string(254, ' ') + "KV7100 evil.all evil.prg";
  std::string junk(100000, '\x7f');
  std::string content = longComment + "\n" + junk + " KV7100 evil.all\nKV7200 fw.all\n";
  std::vector<FwmatrixLine> lines = readAll(content, true);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_STREQ(lines[0].leadingToken.text.c_str(), "/");
  EXPECT_EQ(lines[0].columnCount, 3u);
  EXPECT_STREQ(lines[0].columns[1].text.c_str(), "KV7100");
  EXPECT_TRUE(lines[1].leadingToken.tooLong);  // DEL is above the blank: part of the token
  EXPECT_TRUE(lines[1].columns[0].tooLong);
  EXPECT_STREQ(lines[1].columns[1].text.c_str(), "KV7100");
  EXPECT_STREQ(lines[2].leadingToken.text.c_str(), "KV7200");
}

TEST(FwmatrixLine, EmptyFileHasNoLines) { EXPECT_TRUE(readAll("", false).empty()); }

}  // namespace
}  // namespace vornup
