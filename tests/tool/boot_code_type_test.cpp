#include "tool/boot_code_type.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "simulated_run.h"

namespace vornup {
namespace {

// The rule the table follows: code = 8 x group + kind + 1. Each group names a
// family letter ('\0': no codes); kind 3 is 'R' or 'L' by group; a group may
// lack kind 3 or kind 6, or have only some kinds.
struct Group {
  char letter;
  const char* kinds;  // the kind letters of kinds 0..6, '-' where the group has no code
};
const Group kGroups[31] = {
    {'F', "B------"}, {'\0', ""},       {'S', "BOCREP-"}, {'Y', "BOCLEPU"}, {'D', "BOCREP-"},
    {'O', "BOCLEP-"}, {'Q', "BOC-EP-"}, {'\0', ""},       {'C', "BOCREP-"}, {'P', "BOCLEPU"},
    {'R', "BOC-EP-"}, {'A', "BO----U"}, {'H', "BOCREPU"}, {'\0', ""},       {'L', "BOC-EPU"},
    {'U', "BOCLEPU"}, {'T', "BOC-EPU"}, {'\0', ""},       {'M', "BOC-EPU"}, {'\0', ""},
    {'V', "BOC-EPU"}, {'I', "BOCLEPU"}, {'E', "BOC-EPU"}, {'\0', ""},       {'B', "BOC-EPU"},
    {'\0', ""},       {'J', "BOC-EPU"}, {'\0', ""},       {'Z', "BOC-EPU"}, {'\0', ""},
    {'W', "BOC-EPU"},
};

std::string typeByRule(uint32_t code) {
  // The two codes outside the rule.
  if (code == 0x2F) return "YU";
  if (code == 0x80) return "PB";
  if (code == 0 || code > 0xF7) return "XX";
  uint32_t group = (code - 1) / 8;
  uint32_t kind = (code - 1) % 8;
  const Group& g = kGroups[group];
  if (g.letter == '\0' || kind > 6 || g.kinds[kind] == '-') return "XX";
  return std::string(1, g.letter) + g.kinds[kind];
}

TEST(BootCodeTypeTable, EveryCodeFollowsTheRule) {
  int valid = 0;
  for (uint32_t code = 0; code <= 0xFF; ++code) {
    EXPECT_EQ(bootCodeTypeOf(code), typeByRule(code)) << std::hex << code;
    if (typeByRule(code) != "XX") ++valid;
  }
  EXPECT_EQ(valid, 129);
  EXPECT_STREQ(bootCodeTypeOf(0x112), "XX");
}

TEST(BootCodeTypeTable, EntriesAreOrderedUniqueAndTwoCapitals) {
  for (std::size_t i = 0; i < kBootCodeTypeCount; ++i) {
    const BootCodeType& entry = kBootCodeTypes[i];
    if (i > 0) {
      EXPECT_LT(kBootCodeTypes[i - 1].code, entry.code);
    }
    ASSERT_EQ(std::strlen(entry.type), 2u);
    EXPECT_TRUE(entry.type[0] >= 'A' && entry.type[0] <= 'Z');
    EXPECT_NE(std::strchr("BOCRLEPU", entry.type[1]), nullptr) << entry.type;
  }
}

struct DecodeCase {
  const char* value;
  uint32_t flags;
  const char* bootCodeType;
};

TEST(DecodeBootCodeType, FourthAndFifthCharactersAreTheCode) {
  const DecodeCase cases[] = {
      {"00012", 0, "SO"},      {"00012", 0x7D8D, "FO"}, {"00012", 0x7D80, "FO"},
      {"0001200", 0x7D0B, "SO"}, {"0002F", 0, "YU"},    {"00080", 0, "PB"},
      {"00034", 0, "XX"},      {"00054", 0, "XX"},      {"00074", 0, "XX"},
      {"00034", 0x7D8D, "FX"}, {"0001", 0, "FB"},       {"000", 0, "XX"},
      {"", 0, "XX"},           {"0001g", 0, "FB"},      {"000g1", 0, "XX"},
      {"000e7", 0, "ZU"},      {"000F8", 0, "XX"},      {"00000", 0, "XX"},
  };
  for (const DecodeCase& c : cases) {
    Adapter a;
    a.flags = c.flags;
    decodeBootCodeType(c.value, a);
    EXPECT_STREQ(a.bootCodeType.c_str(), c.bootCodeType) << c.value << " " << std::hex << c.flags;
  }
}

struct WakeupCase {
  const char* token;  // the wakeup-token of the simulated port, or null
  const char* bootCodeType;
};

TEST(ReadBootCodeType, TokenFifthAndSixthCharactersAreTheCode) {
  const WakeupCase cases[] = {
      {"03E7E300", "ZC"}, {"0000120A", "SO"}, {"00001", "FB"}, {"0001", "XX"}, {"000012", "SO"},
      {"00002F", "YU"},   {"", "XX"},         {nullptr, "XX"},
  };
  for (const WakeupCase& c : cases) {
    std::string host = "[port]\nwwn = 10:00:00:00:c9:00:00:01\n";
    if (c.token != nullptr) host += std::string("wakeup-token = ") + c.token + "\n";
    SimulatedRun sim(host);
    Adapter a;
    a.wwn.set("10:00:00:00:C9:00:00:01");
    readBootCodeType(sim.run, a);
    EXPECT_STREQ(a.bootCodeType.c_str(), c.bootCodeType) << (c.token ? c.token : "(no label)");
    EXPECT_EQ(sim.calls(), std::vector<std::string>{"wakeup 10:00:00:00:C9:00:00:01"});
  }
}

TEST(ReadBootCodeType, FirstBootCodeLabelOfTheOutputCounts) {
  CapturedRun captured;
  captured.usePrivateTemp();
  captured.platform.onCommand = [&captured](const std::string&) {
    captured.platform.writeToolOutput("Boot Code Kind:\t x0001200 rest\nBoot Code : 0000E100\n");
    return 0;
  };
  Adapter a;
  a.wwn.set("10:00:00:00:C9:00:00:01");
  readBootCodeType(captured.run, a);
  // Blanks and tabs are skipped, then one more character: value "0001200".
  EXPECT_STREQ(a.bootCodeType.c_str(), "SO");
}

TEST(ReadBootCodeType, UnsafeAddressRunsNothing) {
  SimulatedRun sim("[port]\nwwn = 10:00:00:00:c9:00:00:01\nwakeup-token = 00001200\n");
  Adapter a;
  a.wwn.set("N/A");
  readBootCodeType(sim.run, a);
  EXPECT_TRUE(sim.calls().empty());
  EXPECT_STREQ(a.bootCodeType.c_str(), "XX");
}

}  // namespace
}  // namespace vornup
