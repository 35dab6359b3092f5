// The run history's appends (whole lines, rotation, a line cut short by
// something else, refused names) and the system log seam's delivery, on
// both hosts: under Wine the event log's answer is what can be checked.
#include <gtest/gtest.h>

#include <string>

#include "platform/history_file.h"
#include "platform/host_names.h"
#include "platform/system_log.h"
#include "platform_test_files.h"

namespace vornup {
namespace {

constexpr char kLine[] = "{\"n\":2}\n";

TEST(HistoryFile, AppendsWholeLinesRotatesAndKeepsACutLineApart) {
  struct Case {
    const char* name;
    const char* before;  // nullptr: no file
    uint64_t rotateAt;
    const char* after;
    const char* rotated;  // the ".1" file; nullptr: none
  };
  const Case cases[] = {
      {"new file", nullptr, 100, kLine, nullptr},
      {"after whole lines", "{\"n\":1}\n", 100, "{\"n\":1}\n{\"n\":2}\n", nullptr},
      {"after a cut line", "{\"n\":1", 100, "{\"n\":1\n{\"n\":2}\n", nullptr},
      {"at the size", "{\"n\":1}\n", 8, kLine, "{\"n\":1}\n"},
      {"below the size", "{\"n\":1}\n", 9, "{\"n\":1}\n{\"n\":2}\n", nullptr},
  };
  for (const Case& c : cases) {
    TestDirectory directory;
    if (c.before != nullptr) {
      ASSERT_TRUE(directory.write("history.jsonl", c.before));
    }
    ASSERT_TRUE(directory.write("history.jsonl.1", "older\n"));
    std::string why;
    EXPECT_TRUE(appendHistoryLine(directory.file("history.jsonl"), kLine, c.rotateAt, why))
        << c.name << ": " << why;
    EXPECT_EQ(directory.read("history.jsonl"), c.after) << c.name;
    EXPECT_EQ(directory.read("history.jsonl.1"), c.rotated != nullptr ? c.rotated : "older\n")
        << c.name;
  }
}

TEST(HistoryFile, MakesItsFolderAndRefusesADirectory) {
  TestDirectory directory;
  std::string why;
  EXPECT_TRUE(appendHistoryLine(directory.file("vornup") + "/history.jsonl", kLine, 100, why))
      << why;
  EXPECT_EQ(directory.read("vornup/history.jsonl"), kLine);
  EXPECT_FALSE(appendHistoryLine(directory.file("vornup"), kLine, 100, why));
  EXPECT_FALSE(why.empty());
}

TEST(SystemLog, ARecordNeverHoldsTheRun) {
  std::string why;
  const AuditDelivery delivery =
      sendAuditRecord(AuditSeverity::information, "run user=\"test\" exit_code=0", why);
  // Windows (and Wine) has its event log; the POSIX tests point the seam at
  // a socket nobody listens on (the test's environment), so the host's log
  // stays clean.
  EXPECT_EQ(delivery, kPathSeparator == '\\' ? AuditDelivery::delivered
                                               : AuditDelivery::noLogService)
      << why;
  EXPECT_FALSE(runningUserName().empty());
}

}  // namespace
}  // namespace vornup
