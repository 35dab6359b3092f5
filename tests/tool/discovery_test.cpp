#include "tool/discovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "simulated_run.h"

namespace vornup {
namespace {

constexpr char kMixedHost[] = R"(
[host]
name = dbserver01

[port]
wwn = 10:00:00:00:c9:7d:00:01
flags = 80007e0d
serial = kf1602a0001
port-type = FC

[port]
wwn = 10:00:00:00:c9:7d:00:02
flags = 00007d00
serial = kf1602a0001
port-type = fc

[port]
mac = 00-90-fa-3a-00-01
flags = 80000000
serial = kc2100b0007
port-type = nic

[port]
wwn = 10:00:00:90:fa:3a:00:02
flags = 8000000a
serial = kc2100b0007
port-type = fcoe

[port]
mac = 00-90-fa-3a-00-03
serial = kc2100b0007
flags = 80
port-type = ISCSI
)";

bool exists(const FixedText<256>& path) { return std::filesystem::exists(path.c_str()); }

TEST(Discovery, OneRecordPerPortInListOrder) {
  SimulatedRun sim(kMixedHost);
  EXPECT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed);
  ASSERT_EQ(sim.run.adapterList.size(), 5u);
  EXPECT_EQ(sim.run.counters.portCount, 5u);
  EXPECT_EQ(sim.calls(), std::vector<std::string>{"listhbas local"});
  const struct {
    const char* wwn;
    const char* mac;
    uint32_t flags;
    const char* serial;
    const char* portType;
    int32_t cnaType;
  } expected[] = {
      {"10:00:00:00:C9:7D:00:01", "", 0x7E0D, "KF1602A0001", "FC", kCnaTypeFc},
      {"10:00:00:00:C9:7D:00:02", "", 0x7D00, "KF1602A0001", "FC", kCnaTypeFc},
      {"", "00-90-FA-3A-00-01", 0, "KC2100B0007", "NIC", kCnaTypeNic},
      {"10:00:00:90:FA:3A:00:02", "", 0xA, "KC2100B0007", "FCoE", kCnaTypeFcoe},
      {"", "00-90-FA-3A-00-03", 0, "KC2100B0007", "iSCSI", kCnaTypeIscsi},
  };
  for (std::size_t i = 0; i < 5; ++i) {
    const Adapter& a = sim.adapter(i + 1);
    EXPECT_EQ(a.adapterNumber, i + 1);
    EXPECT_STREQ(a.wwn.c_str(), expected[i].wwn);
    EXPECT_STREQ(a.mac.c_str(), expected[i].mac);
    EXPECT_EQ(a.flags, expected[i].flags) << i;
    EXPECT_STREQ(a.serialNumber.c_str(), expected[i].serial);
    EXPECT_STREQ(a.portType.c_str(), expected[i].portType);
    EXPECT_EQ(a.cnaType, expected[i].cnaType);
    EXPECT_EQ(a.personality, expected[i].cnaType);
  }
  EXPECT_FALSE(exists(sim.run.tempFilePath));
  EXPECT_EQ(sim.captured.console(), "");
}

TEST(Discovery, PortTypesOtherThanTheConvergedOnesAreFibreChannel) {
  const struct {
    const char* written;
    const char* portType;
    int32_t cnaType;
  } cases[] = {
      {"FC", "FC", kCnaTypeFc},         {"Fibre", "FC", kCnaTypeFc},
      {"", "FC", kCnaTypeFc},           {"F.Co.E", "FCoE", kCnaTypeFcoe},
      {"iscsi", "iSCSI", kCnaTypeIscsi}, {"Nic", "NIC", kCnaTypeNic},
      {"NIC2", "FC", kCnaTypeFc},
  };
  for (const auto& c : cases) {
    SimulatedRun sim(std::string("[port]\nwwn = 10:00:00:00:c9:00:00:01\nflags = 80000000\n"
                                 "serial = s1\nport-type = ") +
                     c.written + "\n");
    ASSERT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed);
    ASSERT_EQ(sim.run.adapterList.size(), 1u);
    EXPECT_STREQ(sim.adapter(1).portType.c_str(), c.portType) << c.written;
    EXPECT_EQ(sim.adapter(1).cnaType, c.cnaType) << c.written;
  }
}

TEST(Discovery, SerialNumbersEndAtACommaAndFlagsDropTheirLeadingByte) {
  const struct {
    const char* serial;
    const char* flags;
    const char* expectedSerial;
    uint32_t expectedFlags;
  } cases[] = {
      {"ab123,xyz", "80007e0d", "AB123", 0x7E0D},
      {"kf 77", "00007d00", "KF", 0x7D00},
      {"", "80", "N/A", 0},
      {"x", "", "X", 0},
      {"y", "8000000000000000000001", "Y", 1},
      {"z", "80ffffffffff", "Z", 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    SimulatedRun sim(std::string("[port]\nwwn = 10:00:00:00:c9:00:00:01\nport-type = FC\n") +
                     "flags = " + c.flags + "\nserial = " + c.serial + "\n");
    ASSERT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed);
    EXPECT_STREQ(sim.adapter(1).serialNumber.c_str(), c.expectedSerial) << c.serial;
    EXPECT_EQ(sim.adapter(1).flags, c.expectedFlags) << c.flags;
  }
}

TEST(Discovery, IncompleteEntryDoesNotSwallowTheNextOne) {
  SimulatedRun sim(R"(
[port]
wwn = 10:00:00:00:c9:00:00:01

[port]
wwn = 10:00:00:00:c9:00:00:02
flags = 80007d00
port-type = iscsi

[port]
mac = 00-90-fa-00-00-04
serial = s4
port-type = NIC

[port]
mac = 00-90-fa-00-00-03
flags = 80001234
serial = s3
port-type = NIC
)");
  ASSERT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed);
  ASSERT_EQ(sim.run.adapterList.size(), 4u);
  const Adapter& bare = sim.adapter(1);
  EXPECT_EQ(bare.flags, 0u);
  EXPECT_STREQ(bare.serialNumber.c_str(), "N/A");
  EXPECT_STREQ(bare.portType.c_str(), "FC");
  EXPECT_EQ(bare.cnaType, kCnaTypeFc);
  EXPECT_EQ(bare.personality, kCnaTypeFc);
  // No serial number: its port type line is still read.
  const Adapter& noSerial = sim.adapter(2);
  EXPECT_EQ(noSerial.flags, 0x7D00u);
  EXPECT_STREQ(noSerial.serialNumber.c_str(), "N/A");
  EXPECT_STREQ(noSerial.portType.c_str(), "iSCSI");
  // No flags line: the serial number and port type are still read.
  const Adapter& noFlags = sim.adapter(3);
  EXPECT_EQ(noFlags.flags, 0u);
  EXPECT_STREQ(noFlags.serialNumber.c_str(), "S4");
  EXPECT_STREQ(noFlags.portType.c_str(), "NIC");
  const Adapter& whole = sim.adapter(4);
  EXPECT_EQ(whole.flags, 0x1234u);
  EXPECT_STREQ(whole.serialNumber.c_str(), "S3");
  EXPECT_STREQ(whole.portType.c_str(), "NIC");
}

TEST(Discovery, ShortAddressesStopAtTheLineEndAndLongOnesAreCut) {
  SimulatedRun sim(R"(
[port]
wwn = 10:00:0a
flags = 80000000
serial = s1
port-type = FC
[port]
mac = 00-90-fa-00-00-03-77-88
flags = 80000000
serial = s2
port-type = NIC
[port]
wwn = 10:00:00:00:c9:00:00:01:99
[host]
fault.listhbas = crlf
)");
  ASSERT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed);
  ASSERT_EQ(sim.run.adapterList.size(), 3u);
  EXPECT_STREQ(sim.adapter(1).wwn.c_str(), "10:00:0A");
  EXPECT_STREQ(sim.adapter(2).mac.c_str(), "00-90-FA-00-00-03");
  EXPECT_STREQ(sim.adapter(3).wwn.c_str(), "10:00:00:00:C9:00:00:01");
  EXPECT_STREQ(sim.adapter(1).serialNumber.c_str(), "S1");
}

// Lines written straight into the output file, for shapes the simulator
// never prints.
class RawListing : public ::testing::Test {
 protected:
  void play(const std::string& text) {
    captured.usePrivateTemp();
    captured.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
    captured.platform.onCommand = [this, text](const std::string&) {
      captured.platform.writeToolOutput(text);
      return 0;
    };
  }
  CapturedRun captured;
  RunState& run = captured.run;
};

TEST_F(RawListing, EntryLineWithoutAValueGetsAPlaceholderAddress) {
  play("Port WWN\nFlags : 80000001\nSerial No. : a\nPort Type : FC\nPermanent MAC :   \n");
  ASSERT_EQ(discoverAdapters(run), DiscoveryOutcome::listed);
  ASSERT_EQ(run.adapterList.size(), 2u);
  EXPECT_STREQ(run.adapterList[0]->wwn.c_str(), "N/A");
  EXPECT_EQ(run.adapterList[0]->flags, 1u);
  EXPECT_STREQ(run.adapterList[1]->mac.c_str(), "N/A");
  EXPECT_TRUE(run.adapterList[1]->wwn.empty());
}

TEST_F(RawListing, FieldsOnTheEntryLineItselfCount) {
  play("Port WWN : 10:00:00:00:c9:00:00:01 Flags : 80000042 Serial No. : q Port Type : nic\n"
       "Port Type : FCoE\n");
  ASSERT_EQ(discoverAdapters(run), DiscoveryOutcome::listed);
  ASSERT_EQ(run.adapterList.size(), 1u);
  EXPECT_EQ(run.adapterList[0]->flags, 0x42u);
  EXPECT_STREQ(run.adapterList[0]->serialNumber.c_str(), "Q");
  EXPECT_STREQ(run.adapterList[0]->portType.c_str(), "NIC");
}

TEST_F(RawListing, EmptyListIsNoErrorHere) {
  play("Manageable HBA List\n\n");
  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::listed);
  EXPECT_EQ(run.counters.portCount, 0u);
  EXPECT_TRUE(run.adapterList.empty());
}

// The messages of these outcomes are the outcome table's (tests/driver).
TEST_F(RawListing, MissingOutputFileIsAToolError) {
  captured.usePrivateTemp();
  run.programName = "vornup.exe";
  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::replyUnreadable);
  EXPECT_EQ(captured.console(), "");
}

TEST_F(RawListing, NoTemporaryFileMeansTheCommandIsNotRun) {
  run.programName = "vornup.exe";
  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::toolFailed);
  EXPECT_TRUE(captured.platform.commands.empty());
  EXPECT_EQ(captured.console(), "");
}

TEST_F(RawListing, CommandLineQuotesTheOutputFileAndTellsUnderVerbose) {
  play("");
  run.sw.verbose = true;
  run.sw.remote = true;
  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::listed);
  ASSERT_EQ(captured.platform.commands.size(), 1u);
  EXPECT_EQ(captured.platform.commands[0],
            std::string("\"/opt/korvane/Quenmar/Tandrel\" listhbas > \"") +
                run.tempFilePath.c_str() + "\"");
  EXPECT_EQ(captured.console(),
            "\nvornup.exe : executing command : \"/opt/korvane/Quenmar/Tandrel\" listhbas ...");
}

TEST(Discovery, RemoteSwitchListsRemotePortsToo) {
  const char* host = R"(
[port]
wwn = 10:00:00:00:c9:00:00:01
[port]
wwn = 10:00:00:00:c9:00:00:02
remote = yes
)";
  SimulatedRun local(host);
  EXPECT_EQ(discoverAdapters(local.run), DiscoveryOutcome::listed);
  EXPECT_EQ(local.run.adapterList.size(), 1u);
  SimulatedRun remote(host);
  remote.run.sw.remote = true;
  EXPECT_EQ(discoverAdapters(remote.run), DiscoveryOutcome::listed);
  EXPECT_EQ(remote.run.adapterList.size(), 2u);
  EXPECT_EQ(remote.calls(), std::vector<std::string>{"listhbas"});
}

struct ErrorCase {
  const char* error;
  unsigned line;
  DiscoveryOutcome outcome;
};

TEST(Discovery, DriverAndServiceErrorsCountInTheFirstTenLinesOnly) {
  const ErrorCase cases[] = {
      {"driver-not-loaded", 1, DiscoveryOutcome::driverNotLoaded},
      {"driver-not-loaded", 10, DiscoveryOutcome::driverNotLoaded},
      {"driver-not-loaded", 11, DiscoveryOutcome::listed},
      {"brackmond-not-running", 3, DiscoveryOutcome::serviceNotRunning},
      {"brackmond-not-running", 10, DiscoveryOutcome::serviceNotRunning},
      {"brackmond-not-running", 11, DiscoveryOutcome::listed},
  };
  for (const ErrorCase& c : cases) {
    SimulatedRun sim(std::string("[host]\nlisthbas-error = ") + c.error +
                     "\nlisthbas-error-line = " + std::to_string(c.line) +
                     "\n[port]\nwwn = 10:00:00:00:c9:00:00:01\n");
    EXPECT_EQ(discoverAdapters(sim.run), c.outcome) << c.error << " " << c.line;
    EXPECT_EQ(sim.captured.console(), "") << c.error << " " << c.line;
    const bool listed = c.outcome == DiscoveryOutcome::listed;
    EXPECT_EQ(sim.run.adapterList.size(), listed ? 1u : 0u);
    EXPECT_FALSE(exists(sim.run.tempFilePath));
  }
}

TEST_F(RawListing, DriverErrorWinsOverServiceError) {
  play("Error 1 getting remote HBAs for host 'localhost'\nthe driver is not loaded\n");
  EXPECT_EQ(discoverAdapters(run), DiscoveryOutcome::driverNotLoaded);
  EXPECT_EQ(captured.console(), "");
}

TEST(Discovery, DamagedListsNeverOverrunARecord) {
  const char* modes[] = {"no-output", "garbage", "cut-off", "exit-status", "huge",
                         "long-lines", "nul-ff", "crlf"};
  for (const char* mode : modes) {
    SimulatedRun sim(std::string("[host]\nfault.listhbas = ") + mode + "\n" + kMixedHost);
    EXPECT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed) << mode;
    EXPECT_LE(sim.run.adapterList.size(), 5u) << mode;
    for (const auto& a : sim.run.adapterList) {
      EXPECT_LE(a->wwn.length(), 23u) << mode;
      EXPECT_LE(a->mac.length(), 17u) << mode;
    }
    EXPECT_FALSE(exists(sim.run.tempFilePath)) << mode;
  }
}

TEST(Discovery, UndamagedShapesOfTheListReadTheSame) {
  const char* modes[] = {"exit-status", "huge", "long-lines", "crlf"};
  for (const char* mode : modes) {
    SimulatedRun sim(std::string("[host]\nfault.listhbas = ") + mode + "\n" + kMixedHost);
    ASSERT_EQ(discoverAdapters(sim.run), DiscoveryOutcome::listed) << mode;
    ASSERT_EQ(sim.run.adapterList.size(), 5u) << mode;
    EXPECT_STREQ(sim.adapter(4).wwn.c_str(), "10:00:00:90:FA:3A:00:02") << mode;
    EXPECT_STREQ(sim.adapter(5).serialNumber.c_str(), "KC2100B0007") << mode;
    EXPECT_STREQ(sim.adapter(5).portType.c_str(), "iSCSI") << mode;
  }
}

TEST(NewAdapterRecord, NumbersFollowTheCount) {
  CapturedRun captured;
  captured.run.counters.portCount = 6;
  Adapter* a = newAdapterRecord(captured.run);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->adapterNumber, 7u);
  EXPECT_EQ(a->personality, kCnaTypeNic);
  EXPECT_EQ(a->cnaType, kCnaTypeFc);
  EXPECT_TRUE(a->model.empty());
  EXPECT_EQ(captured.run.adapterList.back().get(), a);
}

}  // namespace
}  // namespace vornup
