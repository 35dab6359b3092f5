#include "tool/command_safety.h"

#include <gtest/gtest.h>

#include "platform/host_names.h"
#include "platform/interrupts.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

TEST(CommandSafety, AddressesAreHexDigitsAndSeparatorsOnly) {
  const struct {
    const char* address;
    bool safe;
  } cases[] = {
      {"10:00:00:00:5E:aa:bb:cc", true}, {"00-11-22-33-44-55", true}, {"", false},
      {"10:00 & del", false},            {"10:00\"x", false},          {"N/A", false},
      {"10:00:00:00:5E:AA:BB:C\n", false},
  };
  for (const auto& k : cases) EXPECT_EQ(isSafeAddress(k.address), k.safe) << k.address;
}

TEST(CommandSafety, FileNamesThatCouldBecomeCommandsAreRefused) {
  const struct {
    const char* name;
    bool safe;
  } everywhere[] = {
      {"kf290a1.all", true}, {"with blank & amp.all", true}, {"quote\".all", false},
      {"pct%PATH%.all", false}, {"tab\t.all", false}, {"nl\n.all", false}, {"del\x7f.all", false},
  };
  for (const auto& k : everywhere) EXPECT_EQ(isSafeFileName(k.name), k.safe) << k.name;
  for (const char* c = kQuotedArgumentSpecials; *c != '\0'; ++c) {
    std::string name = std::string("x") + *c + ".all";
    EXPECT_FALSE(isSafeFileName(name.c_str())) << name;
  }
}

// Which calls reach the tool: never one with an unsafe address, and after an
// interrupt only the one that sets a port's boot code back.
TEST(CommandSafety, OnlySafeCallsReachTheTool) {
  struct Case {
    const char* address;
    bool interrupted;
    bool settingBootCodeBack;
    ToolStepOutcome outcome;
  };
  const Case cases[] = {
      {"10:00:00:00:5E:AA:BB:CC", false, false, ToolStepOutcome::ran},
      {"10:00 & del x", false, false, ToolStepOutcome::refused},
      {"10:00:00:00:5E:AA:BB:CC", true, false, ToolStepOutcome::refused},
      {"10:00:00:00:5E:AA:BB:CC", true, true, ToolStepOutcome::ran},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    CapturedRun captured;
    captured.usePrivateTemp();
    captured.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
    captured.run.toolOutput.set("left over");
    captured.run.settingBootCodeBack = c.settingBootCodeBack;
    captured.platform.onCommand = [&captured](const std::string&) {
      captured.platform.writeToolOutput("Complete\n");
      return 2;
    };
    clearInterruptRequest();
    if (c.interrupted) recordClosedOutput();
    const ToolStep step = executeForAddress(captured.run, "wakeup %s", c.address);
    clearInterruptRequest();
    EXPECT_EQ(step.outcome, c.outcome);
    const bool ran = c.outcome == ToolStepOutcome::ran;
    EXPECT_EQ(step.status, ran ? 2 : 0);
    EXPECT_EQ(captured.platform.commands.size(), ran ? 1u : 0u);
    EXPECT_STREQ(captured.run.toolOutput.c_str(), ran ? "Complete\n" : "");
  }
}

}  // namespace
}  // namespace vornup
