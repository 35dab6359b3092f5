#include "sim/faults.h"

#include <gtest/gtest.h>

#include <string>

namespace tandrelsim {
namespace {

const char kReply[] = "Head\n\nFW Version      : 2.82A4\nBoot Code       : Enabled\n";

std::string damaged(FaultMode mode, int& status) {
  std::string text = kReply;
  status = 0;
  damageReply(mode, text, status);
  return text;
}

TEST(DamageReply, EachModeDoesWhatItsNameSays) {
  int status;
  EXPECT_EQ(damaged(FaultMode::none, status), kReply);
  EXPECT_EQ(damaged(FaultMode::noOutput, status), "");
  EXPECT_EQ(damaged(FaultMode::cutOff, status), std::string(kReply).substr(0, 28));
  EXPECT_EQ(damaged(FaultMode::exitStatus, status), kReply);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(damaged(FaultMode::crLf, status),
            "Head\r\n\r\nFW Version      : 2.82A4\r\nBoot Code       : Enabled\r\n");
  EXPECT_EQ(damaged(FaultMode::nulFf, status),
            std::string("Head\0\n\0\nFW Version      : 2\xFF.82A4\0\n"
                        "Boot Code       : E\xFFnabled\0\n",
                        63));
  EXPECT_EQ(status, 0);
}

TEST(DamageReply, GarbageHoldsEveryKindOfByte) {
  int status;
  std::string text = damaged(FaultMode::garbage, status);
  EXPECT_EQ(text.size(), 2048u);
  EXPECT_NE(text.find('\0'), std::string::npos);
  EXPECT_NE(text.find('\xFF'), std::string::npos);
  EXPECT_EQ(text.find("FW Version"), std::string::npos);
  EXPECT_EQ(damaged(FaultMode::garbage, status), text);
}

TEST(DamageReply, HugeKeepsTheReplyFirstAndEndsAtOneMebibyte) {
  int status;
  std::string text = damaged(FaultMode::huge, status);
  EXPECT_EQ(text.size(), kHugeOutputSize);
  EXPECT_EQ(text.rfind(kReply, 0), 0u);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("Complete"), std::string::npos);
  EXPECT_EQ(text.find("reboot"), std::string::npos);
}

TEST(DamageReply, LongLinesAreTenThousandCharacters) {
  int status;
  std::string text = damaged(FaultMode::longLines, status);
  std::size_t start = 0;
  int lines = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(end - start, kLongLineLength);
    start = end + 1;
    ++lines;
  }
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(text.find("FW Version      : 2.82A4 ~~~"), kLongLineLength * 2 + 2);
}

}  // namespace
}  // namespace tandrelsim
