// The exit codes of operation runs that the rack runs do not reach, each on
// a small simulated host: no compatible image, adapters the run finds
// unsupported, no known adapter, missing image directories.
#include <gtest/gtest.h>

#include <string>

#include "e2e/korvane_ports.h"
#include "e2e/simulated_host.h"
#include "platform/host_names.h"

namespace vornup {
namespace {

using namespace ports;

constexpr uint8_t kAllZF = 225;
constexpr uint8_t kPrgZP = 230;

using OperationExitCodes = SimulatedHostTest;

TEST_F(OperationExitCodes, DirectoriesWithoutAcceptableImagesGive7) {
  describeHost({kKf1602});
  host.writeInstallFile("firmware/readme.txt", "Put the firmware images here.\n");
  host.writeInstallFile("firmware/broken.all", "not an image");
  RunResult result = host.run({"/auto", "/update", "/v"});
  EXPECT_EQ(result.exitCode, 7) << result.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_TRUE(contains(result.console, note("No matching firmware found for HBA: KF1602") +
                                           note("No compatible boot code found for HBA = KF1602")));
  EXPECT_TRUE(
      contains(result.console, statusLine("No compatible firmware and/or boot code found", 7)));
}

TEST_F(OperationExitCodes, ForcedBootCodeOnConvergedAdaptersOnlyGives7) {
  describeHost({kKc2100Nic, kKc2100Fcoe});
  RunResult result = host.run({"/auto", "/fb"});
  EXPECT_EQ(result.exitCode, 7) << result.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_TRUE(contains(result.console,
                       statusLine("Installed adapters do not support boot code downloads", 7)));
}

TEST_F(OperationExitCodes, NothingToDoBesideAnUnsupportedAdapterGives12) {
  describeHost({kKf1602, kGatedOld});
  writeFirmwareAll("zf282a4.all", kAllZF, "282A4");
  RunResult result = host.run({"/auto", "/update"});
  EXPECT_EQ(result.exitCode, 12) << result.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_TRUE(contains(result.console, statusLine("No updates required", 12)));
}

TEST_F(OperationExitCodes, EveryDownloadFailedBesideAnUnsupportedAdapterGives13) {
  describeHost({withSetting(kKf1602, "download = fail"), kGatedOld});
  writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
  writeBootPrg("zp530a0.prg", kPrgZP, "530A0");
  RunResult result = host.run({"/auto", "/update"});
  EXPECT_EQ(result.exitCode, 13) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all")),
                          downloadCommand(kKf1602Wwn, bootPath("zp530a0.prg"))}));
  EXPECT_EQ(occurrences(result.console, "Status=Error\n"), 2u);
  EXPECT_TRUE(contains(result.console, statusLine("Error - all required updates failed", 13)));
}

TEST_F(OperationExitCodes, OnlyUnsupportedAdaptersGive15EvenSilently) {
  describeHost({kGatedOld});
  writeFirmwareUfi("kc21-4100.ufi", "4.1.0.0");
  RunResult result = host.run({"/auto", "/update", "/s", "/log=quiet.log"});
  EXPECT_EQ(result.exitCode, 15);
  EXPECT_EQ(result.console, "");
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_EQ(host.readWorkFile("quiet.log"),
            statusLine("Error - no supported Korvane HBAs found", 15) + "\n\n");
}

TEST_F(OperationExitCodes, OnlyAnIncompatibleImageBesideAnUnsupportedAdapterGives16) {
  // The table names an image below the fpga version for the gated adapter
  // that is at it: no compatible image.
  describeHost({kGatedCurrent, kGatedOld});
  writeFirmwareUfi("kc21-4030.ufi", "4.0.300.0");
  writeFwmatrix("KC2100-FCoE kc21-4030.ufi\nKC2100-NIC kc21-4030.ufi\n");
  RunResult result = host.run({"/update", "/v"});
  EXPECT_EQ(result.exitCode, 16) << result.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_TRUE(
      contains(result.console,
               note("Error - Incompatible firmware image for HBA = KC2100-FCoE, status = 0")));
  EXPECT_TRUE(contains(result.console, statusLine("No compatible firmware found", 16)));
}

TEST_F(OperationExitCodes, NoKnownAdapterGives5) {
  describeHost({kUnknownModel});
  writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
  writeFwmatrix("UNKNOWN_MODEL zf290a1.all\n");
  RunResult result = host.run({"/update"});
  EXPECT_EQ(result.exitCode, 5) << result.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_TRUE(contains(result.console, statusLine("Error - no supported Korvane HBAs found", 5)));
}

TEST_F(OperationExitCodes, MissingImageDirectoriesGive6BeforeTheToolRuns) {
  describeHost({kKf1602});
  struct Case {
    const char* missing;
    const char* reason;
  };
  const Case cases[] = {{"firmware", "the firmware subdirectory was not found"},
                        {"boot", "the boot subdirectory was not found"}};
  for (const Case& c : cases) {
    host.makeInstallDirectory("firmware");
    host.makeInstallDirectory("boot");
    host.removeInstallFile(c.missing);
    RunResult result = host.run({"/auto", "/f"});
    EXPECT_EQ(result.exitCode, 6) << c.missing;
    EXPECT_EQ(result.console,
              note(std::string("Error - ") + c.reason + " - Return Code=6") + "\n\n\n");
    EXPECT_EQ(takeToolCommands(), std::vector<std::string>()) << c.missing;
  }
}

}  // namespace
}  // namespace vornup
