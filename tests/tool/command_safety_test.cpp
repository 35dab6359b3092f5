#include "tool/command_safety.h"

#include <gtest/gtest.h>

#include "platform/host_names.h"

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

}  // namespace
}  // namespace vornup
