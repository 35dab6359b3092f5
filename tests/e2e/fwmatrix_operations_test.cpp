// Every operation in the default mode, end to end: fwmatrix.txt beside the
// program names the firmware and boot code file of each adapter type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/rack_fixture.h"
#include "platform/host_names.h"

namespace vornup {
namespace {

using namespace ports;

// The rack with the second-generation converged adapter, whose downloads do
// not ask for a reboot.
class FwmatrixOperations : public RackTest {
 protected:
  FwmatrixOperations() { describeHost({kKf1602, kKf810, kKc3200Nic, kKc3200Fcoe}); }
};

TEST_F(FwmatrixOperations, UpdateFromTheTableAndASecondRunHasNothingToDo) {
  // The Fibre Channel type is compared up to its first '-'; the last column
  // of the converged line is ignored; entries naming no known model are
  // only reported.
  writeFwmatrix(
      "/ Korvane update table: adapter type, firmware file, boot code file\n"
      "KF1602-16G zf290a1.all zp530a0.prg\n"
      "KF810\tbf210a6.all\tbb440a0.prg\n"
      "KC3200-FCoE kc32-4200.ufi zu500a0.prg\n"
      "KX9999 zf290a1.all\n");
  const std::vector<std::string> args = {"/update", "/v", "/xv"};
  RunResult first = host.run(args);
  EXPECT_EQ(first.exitCode, 0) << first.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all")),
                          downloadCommand(kKf1602Wwn, bootPath("zp530a0.prg")),
                          downloadCommand(kKf810Wwn, bootPath("bb440a0.prg")), kKf810BootOff,
                          downloadCommand(kKc3200Mac, firmwarePath("kc32-4200.ufi"))}));
  const std::vector<std::string> results = {
      resultLine(kKf1602Line, "Firmware", "zf290a1.all", "290A1", "282A4", "Success"),
      resultLine(kKf1602Line, "Boot Code", "zp530a0.prg", "530A0", "512A0", "Success"),
      resultLine(kKf810Line, "Boot Code", "bb440a0.prg", "440A0", "430A2", "Success"),
      resultLine(kKc3200NicLine, "Firmware", "kc32-4200.ufi", "4.2.0.0", "4.1.0.0", "Success"),
      resultLine(kKc3200FcoeLine, "Firmware", "kc32-4200.ufi", "4.2.0.0", "4.1.0.0", "Success"),
  };
  EXPECT_EQ(resultLines(beforeSummary(first.console)), results);
  EXPECT_EQ(first.console.rfind("Found unknown fwmatrix.txt entry = KF1602-16G\n"
                                "Found unknown fwmatrix.txt entry = KX9999\n",
                                0),
            0u)
      << first.console;
  EXPECT_TRUE(contains(first.console, note("A firmware update was not required on HBA: KF810")));
  // The KC3200 did not ask for a reboot.
  EXPECT_TRUE(contains(first.console, statusLine("All required updates succeeded", 0) + "\n\n"));
  EXPECT_FALSE(contains(first.console, "Please reboot"));
  std::string trace = host.readWorkFile("dbg.log");
  EXPECT_TRUE(contains(trace,
                       "HBA Model      = KF1602\nVornup Type  = KF1602\n"
                       "FW Matrix Type = KF1602\n"))
      << trace;
  EXPECT_EQ(occurrences(trace, "Skipping adapter...\n"), 1u);

  RunResult second = host.run(args);
  EXPECT_EQ(second.exitCode, 1) << second.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_EQ(resultLines(second.console), std::vector<std::string>());
  EXPECT_TRUE(contains(second.console, statusLine("No updates required", 1)));
}

TEST_F(FwmatrixOperations, DowngradeToTheNamedOlderImages) {
  writeFwmatrix(
      "KF1602 zf280a2.all zu500a0.prg\n"
      "KF810 bf210a6.all bb420a0.prg\n"
      "KC3200-FCoE kc32-4030.ufi\n");
  RunResult result = host.run({"/downgrade", "/v"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf280a2.all")),
                          downloadCommand(kKf1602Wwn, bootPath("zu500a0.prg")),
                          downloadCommand(kKf810Wwn, bootPath("bb420a0.prg")), kKf810BootOff,
                          downloadCommand(kKc3200Mac, firmwarePath("kc32-4030.ufi"))}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)).size(), 5u) << result.console;
  EXPECT_TRUE(
      contains(result.console, note("A firmware downgrade was not required on HBA: KF810")));
  EXPECT_TRUE(contains(result.console, statusLine("All required downgrades succeeded", 0)));
}

TEST_F(FwmatrixOperations, RewritePreviewWithQueryLines) {
  // Every named image is the installed version.
  writeFwmatrix(
      "KF1602 zf282a4.all zu512a0.prg\n"
      "KF810 bf210a6.all bb430a2.prg\n"
      "KC3200-FCoE kc32-4100.ufi\n");
  RunResult result = host.run({"/rewrite", "/p", "/q"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd({kKf810BootOff}));
  EXPECT_EQ(
      resultLines(result.console),
      (std::vector<std::string>{
          resultLine(kKf1602Line, "Firmware", "zf282a4.all", "282A4", "282A4", "Preview"),
          resultLine(kKf1602Line, "Boot Code", "zu512a0.prg", "512A0", "512A0", "Preview"),
          resultLine(kKf810Line, "Firmware", "bf210a6.all", "210A6", "210A6", "Preview"),
          resultLine(kKf810Line, "Boot Code", "bb430a2.prg", "430A2", "430A2", "Preview"),
          resultLine(kKc3200NicLine, "Firmware", "kc32-4100.ufi", "4.1.0.0", "4.1.0.0", "Preview"),
          resultLine(kKc3200FcoeLine, "Firmware", "kc32-4100.ufi", "4.1.0.0", "4.1.0.0", "Preview"),
      }));
  // In this mode the query line names the image by its identifier.
  const char* queryLines[] = {
      "\nHBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01, PCI ID=7D00, VID=1A5C, "
      "SSID=7D99, SVID=1A5C, Firmware=ZF282A4, Boot Code=ZU512A0, "
      "Supported Firmware=ZF282A4, Boot Code Enabled=1\n",
      "\nHBA=KF810, Port Type=FC, WWN=10:00:00:00:C9:54:00:01, PCI ID=5400, VID=1A5C, "
      "SSID=5401, SVID=1A5C, Firmware=BF210A6, Boot Code=BB430A2, "
      "Supported Boot Code=BB430A2, Boot Code Enabled=0\n",
      "\nHBA=KC3200-FCoE, Port Type=FCoE, WWN=10:00:00:90:FA:3B:00:02, PCI ID=3A14, VID=1A5C, "
      "SSID=3A15, SVID=1A5C, Firmware=4.1.0.0, Boot Code=4.1.0.0, "
      "Supported Firmware=4.1.0.0\n",
  };
  for (const char* line : queryLines) {
    EXPECT_TRUE(contains(result.console, line)) << line << result.console;
  }
  EXPECT_TRUE(contains(result.console, statusLine("All required rewrites succeeded", 0) + "\n\n"));
}

TEST_F(FwmatrixOperations, ForcedFirmwareWithGatedAdapters) {
  // The gated adapter at the fpga version is offered an image below it; the
  // one below it is not handled at all.
  describeHost({kKf1602, kGatedCurrent, kGatedOld});
  writeFwmatrix(
      "KF1602 zf280a2.all\n"
      "KC2100-FCoE kc21-4030.ufi\n"
      "KC2100-NIC kc21-4100.ufi\n");
  RunResult result = host.run({"/ff", "/v", "/q"});
  EXPECT_EQ(result.exitCode, 14) << result.console;
  // Forced: KF1602 takes the older image.
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf280a2.all"))}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)),
            std::vector<std::string>{
                resultLine(kKf1602Line, "Firmware", "zf280a2.all", "280A2", "282A4", "Success")});
  EXPECT_TRUE(
      contains(result.console,
               ", Supported Firmware=NONE" +
                   note("Error - Incompatible firmware image for HBA = KC2100-FCoE, status = 0")))
      << result.console;
  EXPECT_TRUE(contains(result.console, note("Unsupported XCNA found! HBA = KC2100-NIC")));
  EXPECT_TRUE(
      contains(result.console, "Unsupported HBA summary:\n" +
                                   note("Fwmatrix - The following HBAs are not supported or no "
                                        "matching HBA model entries found:") +
                                   "\nHBA=KC2100-NIC, Port Type=NIC, MAC=00-90-FA-3C-00-01, "));
  EXPECT_TRUE(
      contains(result.console, statusLine("Error - some required firmware downloads failed", 14)));
}

TEST_F(FwmatrixOperations, ForcedDownloadsWithMissingAndWrongFiles) {
  describeHost({kKf1602, kKf810, kKc2100Nic, kKc2100Fcoe});
  writeFwmatrix(
      "KF1602 missing.all a-boot-code-name-of-32-chars.prg\n"
      "KF810 bf210a6.all bb440a0.prg\n"
      "KC2100-FCoE zu500a0.prg\n");
  RunResult result = host.run({"/f", "/v"});
  EXPECT_EQ(result.exitCode, 3) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf810Wwn, firmwarePath("bf210a6.all")),
                          downloadCommand(kKf810Wwn, bootPath("bb440a0.prg")), kKf810BootOff}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)).size(), 2u) << result.console;
  EXPECT_TRUE(
      contains(result.console, note("Error - unable to open firmware file for HBA = KF1602, "
                                    "status = FFFA0000") +
                                   note("Invalid boot code entry found for HBA = KF1602, "
                                        "status = FFFA0000")));
  // A boot code file named as firmware: each function counts a failure.
  EXPECT_EQ(
      occurrences(
          result.console,
          note("Error - invalid firmware file found for HBA = KC2100-FCoE, status = FFFA0000")),
      2u);
  // Both converged firmware "downloads" failed: no reboot notice.
  EXPECT_TRUE(contains(
      result.console,
      statusLine("Error - some required firmware and/or boot code downloads failed", 3) + "\n\n"));
}

TEST_F(FwmatrixOperations, ForcedBootCodeThatFailsEverywhere) {
  describeHost({kKf1602, withSetting(kKf810, "download = fail"), kKc2100Nic, kKc2100Fcoe});
  writeFwmatrix(
      "\n"
      "KF1602\n"
      "KF810 bf210a6.all bb440a0.prg\n");
  RunResult result = host.run({"/fb", "/v"});
  EXPECT_EQ(result.exitCode, 2) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf810Wwn, bootPath("bb440a0.prg")), kKf810BootOff}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)),
            std::vector<std::string>{
                resultLine(kKf810Line, "Boot Code", "bb440a0.prg", "440A0", "430A2", "Error")});
  // The empty line is an entry naming no known model; the KF1602 line names
  // no files; the converged adapter has no line.
  EXPECT_EQ(result.console.rfind("Found unknown fwmatrix.txt entry = \n", 0), 0u) << result.console;
  EXPECT_TRUE(contains(result.console,
                       note("No boot code entry found for HBA = KF1602, status = FFFA0000")));
  EXPECT_EQ(occurrences(result.console, note("No fwmatrix.txt entry for HBA = KC2100-FCoE")), 2u);
  EXPECT_TRUE(
      contains(result.console, statusLine("Error - all required boot code downloads failed", 2)));
}

}  // namespace
}  // namespace vornup
