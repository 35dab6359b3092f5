#include "tool/model_identify.h"

#include <gtest/gtest.h>

#include <string>

#include "core/model_table.h"
#include "simulated_run.h"

namespace vornup {
namespace {

constexpr char kWwn[] = "10:00:00:00:C9:7D:00:01";

struct ModelCase {
  uint32_t deviceId;
  uint32_t subVendor;
  uint32_t subDevice;
  uint32_t flags;
  const char* headerType;  // the port's PCI header type, or null for no label
  const char* model;
  const char* fwType;
  bool runsPciData;
};

// Identifies one Fibre Channel port as the case describes it.
void checkCase(const ModelCase& c) {
  std::string host = std::string("[port]\nwwn = ") + kWwn + "\n";
  if (c.headerType != nullptr) host += std::string("header-type = ") + c.headerType + "\n";
  SimulatedRun sim(host);
  Adapter a;
  a.wwn.set(kWwn);
  a.pciID = c.deviceId;
  a.subVenDevID = c.subVendor;
  a.subSysDevID = c.subDevice;
  a.flags = c.flags;
  SCOPED_TRACE(std::string(c.model) + " " + std::to_string(c.deviceId));
  EXPECT_TRUE(identifyModel(sim.run, a));
  EXPECT_STREQ(a.model.c_str(), c.model);
  EXPECT_STREQ(a.fwType.c_str(), c.fwType);
  EXPECT_EQ(a.supported, 1);
  EXPECT_EQ(sim.run.counters.knownPortCount, 1u);
  std::vector<std::string> expected;
  if (c.runsPciData) expected.push_back(std::string("pcidata ") + kWwn);
  EXPECT_EQ(sim.calls(), expected);
}

TEST(IdentifyModel, The7D00ChainTakesTheFirstTestThatHolds) {
  const ModelCase cases[] = {
      // 1. one OEM subsystem, device 0x7D00 only
      {0x7D00, 0x103C, 0x338F, 0, "80", "KF1602R", "ZF", false},
      {0x7D40, 0x103C, 0x338F, 0, "80", "KF1602", "ZF", true},
      // 2. the Cindral blades
      {0x7D00, 0x1A5C, 0x7D2A, 0x7D0B, "80", "KF1602CB", "ZD", false},
      {0x7D00, 0x1054, 0x3053, 0, "00", "KF1602CB", "ZD", false},
      {0x7D40, 0x1A5C, 0x7D2A, 0, "00", "KF1601", "ZF", true},
      // 3. two mezzanine subsystems, device 0x7D00 only
      {0x7D00, 0x1A5C, 0x7D21, 0, "80", "KF1602M", "ZJ", false},
      {0x7D00, 0x1014, 0x0401, 0, "80", "KF1602M", "ZJ", false},
      {0x7D40, 0x1014, 0x0401, 0, "00", "KF1601", "ZF", true},
      // 4. and 5.
      {0x7D00, 0x103C, 0x3392, 0, "00", "KF1602S", "ZF", false},
      {0x7D40, 0x103C, 0x3392, 0, "00", "KF1602S", "ZF", false},
      {0x7D00, 0x103C, 0x3391, 0, "80", "KF1601S", "ZF", false},
      {0x7D40, 0x103C, 0x3391, 0, "80", "KF1601S", "ZF", false},
      // 6. a subsystem device of any subsystem vendor
      {0x7D00, 0x1234, 0x7D2E, 0, "80", "KF1601E", "ZE", false},
      {0x7D40, 0x0000, 0x7D2E, 0, "80", "KF1601E", "ZE", false},
      // 7. multi-function, 8. otherwise
      {0x7D00, 0x1A5C, 0x7D99, 0, "80", "KF1602", "ZF", true},
      {0x7D00, 0x1A5C, 0x7D99, 0, "00", "KF1601", "ZF", true},
      {0x7D00, 0x1A5C, 0x7D99, 0, "0x80", "KF1602", "ZF", true},
      {0x7D00, 0x1A5C, 0x7D99, 0, "81", "KF1601", "ZF", true},
      {0x7D40, 0x1A5C, 0x7D99, 0, nullptr, "KF1601", "ZF", true},
      {0x7D00, 0x103C, 0x3390, 0, "", "KF1601", "ZF", true},
  };
  for (const ModelCase& c : cases) checkCase(c);
}

TEST(IdentifyModel, SubsystemFlagsAndMultiFunctionRules) {
  const ModelCase cases[] = {
      {0x7E00, 0x1A5C, 0x7E22, 0, "80", "KF3202M", "WF", false},
      {0x7E00, 0x1A5C, 0x7E26, 0, "80", "KF3202M", "WF", false},
      {0x7E00, 0x1734, 0x10F4, 0, "80", "KF3202M", "WF", false},
      {0x7E00, 0x103C, 0x1708, 0, "80", "KF3202M", "WF", false},
      {0x7E00, 0x1A5C, 0x7E23, 0, "80", "KF3202", "WF", false},
      {0x7E00, 0x1734, 0x1708, 0, "80", "KF3202", "WF", false},
      {0x7F00, 0x1A5C, 0x7F23, 0, "80", "KF1604B", "UH", false},
      {0x7F10, 0x1A5C, 0x7F24, 0, "80", "KF1604B", "UH", false},
      {0x7F10, 0x1A5C, 0x7F25, 0, "80", "KF1604", "UF", false},
      {0x7F00, 0x103C, 0x7F22, 0, "80", "KF1604", "UF", false},
      {0x7E40, 0, 0, 0x7D80, "80", "KF1610", "FD", false},
      {0x7E40, 0, 0, 0x7D8D, "80", "KF1610", "FD", false},
      {0x7E40, 0, 0, 0x7D81, "80", "KF1610", "UD", false},
      {0x5540, 0, 0, 0x7D8D, "80", "KF850", "FD", false},
      {0x5540, 0, 0, 0x7D80, "80", "KF850", "BE", false},
      {0x5140, 0, 0, 0, "80", "KF222", "HD", true},
      {0x5140, 0, 0, 0, "00", "KF221", "HD", true},
      {0x5280, 0, 0, 0, "80", "KF410", "TJ", false},
      {0x7C00, 0, 0, 0, "80", "KF1601", "ZD", false},
  };
  for (const ModelCase& c : cases) checkCase(c);
}

TEST(IdentifyModel, ConvergedAndHalvardTypeCodesHaveOneLetter) {
  SimulatedRun sim("[port]\nmac = 00-90-fa-3a-00-01\n[port]\nwwn = 10:00:00:00:c9:6c:00:01\n"
                   "header-type = 80\n");
  Adapter nic;
  nic.cnaType = kCnaTypeNic;
  nic.mac.set("00-90-FA-3A-00-01");
  nic.pciID = 0x3A14;
  EXPECT_TRUE(identifyModel(sim.run, nic));
  EXPECT_STREQ(nic.model.c_str(), "KC3200");
  EXPECT_STREQ(nic.fwType.c_str(), "D");
  Adapter halvard;
  halvard.wwn.set("10:00:00:00:C9:6C:00:01");
  halvard.pciID = 0x6C00;
  EXPECT_TRUE(identifyModel(sim.run, halvard));
  EXPECT_STREQ(halvard.model.c_str(), "KH3202");
  EXPECT_STREQ(halvard.fwType.c_str(), "G");
  EXPECT_EQ(sim.calls(), std::vector<std::string>{"pcidata 10:00:00:00:C9:6C:00:01"});
  EXPECT_EQ(sim.run.counters.knownPortCount, 2u);
}

TEST(IdentifyModel, UnknownDeviceIsUnsupportedAndNotCounted) {
  CapturedRun captured;
  Adapter fc;
  fc.pciID = 0x1234;
  fc.bootCodeType.set("ZU");
  EXPECT_FALSE(identifyModel(captured.run, fc));
  EXPECT_STREQ(fc.model.c_str(), "UNKNOWN_MODEL");
  EXPECT_STREQ(fc.fwType.c_str(), "XX");
  EXPECT_STREQ(fc.bootCodeType.c_str(), "XX");
  EXPECT_EQ(fc.supported, 0);
  Adapter fcoe;
  fcoe.cnaType = kCnaTypeFcoe;
  fcoe.supported = 1;
  EXPECT_FALSE(identifyModel(captured.run, fcoe));
  EXPECT_STREQ(fcoe.fwType.c_str(), "X");
  EXPECT_STREQ(fcoe.bootCodeType.c_str(), "X");
  EXPECT_EQ(fcoe.supported, 0);
  EXPECT_EQ(captured.run.counters.knownPortCount, 0u);
  EXPECT_TRUE(captured.platform.commands.empty());
}

TEST(IdentifyModel, ForcedBootCodeOnAnAdapterWithoutBootCodeTakesTheFamilyLetter) {
  const struct {
    int forceBootCode;
    const char* bootCodeVersion;
    const char* bootCodeType;
  } cases[] = {
      {1, "NONE", "H"},
      {0, "NONE", "HO"},
      {1, "510A3", "HO"},
      {1, "none", "HO"},
  };
  for (const auto& c : cases) {
    CapturedRun captured;
    captured.run.sw.forceBootCode = c.forceBootCode;
    Adapter a;
    a.pciID = 0x5100;
    a.bootCodeVersion.set(c.bootCodeVersion);
    a.bootCodeType.set("HO");
    EXPECT_TRUE(identifyModel(captured.run, a));
    EXPECT_STREQ(a.bootCodeType.c_str(), c.bootCodeType) << c.forceBootCode << " " << c.bootCodeVersion;
  }
}

TEST(IsCindralBlade, OnlyDevice7D00WithABladeSubsystem) {
  for (const SubsystemPair& blade : kCindralBladeSubsystems) {
    EXPECT_TRUE(isCindralBlade(0x7D00, blade.device, blade.vendor));
    EXPECT_FALSE(isCindralBlade(0x7D40, blade.device, blade.vendor));
    EXPECT_FALSE(isCindralBlade(0x7D00, blade.vendor, blade.device));
  }
  EXPECT_FALSE(isCindralBlade(0x7D00, 0x7D28, 0x1A5C));
  EXPECT_FALSE(isCindralBlade(0x7D00, 0x1719, 0x1A5C));
}

}  // namespace
}  // namespace vornup
