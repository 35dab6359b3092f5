// Every operation in automatic mode, end to end: the program picks its images
// from the firmware and boot directories beside itself and has the simulated
// tool flash them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/rack_fixture.h"
#include "platform/host_names.h"

namespace vornup {
namespace {

using namespace ports;

using AutoOperations = RackTest;

TEST_F(AutoOperations, UpdateTakesTheHighestNewerImagesAndASecondRunHasNothingToDo) {
  RunResult first = host.run({"/auto", "/update", "/v", "/xv", "/log=run.log"});
  EXPECT_EQ(first.exitCode, 0) << first.console;
  // KF1602: the highest of the ZF images; its highest universal boot code
  // image is the installed version, so the pair kind is decided next.
  // KF810: its firmware is current; no U, P, O or E image, the x86 one is
  // newer. The converged adapter is downloaded once through its first
  // function. The program runs in a directory of its own, so the tool
  // receives the full path of each image beside the program.
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all")),
                          downloadCommand(kKf1602Wwn, bootPath("zp530a0.prg")),
                          downloadCommand(kKf810Wwn, bootPath("bb440a0.prg")), kKf810BootOff,
                          downloadCommand(kKc2100Mac, firmwarePath("kc21-4100.ufi"))}));
  const std::vector<std::string> results = {
      resultLine(kKf1602Line, "Firmware", "zf290a1.all", "290A1", "282A4", "Success"),
      resultLine(kKf1602Line, "Boot Code", "zp530a0.prg", "530A0", "512A0", "Success"),
      resultLine(kKf810Line, "Boot Code", "bb440a0.prg", "440A0", "430A2", "Success"),
      resultLine(kKc2100NicLine, "Firmware", "kc21-4100.ufi", "4.1.0.0", "4.0.360.15", "Success"),
      resultLine(kKc2100FcoeLine, "Firmware", "kc21-4100.ufi", "4.1.0.0", "4.0.360.15", "Success"),
  };
  EXPECT_EQ(resultLines(beforeSummary(first.console)), results);
  // The download summary repeats them under /v.
  std::string summary = first.console.substr(beforeSummary(first.console).size());
  EXPECT_EQ(resultLines(summary), results);
  // The universal boot code image was decided first and not needed.
  EXPECT_TRUE(contains(beforeSummary(first.console),
                       note("A boot code update was not required on HBA: KF1602")));
  EXPECT_TRUE(contains(beforeSummary(first.console),
                       note("A firmware update was not required on HBA: KF810")));
  EXPECT_TRUE(contains(first.console, statusLine("All required updates succeeded", 0) +
                                          "Please reboot system to activate new firmware.\n\n\n"))
      << first.console;
  std::string trace = host.readWorkFile("dbg.log");
  EXPECT_EQ(occurrences(trace, "Skipping adapter...\n"), 1u);
  EXPECT_TRUE(contains(trace,
                       "sub operation = universal boot code\nboot code type \"BU\" not found\n"
                       "sub operation = pair boot code\nboot code type \"BP\" not found\n"
                       "sub operation = open boot code\nboot code type \"BO\" not found\n"
                       "sub operation = efi boot code\nboot code type \"BE\" not found\n"
                       "sub operation = x86 boot code\n"))
      << trace;
  EXPECT_EQ(host.readWorkFile("run.log"), first.console);

  // The simulated adapters now run what was downloaded.
  RunResult second = host.run({"/auto", "/update", "/v", "/xv", "/log=run.log"});
  EXPECT_EQ(second.exitCode, 1) << second.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  EXPECT_EQ(resultLines(second.console), std::vector<std::string>());
  EXPECT_TRUE(contains(second.console, statusLine("No updates required", 1)));
  EXPECT_FALSE(contains(second.console, "reboot"));
  EXPECT_EQ(host.readWorkFile("run.log"), first.console + second.console);
}

TEST_F(AutoOperations, DowngradeTakesTheNextLowerImage) {
  RunResult result = host.run({"/auto", "/downgrade", "/v"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  // Walking down from the highest image of each type (past the one equal to
  // the installed version), the first one below it is taken.
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf280a2.all")),
                          downloadCommand(kKf1602Wwn, bootPath("zu500a0.prg")),
                          downloadCommand(kKf810Wwn, bootPath("bb420a0.prg")), kKf810BootOff,
                          downloadCommand(kKc2100Mac, firmwarePath("kc21-4030.ufi"))}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)),
            (std::vector<std::string>{
                resultLine(kKf1602Line, "Firmware", "zf280a2.all", "280A2", "282A4", "Success"),
                resultLine(kKf1602Line, "Boot Code", "zu500a0.prg", "500A0", "512A0", "Success"),
                resultLine(kKf810Line, "Boot Code", "bb420a0.prg", "420A0", "430A2", "Success"),
                resultLine(kKc2100NicLine, "Firmware", "kc21-4030.ufi", "4.0.300.0", "4.0.360.15",
                           "Success"),
                resultLine(kKc2100FcoeLine, "Firmware", "kc21-4030.ufi", "4.0.300.0", "4.0.360.15",
                           "Success"),
            }));
  // KF810's only firmware image is the installed version.
  EXPECT_TRUE(
      contains(result.console, note("A firmware downgrade was not required on HBA: KF810")));
  EXPECT_TRUE(contains(result.console, statusLine("All required downgrades succeeded", 0) +
                                           "Please reboot system to activate new firmware.\n"));
}

TEST_F(AutoOperations, RewritePreviewRunsNothingButTheBootCodeDisable) {
  RunResult result = host.run({"/auto", "/rewrite", "/p", "/q", "/v"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  // KF810's boot code was found disabled: it is disabled again after its
  // (previewed) boot code download.
  EXPECT_EQ(takeToolCommands(), discoveryAnd({kKf810BootOff}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)),
            (std::vector<std::string>{
                resultLine(kKf1602Line, "Firmware", "zf290a1.all", "290A1", "282A4", "Preview"),
                // Rewrite takes the equal version too.
                resultLine(kKf1602Line, "Boot Code", "zu512a0.prg", "512A0", "512A0", "Preview"),
                resultLine(kKf810Line, "Firmware", "bf210a6.all", "210A6", "210A6", "Preview"),
                resultLine(kKf810Line, "Boot Code", "bb440a0.prg", "440A0", "430A2", "Preview"),
                resultLine(kKc2100NicLine, "Firmware", "kc21-4100.ufi", "4.1.0.0", "4.0.360.15",
                           "Preview"),
                resultLine(kKc2100FcoeLine, "Firmware", "kc21-4100.ufi", "4.1.0.0", "4.0.360.15",
                           "Preview"),
            }));
  // With /q each decision shows the adapter and the upper-cased image name.
  const char* queryLines[] = {
      "\nHBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01, PCI ID=7D00, VID=1A5C, "
      "SSID=7D99, SVID=1A5C, Firmware=ZF282A4, Boot Code=ZU512A0, "
      "Supported Firmware=ZF290A1.ALL, Boot Code Enabled=1\n",
      "\nHBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01, PCI ID=7D00, VID=1A5C, "
      "SSID=7D99, SVID=1A5C, Firmware=ZF282A4, Boot Code=ZU512A0, "
      "Supported Boot Code=ZU512A0.PRG, Boot Code Enabled=1\n",
      "\nHBA=KF810, Port Type=FC, WWN=10:00:00:00:C9:54:00:01, PCI ID=5400, VID=1A5C, "
      "SSID=5401, SVID=1A5C, Firmware=BF210A6, Boot Code=BB430A2, "
      "Supported Boot Code=BB440A0.PRG, Boot Code Enabled=0\n",
      "\nHBA=KC2100-FCoE, Port Type=NIC, MAC=00-90-FA-3A-00-01, PCI ID=3A00, VID=1A5C, "
      "SSID=3A01, SVID=1A5C, Firmware=4.0.360.15, Boot Code=4.0.360.15, "
      "Supported Firmware=KC21-4100.UFI\n",
  };
  for (const char* line : queryLines) EXPECT_TRUE(contains(result.console, line)) << line;
  // No reboot notice after a preview.
  EXPECT_TRUE(contains(result.console, statusLine("All required rewrites succeeded", 0) + "\n\n"));
  EXPECT_FALSE(contains(result.console, "Please reboot"));
}

TEST_F(AutoOperations, ForcedDownloadsWithAFailedConvergedAdapter) {
  // A second converged adapter whose downloads fail; its first function
  // runs the tool, the second shares the outcome.
  describeHost({kKf1602, kKf810, kKc2100Nic, kKc2100Fcoe,
                withSetting(kKc3200Nic, "download = fail"), kKc3200Fcoe});
  RunResult result = host.run({"/auto", "/f", "/xv"});
  EXPECT_EQ(result.exitCode, 3) << result.console;
  // Forced: the highest image of each type, whatever the installed version
  // (equal for KF1602's universal boot code and KF810's firmware); for boot
  // code the first kind that has an image.
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all")),
                          downloadCommand(kKf1602Wwn, bootPath("zu512a0.prg")),
                          downloadCommand(kKf810Wwn, firmwarePath("bf210a6.all")),
                          downloadCommand(kKf810Wwn, bootPath("bb440a0.prg")), kKf810BootOff,
                          downloadCommand(kKc2100Mac, firmwarePath("kc21-4100.ufi")),
                          downloadCommand(kKc3200Mac, firmwarePath("kc32-4200.ufi"))}));
  std::vector<std::string> lines = resultLines(result.console);
  ASSERT_EQ(lines.size(), 8u) << result.console;
  EXPECT_EQ(lines[6],
            "HBA=KC3200-FCoE, Port Type=NIC, MAC=00-90-FA-3B-00-01, Update=Firmware, "
            "Image=kc32-4200.ufi, New=4.2.0.0, Old=4.1.0.0, Status=Error");
  EXPECT_EQ(lines[7],
            "HBA=KC3200-FCoE, Port Type=FCoE, WWN=10:00:00:90:FA:3B:00:02, "
            "Update=Firmware, Image=kc32-4200.ufi, New=4.2.0.0, Old=4.1.0.0, "
            "Status=Error");
  for (std::size_t i = 0; i < 6; ++i) EXPECT_TRUE(contains(lines[i], "Status=Success")) << lines[i];
  EXPECT_EQ(occurrences(host.readWorkFile("dbg.log"), "Skipping adapter...\n"), 2u);
  // The KC2100 asked for a reboot, but the failed functions outweigh it.
  EXPECT_TRUE(contains(
      result.console,
      statusLine("Error - some required firmware and/or boot code downloads failed", 3) + "\n\n"));
  EXPECT_FALSE(contains(result.console, "Please reboot"));
}

// Two converged adapters on one bus number whose serial numbers read "N/A"
// (or nothing) are two adapters: each gets its own download and its own
// outcome.
TEST_F(AutoOperations, PortsWithoutASerialNumberAreAdaptersOfTheirOwn) {
  for (const char* serial : {"N/A", ""}) {
    SimulatedPort first = kKc2100Fcoe;
    SimulatedPort second = kKc2100Fcoe;
    for (SimulatedPort* port : {&first, &second}) {
      port->block.replace(port->block.find("KC2100B0007"), 11, serial);
    }
    const std::string secondWwn = "10:00:00:90:FA:3A:00:03";
    second.block.replace(second.block.find("3a:00:02"), 8, "3a:00:03");
    second.discovery = {"hbaattrib " + secondWwn};
    describeHost({first, withSetting(second, "download = fail")});
    RunResult result = host.run({"/auto", "/update"});
    EXPECT_EQ(result.exitCode, 3) << serial << result.console;
    EXPECT_EQ(takeToolCommands(),
              discoveryAnd({downloadCommand("10:00:00:90:FA:3A:00:02", firmwarePath("kc21-4100.ufi")),
                            downloadCommand(secondWwn, firmwarePath("kc21-4100.ufi"))}))
        << serial;
    const std::vector<std::string> lines = resultLines(result.console);
    ASSERT_EQ(lines.size(), 2u) << result.console;
    EXPECT_TRUE(contains(lines[0], "Status=Success")) << lines[0];
    EXPECT_TRUE(contains(lines[1], "Status=Error")) << lines[1];
  }
}

TEST_F(AutoOperations, ForcedBootCodeOnly) {
  describeHost({kKf1602, kKf810, kKc2100Nic, kKc2100Fcoe});
  RunResult result = host.run({"/auto", "/fb"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, bootPath("zu512a0.prg")),
                          downloadCommand(kKf810Wwn, bootPath("bb440a0.prg")), kKf810BootOff}));
  EXPECT_EQ(resultLines(result.console).size(), 2u);
  EXPECT_TRUE(contains(result.console,
                       statusLine("All required boot code downloads succeeded", 0) + "\n\n"));
}

TEST_F(AutoOperations, ForcedFirmwareWithGatedAdapters) {
  // Gated converged adapters: one below the fpga version (unsupported), one
  // at it, for which the only image of its family is too old.
  describeHost({kKf1602, kGatedCurrent, kGatedOld});
  host.removeInstallFile("firmware/kc21-4100.ufi");
  RunResult result = host.run({"/auto", "/ff", "/q", "/v", "/xv"});
  EXPECT_EQ(result.exitCode, 11) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all"))}));
  EXPECT_EQ(resultLines(beforeSummary(result.console)),
            std::vector<std::string>{
                resultLine(kKf1602Line, "Firmware", "zf290a1.all", "290A1", "282A4", "Success")});
  const std::string gatedCurrent =
      "\nHBA=KC2100-FCoE, Port Type=FCoE, WWN=10:00:00:90:FA:3D:00:02, PCI ID=3A04, VID=1A5C, "
      "SSID=1749, SVID=103C, Firmware=4.0.360.15, Boot Code=4.0.360.15";
  const std::string gatedOld =
      "\nHBA=KC2100-NIC, Port Type=NIC, MAC=00-90-FA-3C-00-01, PCI ID=3A00, VID=1A5C, "
      "SSID=174B, SVID=103C, Firmware=4.0.300.1, Boot Code=4.0.300.1";
  EXPECT_TRUE(contains(result.console, gatedCurrent + ", Supported Firmware=NONE" +
                                           note("No matching firmware found for HBA: KC2100-FCoE")))
      << result.console;
  EXPECT_TRUE(contains(result.console, gatedOld + ", Supported Firmware=NONE" +
                                           note("Unsupported XCNA found! HBA = KC2100-NIC")));
  EXPECT_TRUE(contains(host.readWorkFile("dbg.log"), "New image     = NONE\n"));
  // The adapter the run found unsupported is summed up under /v.
  EXPECT_TRUE(
      contains(result.console, "Unsupported HBA summary:\n" +
                                   note("Auto Discovery - The following HBAs are not supported:") +
                                   gatedOld + "  \n\n"));
  EXPECT_TRUE(
      contains(result.console, statusLine("All required firmware downloads succeeded", 11)));
}

}  // namespace
}  // namespace vornup
