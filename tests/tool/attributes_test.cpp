#include "tool/attributes.h"

#include <gtest/gtest.h>

#include <string>

#include "simulated_run.h"
#include "tool/discovery.h"

namespace vornup {
namespace {

constexpr char kWwn[] = "10:00:00:00:C9:7D:00:01";

// One Fibre Channel port of the 16G family; `extra` adds or replaces keys.
std::string fcPort(const std::string& extra) {
  return "[port]\nwwn = 10:00:00:00:c9:7d:00:01\nflags = 80007e0d\nserial = kf1602a0001\n"
         "port-type = FC\nbus = 0B\ndevice-id = 7D00\nvendor-id = 1A5C\nsub-vendor-id = 1A5C\n"
         "header-type = 80\nwakeup-token = 0000E700\n" +
         extra;
}

// Discovers the host and reads the attributes of its first port.
Adapter& readFirstPort(SimulatedRun& sim) {
  EXPECT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed);
  EXPECT_FALSE(sim.run.adapterList.empty());
  Adapter& a = sim.adapter(1);
  readAdapterAttributes(sim.run, a);
  return a;
}

std::vector<std::string> calls(std::initializer_list<std::string> commands) {
  std::vector<std::string> all = {"listhbas local"};
  all.insert(all.end(), commands);
  return all;
}

TEST(ReadAdapterAttributes, DisabledBootCodeIsEnabledForTheReadingAndDisabledAgain) {
  SimulatedRun sim(fcPort("sub-device-id = 7D99\nfw-version = 2.82A4\nboot-code = Disabled\n"
                          "boot-version = 5.12a0\n"),
                   SimulatedRun::Route::commandLines);
  Adapter& a = readFirstPort(sim);
  const std::string w = kWwn;
  EXPECT_EQ(sim.calls(), calls({"hbaattrib " + w, "enablebootcode " + w + " E", "hbaattrib " + w,
                                "wakeup " + w, "enablebootcode " + w + " D", "pcidata " + w}));
  // The program's own command lines: quoted tool, arguments, quoted output file.
  const std::vector<std::string>& lines = sim.captured.platform.commands;
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "\"/opt/korvane/Quenmar/Tandrel\" enablebootcode " + w + " E > \"" +
                          sim.run.tempFilePath.c_str() + "\"");
  EXPECT_EQ(a.bus, 0xBu);
  EXPECT_EQ(a.pciID, 0x7D00u);
  EXPECT_EQ(a.vendorID, 0x1A5Cu);
  EXPECT_EQ(a.subSysDevID, 0x7D99u);
  EXPECT_EQ(a.subVenDevID, 0x1A5Cu);
  EXPECT_STREQ(a.fwVersion.c_str(), "282A4");
  EXPECT_STREQ(a.bootCodeVersion.c_str(), "512A0");
  EXPECT_EQ(a.bootEnabled, 0);
  EXPECT_STREQ(a.bootCodeType.c_str(), "ZU");
  EXPECT_STREQ(a.model.c_str(), "KF1602");
  EXPECT_STREQ(a.vornupType.c_str(), "KF1602");
  EXPECT_STREQ(a.fwType.c_str(), "ZF");
  EXPECT_EQ(a.supported, 1);
  EXPECT_EQ(a.flags, 0x7E0Du);
  EXPECT_EQ(sim.run.counters.bootCapableCount, 1u);
  EXPECT_EQ(sim.run.counters.knownPortCount, 1u);
  EXPECT_TRUE(sim.simulation.host.ports[0].fields["boot-code"] == "Disabled");
  EXPECT_NE(sim.captured.trace().find("\n[isCindralBlade]\nadapterNumber = 1\n"
                                      "deviceID      = 7D00\nsubSystemID   = 7D99\n"
                                      "subVendorID   = 1A5C\nisCindralBlade = FALSE\n"),
            std::string::npos);
}

struct BootCase {
  const char* bootCode;  // the port's "Boot Code" value, or null for no label
  std::vector<std::string> commands;  // after the first hbaattrib
  const char* bootCodeVersion;
  int32_t bootEnabled;
  const char* bootCodeType;
};

TEST(ReadAdapterAttributes, BootCodeStatesAndTheirCommands) {
  const std::string w = kWwn;
  const std::string wakeup = "wakeup " + w;
  const std::string disable = "enablebootcode " + w + " D";
  const BootCase cases[] = {
      {nullptr, {}, "NONE", 0, ""},
      {"Enabled", {wakeup}, "512A0", 1, "HU"},
      {"enabled", {wakeup}, "512A0", 1, "HU"},
      {"Unknown", {wakeup}, "512A0", 1, "HU"},
      {"None", {wakeup, disable}, "NONE", 0, "HU"},
      {"Not installed", {wakeup, disable}, "NONE", 0, "HU"},
      {"Disabled", {"enablebootcode " + w + " E", "hbaattrib " + w, wakeup, disable}, "512A0", 0,
       "HU"},
  };
  for (const BootCase& c : cases) {
    std::string host = "[port]\nwwn = " + w + "\nport-type = FC\ndevice-id = 5100\n" +
                       "fw-version = 1.10A3\nboot-version = 5.12A0\nwakeup-token = 00006700\n";
    if (c.bootCode != nullptr) host += std::string("boot-code = ") + c.bootCode + "\n";
    SimulatedRun sim(host);
    SCOPED_TRACE(c.bootCode != nullptr ? c.bootCode : "no label");
    Adapter& a = readFirstPort(sim);
    std::vector<std::string> expected = {"listhbas local", "hbaattrib " + w};
    expected.insert(expected.end(), c.commands.begin(), c.commands.end());
    EXPECT_EQ(sim.calls(), expected);
    EXPECT_STREQ(a.bootCodeVersion.c_str(), c.bootCodeVersion);
    EXPECT_EQ(a.bootEnabled, c.bootEnabled);
    EXPECT_STREQ(a.bootCodeType.c_str(), c.bootCodeType);
    EXPECT_STREQ(a.model.c_str(), "KF210");
    EXPECT_EQ(sim.run.counters.bootCapableCount, 1u);
  }
}

struct VersionCase {
  const char* fwVersion;  // null: no "FW Version" label
  const char* sli3;
  const char* sli2;
  const char* expected;
  const char* trace;  // the firmware version lines of the trace
};

TEST(ReadAdapterAttributes, FibreChannelVersionFallbacks) {
  const char* shortLine = "FW Version is shorter than expected! FW Version = ";
  const char* defaultLine =
      "SLI2 and SLI3 FW Versions are not valid. Append a default relase code and revision.\n";
  const VersionCase cases[] = {
      {"2.72A2", nullptr, nullptr, "272A2", ""},
      {"2.72", nullptr, nullptr, "272A0", "272\n#Assigned FW Version = 272A0\n"},
      // A present but empty SLI3 value still replaces the version.
      {"272", "", nullptr, "", "272\nRetried with SLI3 FW = \n#Assigned FW Version = \n"},
      {"2.7", "2.82A4", "9.99A9", "282A4",
       "27\nRetried with SLI3 FW = 282A4\nAssigned FW Version = 282A4\n"},
      {"2.7", "2.8", "3.10a1", "310A1",
       "27\nRetried with SLI3 FW = 28\nRetried with SLI2 FW = 310A1\nAssigned FW Version = 310A1\n"},
      {"2.7", "2.8", "3.1", "31",
       "27\nRetried with SLI3 FW = 28\nRetried with SLI2 FW = 31\n#Assigned FW Version = 31\n"},
      {"", nullptr, nullptr, "", "\n#Assigned FW Version = \n"},
      {nullptr, "2.82A4", nullptr, "N/A", ""},
  };
  for (const VersionCase& c : cases) {
    std::string host = "[port]\nwwn = 10:00:00:00:c9:00:00:01\ndevice-id = 5100\n";
    if (c.fwVersion != nullptr) host += std::string("fw-version = ") + c.fwVersion + "\n";
    if (c.sli3 != nullptr) host += std::string("sli3-fw = ") + c.sli3 + "\n";
    if (c.sli2 != nullptr) host += std::string("sli2-fw = ") + c.sli2 + "\n";
    SimulatedRun sim(host);
    SCOPED_TRACE(c.fwVersion != nullptr ? c.fwVersion : "no label");
    Adapter& a = readFirstPort(sim);
    EXPECT_STREQ(a.fwVersion.c_str(), c.expected);
    std::string trace = sim.captured.trace();
    std::string expected = c.trace;
    if (!expected.empty()) {
      expected = shortLine + expected;
      std::size_t mark = expected.find('#');
      if (mark != std::string::npos) expected.replace(mark, 1, defaultLine);
      EXPECT_NE(trace.find(expected), std::string::npos) << trace;
    } else {
      EXPECT_EQ(trace.find(shortLine), std::string::npos);
    }
    EXPECT_EQ(trace.find("Assigned FW Version") == std::string::npos, expected.empty());
  }
}

TEST(ReadAdapterAttributes, CindralBladeTakesItsFlags) {
  SimulatedRun sim(fcPort("sub-device-id = 7D2A\nfw-version = 2.82A4\nboot-code = Enabled\n"
                          "boot-version = 5.12A0\n"));
  Adapter& a = readFirstPort(sim);
  EXPECT_EQ(a.flags, 0x7D0Bu);
  EXPECT_STREQ(a.model.c_str(), "KF1602CB");
  EXPECT_NE(sim.captured.trace().find("subSystemID   = 7D2A\nsubVendorID   = 1A5C\n"
                                      "isCindralBlade = TRUE\n"),
            std::string::npos);
}

TEST(ReadAdapterAttributes, NoBladeTraceForOtherDevices) {
  SimulatedRun sim("[port]\nwwn = 10:00:00:00:c9:00:00:01\ndevice-id = 7D40\n"
                   "sub-vendor-id = 1A5C\nsub-device-id = 7D2A\nflags = 80007e0d\n");
  Adapter& a = readFirstPort(sim);
  EXPECT_EQ(a.flags, 0x7E0Du);
  EXPECT_EQ(sim.captured.trace().find("[isCindralBlade]"), std::string::npos);
}

TEST(ReadAdapterAttributes, HalvardListedAsFcoeIsReadAsFibreChannel) {
  SimulatedRun sim("[port]\nwwn = 10:00:00:00:c9:6c:00:01\nport-type = FCoE\nserial = kh1\n"
                   "device-id = 6C00\nfw-version = 1.2.3.4\nboot-code = Enabled\n"
                   "boot-version = 1.10\nheader-type = 00\n");
  Adapter& a = readFirstPort(sim);
  EXPECT_EQ(a.cnaType, kCnaTypeFc);
  EXPECT_EQ(a.personality, kCnaTypeFc);
  EXPECT_STREQ(a.fwVersion.c_str(), "1.2.3.4");
  EXPECT_EQ(a.CNAMajorVer, 1u);
  EXPECT_EQ(a.CNABuildVer, 4u);
  EXPECT_EQ(a.imageFamily, ImageFamily::halvard);
  EXPECT_STREQ(a.bootCodeVersion.c_str(), "110");
  EXPECT_EQ(a.bootEnabled, 1);
  EXPECT_STREQ(a.bootCodeType.c_str(), "");
  EXPECT_STREQ(a.model.c_str(), "KH3201");
  EXPECT_STREQ(a.fwType.c_str(), "G");
  EXPECT_EQ(sim.run.counters.bootCapableCount, 0u);
  EXPECT_EQ(sim.calls(),
            calls({"hbaattrib 10:00:00:00:C9:6C:00:01", "pcidata 10:00:00:00:C9:6C:00:01"}));
}

struct ConvergedCase {
  const char* deviceId;
  const char* fwVersion;
  const char* expected;
  uint32_t numbers[4];
  ImageFamily imageFamily;
};

TEST(ReadAdapterAttributes, ConvergedVersionsKeepTheirDots) {
  const ConvergedCase cases[] = {
      {"3A00", "2.0.360.15", "2.1.360.15", {2, 1, 360, 15}, ImageFamily::kx2},
      {"3A10", "3.0.1.2", "3.1.1.2", {2, 1, 1, 2}, ImageFamily::kx3},
      {"3A12", "4.0.360.15", "4.0.360.15", {4, 0, 360, 15}, ImageFamily::kx3},
      {"3A04", "2.", "2.1", {2, 1, 0, 0}, ImageFamily::kx2},
      {"3A04", "2", "2", {2, 0, 0, 0}, ImageFamily::kx2},
      {"1234", "4.1.0.0", "4.1.0.0", {4, 1, 0, 0}, ImageFamily::none},
      // A Fibre Channel device ID: its images go by type code, not by family.
      {"5100", "4.1.0.0", "4.1.0.0", {4, 1, 0, 0}, ImageFamily::none},
  };
  for (const ConvergedCase& c : cases) {
    SimulatedRun sim(std::string("[port]\nmac = 00-90-fa-3a-00-01\nport-type = NIC\n") +
                     "device-id = " + c.deviceId + "\nfw-version = " + c.fwVersion +
                     "\nboot-code = 4.0.1.0,x\n");
    SCOPED_TRACE(c.fwVersion);
    Adapter& a = readFirstPort(sim);
    EXPECT_STREQ(a.fwVersion.c_str(), c.expected);
    EXPECT_EQ(a.CNAMajorVer, c.numbers[0]);
    EXPECT_EQ(a.CNAMinorVer, c.numbers[1]);
    EXPECT_EQ(a.CNAReleaseVer, c.numbers[2]);
    EXPECT_EQ(a.CNABuildVer, c.numbers[3]);
    EXPECT_EQ(a.imageFamily, c.imageFamily);
    EXPECT_STREQ(a.bootCodeVersion.c_str(), "4.0.1.0");
    EXPECT_EQ(sim.calls(), calls({"hbaattrib 00-90-FA-3A-00-01"}));
  }
}

TEST(ReadAdapterAttributes, ConvergedFunctionWithoutBootCodeLabel) {
  SimulatedRun sim("[port]\nmac = 00-90-fa-3a-00-01\nport-type = iSCSI\ndevice-id = 3A02\n"
                   "fw-version = 4.1.0.0\n");
  Adapter& a = readFirstPort(sim);
  EXPECT_STREQ(a.bootCodeVersion.c_str(), "N/A");
  EXPECT_STREQ(a.model.c_str(), "KC2100");
  EXPECT_STREQ(a.fwType.c_str(), "C");
  EXPECT_EQ(a.supported, 1);
}

TEST(ReadAdapterAttributes, PlaceholdersMakeAKnownModelUnsupported) {
  const char* hosts[] = {
      "[port]\nwwn = 00:00:00:00:00:00:00:00\ndevice-id = 5100\nfw-version = 1.10A3\n",
      "[port]\nwwn = 10:00:00:00:c9:00:00:01\ndevice-id = 5100\n",
      "[port]\nmac = 00-00-00-00-00-00\nport-type = NIC\ndevice-id = 3A00\nfw-version = 4.1.0.0\n",
  };
  for (const char* host : hosts) {
    SimulatedRun sim(host);
    Adapter& a = readFirstPort(sim);
    EXPECT_STREQ(a.model.c_str(), a.cnaType == kCnaTypeNic ? "KC2100" : "KF210") << host;
    EXPECT_EQ(a.supported, 0) << host;
    EXPECT_EQ(sim.run.counters.knownPortCount, 1u) << host;
  }
}

TEST(ReadAdapterAttributes, UnknownDeviceKeepsTheDefaultsOfAnEmptyReply) {
  SimulatedRun sim("[port]\nwwn = 10:00:00:00:c9:00:00:01\n[host]\nfault.hbaattrib = no-output\n");
  Adapter& a = readFirstPort(sim);
  EXPECT_EQ(a.pciID, 0u);
  EXPECT_STREQ(a.fwVersion.c_str(), "N/A");
  EXPECT_STREQ(a.bootCodeVersion.c_str(), "NONE");
  EXPECT_STREQ(a.model.c_str(), "UNKNOWN_MODEL");
  EXPECT_STREQ(a.bootCodeType.c_str(), "XX");
  EXPECT_EQ(a.supported, 0);
  EXPECT_EQ(sim.run.counters.knownPortCount, 0u);
}

// The 16G port with every attribute reply damaged in the way `mode` names.
std::string damagedFcHost(const std::string& bootCode, const std::string& mode) {
  return fcPort("sub-device-id = 7D99\nfw-version = 2.82A4\nboot-version = 5.12A0\n"
                "boot-code = " + bootCode + "\n[host]\nfault.hbaattrib = " + mode +
                "\nfault.wakeup = " + mode + "\nfault.pcidata = " + mode + "\n");
}

TEST(ReadAdapterAttributes, DamagedRepliesNeverOverrunARecord) {
  const char* modes[] = {"no-output", "garbage", "cut-off", "exit-status", "huge",
                         "long-lines", "nul-ff", "crlf"};
  for (const char* mode : modes) {
    SimulatedRun sim(damagedFcHost("Disabled", mode));
    SCOPED_TRACE(mode);
    Adapter& a = readFirstPort(sim);
    EXPECT_LT(a.fwVersion.length(), 32u);
    EXPECT_LT(a.bootCodeVersion.length(), 96u);
    EXPECT_LE(a.bootCodeType.length(), 2u);
    EXPECT_LE(a.fwType.length(), 2u);
  }
}

TEST(ReadAdapterAttributes, ReplyShapesThatKeepTheirValues) {
  // Lines of 10,000 characters fill the reply buffer before the values.
  const char* modes[] = {"exit-status", "huge", "crlf"};
  for (const char* mode : modes) {
    SimulatedRun sim(damagedFcHost("Enabled", mode));
    SCOPED_TRACE(mode);
    Adapter& a = readFirstPort(sim);
    EXPECT_STREQ(a.fwVersion.c_str(), "282A4");
    EXPECT_STREQ(a.bootCodeVersion.c_str(), "512A0");
    EXPECT_STREQ(a.model.c_str(), "KF1602");
    EXPECT_STREQ(a.bootCodeType.c_str(), "ZU");
  }
}

}  // namespace
}  // namespace vornup
