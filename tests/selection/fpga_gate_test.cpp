#include "selection/fpga_gate.h"

#include <gtest/gtest.h>

#include "core/adapter.h"
#include "core/image_node.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

TEST(FpgaGate, GatedAdaptersBySubsystemIds) {
  const struct {
    uint32_t subVenDevID, subSysDevID;
    bool gated;
  } cases[] = {
      {0x103C, 0x174B, true},  {0x103C, 0x1749, true},  {0x103C, 0x1747, true},
      {0x103C, 0x1748, false}, {0x103C, 0x174A, false}, {0x1A5C, 0x174B, false},
      {0x0000, 0x0000, false},
  };
  for (const auto& c : cases) {
    Adapter a;
    a.subVenDevID = c.subVenDevID;
    a.subSysDevID = c.subSysDevID;
    EXPECT_EQ(isFpgaGatedAdapter(a), c.gated) << std::hex << c.subVenDevID << " " << c.subSysDevID;
  }
}

struct GateCase {
  uint32_t version[4];
  bool expected;
  const char* imageTrace;
  const char* adapterTrace;
};

const GateCase kGateCases[] = {
    {{4, 0, 360, 15},
     true,
     "\n[isCompatibleKX2FirmwareVersion]\n"
     "newFwVersion->CNAMajorVer   = 4\n"
     "newFwVersion->CNAMinorVer   = 0\n"
     "newFwVersion->CNAReleaseVer = 360\n"
     "newFwVersion->CNABuildVer   = 15\n"
     "New and Current versions are equal to the fpga version - status = TRUE\n",
     "\n[hasSupportedKX2FirmwareVersion]\n"
     "currentHba->CNAMajorVer   = 4\n"
     "currentHba->CNAMinorVer   = 0\n"
     "currentHba->CNAReleaseVer = 360\n"
     "currentHba->CNABuildVer   = 15\n"
     "Current versions are equal to the fpga versions! Supported = TRUE\n"},
    {{4, 0, 360, 14},
     false,
     "\n[isCompatibleKX2FirmwareVersion]\n"
     "newFwVersion->CNAMajorVer   = 4\n"
     "newFwVersion->CNAMinorVer   = 0\n"
     "newFwVersion->CNAReleaseVer = 360\n"
     "newFwVersion->CNABuildVer   = 14\n"
     "\nComparing Major Versions - New = 4, fpga = 4\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Minor Versions - New = 0, fpga = 0\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Release Versions - New = 360, fpga = 360\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Build Versions - New = 14, fpga = 15\n"
     "curVersion < fpgaVersion - Supported = FALSE\n",
     "\n[hasSupportedKX2FirmwareVersion]\n"
     "currentHba->CNAMajorVer   = 4\n"
     "currentHba->CNAMinorVer   = 0\n"
     "currentHba->CNAReleaseVer = 360\n"
     "currentHba->CNABuildVer   = 14\n"
     "\nComparing Major Versions - Cur = 4, fpga = 4\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Minor Versions - Cur = 0, fpga = 0\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Release Versions - Cur = 360, fpga = 360\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Build Versions - Cur = 14, fpga = 15\n"
     "curVersion < fpgaVersion - Supported = FALSE\n"},
    {{4, 1, 0, 0},
     true,
     "\n[isCompatibleKX2FirmwareVersion]\n"
     "newFwVersion->CNAMajorVer   = 4\n"
     "newFwVersion->CNAMinorVer   = 1\n"
     "newFwVersion->CNAReleaseVer = 0\n"
     "newFwVersion->CNABuildVer   = 0\n"
     "\nComparing Major Versions - New = 4, fpga = 4\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Minor Versions - New = 1, fpga = 0\n"
     "curVersion > fpgaVersion - Supported = TRUE\n",
     "\n[hasSupportedKX2FirmwareVersion]\n"
     "currentHba->CNAMajorVer   = 4\n"
     "currentHba->CNAMinorVer   = 1\n"
     "currentHba->CNAReleaseVer = 0\n"
     "currentHba->CNABuildVer   = 0\n"
     "\nComparing Major Versions - Cur = 4, fpga = 4\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Minor Versions - Cur = 1, fpga = 0\n"
     "curVersion > fpgaVersion - Supported = TRUE\n"},
    {{3, 9, 999, 999},
     false,
     "\n[isCompatibleKX2FirmwareVersion]\n"
     "newFwVersion->CNAMajorVer   = 3\n"
     "newFwVersion->CNAMinorVer   = 9\n"
     "newFwVersion->CNAReleaseVer = 999\n"
     "newFwVersion->CNABuildVer   = 999\n"
     "\nComparing Major Versions - New = 3, fpga = 4\n"
     "curVersion < fpgaVersion - Supported = FALSE\n",
     "\n[hasSupportedKX2FirmwareVersion]\n"
     "currentHba->CNAMajorVer   = 3\n"
     "currentHba->CNAMinorVer   = 9\n"
     "currentHba->CNAReleaseVer = 999\n"
     "currentHba->CNABuildVer   = 999\n"
     "\nComparing Major Versions - Cur = 3, fpga = 4\n"
     "curVersion < fpgaVersion - Supported = FALSE\n"},
    {{4, 0, 361, 0},
     true,
     "\n[isCompatibleKX2FirmwareVersion]\n"
     "newFwVersion->CNAMajorVer   = 4\n"
     "newFwVersion->CNAMinorVer   = 0\n"
     "newFwVersion->CNAReleaseVer = 361\n"
     "newFwVersion->CNABuildVer   = 0\n"
     "\nComparing Major Versions - New = 4, fpga = 4\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Minor Versions - New = 0, fpga = 0\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Release Versions - New = 361, fpga = 360\n"
     "curVersion > fpgaVersion - Supported = TRUE\n",
     "\n[hasSupportedKX2FirmwareVersion]\n"
     "currentHba->CNAMajorVer   = 4\n"
     "currentHba->CNAMinorVer   = 0\n"
     "currentHba->CNAReleaseVer = 361\n"
     "currentHba->CNABuildVer   = 0\n"
     "\nComparing Major Versions - Cur = 4, fpga = 4\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Minor Versions - Cur = 0, fpga = 0\n"
     "curVersion == fpgaVersion - Continue version test\n"
     "\nComparing Release Versions - Cur = 361, fpga = 360\n"
     "curVersion > fpgaVersion - Supported = TRUE\n"},
};

TEST(FpgaGate, ImagesAreJudgedWithTheirTrace) {
  for (const GateCase& c : kGateCases) {
    CapturedRun r;
    ImageNode n;
    n.CNAMajorVer = c.version[0];
    n.CNAMinorVer = c.version[1];
    n.CNAReleaseVer = c.version[2];
    n.CNABuildVer = c.version[3];
    EXPECT_EQ(isCompatibleKX2FirmwareVersion(r.run, n), c.expected);
    EXPECT_EQ(r.trace(), c.imageTrace);
    EXPECT_EQ(r.console(), "");
  }
}

TEST(FpgaGate, AdaptersAreJudgedWithTheirTrace) {
  for (const GateCase& c : kGateCases) {
    CapturedRun r;
    Adapter a;
    a.CNAMajorVer = c.version[0];
    a.CNAMinorVer = c.version[1];
    a.CNAReleaseVer = c.version[2];
    a.CNABuildVer = c.version[3];
    EXPECT_EQ(hasSupportedKX2FirmwareVersion(r.run, a), c.expected);
    EXPECT_EQ(r.trace(), c.adapterTrace);
  }
}

TEST(FpgaGate, CompareVersionFieldTracesItsOutcome) {
  const struct {
    uint32_t value, fpga;
    int expected;
    const char* trace;
  } cases[] = {
      {3, 4, kFieldBelowFpga, "curVersion < fpgaVersion - Supported = FALSE\n"},
      {5, 4, kFieldAboveFpga, "curVersion > fpgaVersion - Supported = TRUE\n"},
      {4, 4, kFieldEqualToFpga, "curVersion == fpgaVersion - Continue version test\n"},
      {UINT32_MAX, 4, kFieldAboveFpga, "curVersion > fpgaVersion - Supported = TRUE\n"},
  };
  for (const auto& c : cases) {
    CapturedRun r;
    EXPECT_EQ(compareVersionField(r.run, c.value, c.fpga), c.expected);
    EXPECT_EQ(r.trace(), c.trace);
  }
}

TEST(FpgaGate, NothingIsWrittenWithoutTheTrace) {
  CapturedRun r;
  std::fclose(r.run.out.debugTrace);
  r.run.out.debugTrace = nullptr;
  ImageNode n;
  n.CNAMajorVer = 5;
  EXPECT_TRUE(isCompatibleKX2FirmwareVersion(r.run, n));
  EXPECT_EQ(r.console(), "");
}

}  // namespace
}  // namespace vornup
