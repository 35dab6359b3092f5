#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/model_table.h"
#include "selection/fwmatrix.h"
#include "selection/fwmatrix_run.h"

namespace vornup {
namespace {

constexpr char kHeading[] = "\n[verifyFWmatrixEntries]\n";

std::string known(const std::string& name) {
  return "Found known fwmatrix.txt entry   = " + name + "\n";
}
std::string unknown(const std::string& name) {
  return "Found unknown fwmatrix.txt entry = " + name + "\n";
}

TEST(VerifyFwmatrixEntries, EveryKnownModelRowIsKnownInAnyCase) {
  std::string content;
  std::string expected = kHeading;
  for (const KnownModel& row : kKnownModels) {
    std::string lower = row.type;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    content += std::string(row.type) + " fw.all bc.prg\n" + lower + "\tfw.all\n";
    expected += known(row.type) + known(lower);
  }
  FwmatrixRun r(content);
  r.run.sw.verbose = true;
  verifyFWmatrixEntries(r.run);
  EXPECT_EQ(r.trace(), expected);
  EXPECT_EQ(r.console(), "");
}

TEST(VerifyFwmatrixEntries, UnknownEntriesAreReportedCommentsSkipped) {
  const std::string fcRow = kKnownModels[0].type;
  const std::string tooLong = fcRow + std::string(40, 'Z');
  FwmatrixRun r("/ a comment\n" + fcRow + " fw.all\n" + fcRow + "-rack fw.all\nKQ9999 x.all\n\n" +
                "   " + fcRow + " fw.all\n" + tooLong + " fw.all\n//" + fcRow + "\n" + fcRow +
                "\x01junk fw.all\n");
  verifyFWmatrixEntries(r.run);
  std::string expected = std::string(kHeading) + known(fcRow) +
                         // The whole first column counts: text after a '-' too.
                         unknown(fcRow + "-rack") + unknown("KQ9999") +
                         // Empty line and a line that starts with a blank.
                         unknown("") + unknown("") +
                         // A first column too long for the table, shown cut.
                         unknown(tooLong.substr(0, 31)) +
                         // A control character ends the column.
                         known(fcRow);
  EXPECT_EQ(r.trace(), expected);
  EXPECT_EQ(r.console(), "");
}

TEST(VerifyFwmatrixEntries, VerboseRunsShowUnknownEntriesOnTheConsole) {
  FwmatrixRun r(std::string(kKnownModels[0].type) + " fw.all\nKQ9999 x.all\n");
  r.run.sw.verbose = true;
  verifyFWmatrixEntries(r.run);
  EXPECT_EQ(r.console(), unknown("KQ9999"));
  EXPECT_EQ(r.trace(), kHeading + known(kKnownModels[0].type) + unknown("KQ9999"));
}

TEST(VerifyFwmatrixEntries, NothingInAutomaticMode) {
  FwmatrixRun r("KQ9999 x.all\n");
  r.run.sw.autoMode = true;
  r.run.sw.verbose = true;
  verifyFWmatrixEntries(r.run);
  EXPECT_EQ(r.console(), "");
  EXPECT_EQ(r.trace(), "");
}

TEST(VerifyFwmatrixEntries, ReadsFromTheStartEachTime) {
  FwmatrixRun r("KQ9999 x.all\n");
  verifyFWmatrixEntries(r.run);
  verifyFWmatrixEntries(r.run);
  EXPECT_EQ(r.trace(), kHeading + unknown("KQ9999") + kHeading + unknown("KQ9999"));
}

}  // namespace
}  // namespace vornup
