// Image file names and adapter addresses that a command interpreter would
// act on: nothing but the intended tool commands may run, whether the names
// come from the image directories or from fwmatrix.txt, and whether the
// interpreter is /bin/sh or cmd.exe.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/rack_fixture.h"
#include "platform/host_names.h"

namespace vornup {
namespace {

using namespace ports;

// Characters that stay special inside double quotes on this host: names
// holding them are refused here, and taken on the other hosts.
const bool kDollarIsSpecial = std::strchr(kQuotedArgumentSpecials, '$') != nullptr;

// A port whose address, as the tool lists it, carries a command (short
// enough to fit the address field whole): the program never puts it on a
// command line.
const SimulatedPort kHostileAddress = {
    "[port]\nwwn = 10:00:00&mkdir,pwned0\nflags = 80007e0d\nserial = KF999H0001\n"
    "port-type = FC\nbus = 0D\ndevice-id = 7D00\nfw-version = 2.82A4\n",
    {}};

// Every folder below the scratch directories whose name holds "pwned": what
// an injected mkdir would have left.
std::vector<std::string> injectedTraces(const E2eHost& host) {
  std::vector<std::string> found;
  for (const std::string& root : {host.workDirectory(), host.installDirectory()}) {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::u8path(root), error)) {
      if (entry.is_directory() &&
          entry.path().filename().u8string().find("pwned") != std::string::npos) {
        found.push_back(entry.path().u8string());
      }
    }
  }
  return found;
}

std::string skipping(const std::string& name) {
  return "ERROR: [AutoFileDisco] - Skipping invalid file = " + name + "\n\n";
}

class HostileNames : public SimulatedHostTest {
 protected:
  HostileNames() { describeHost({kKf1602, kKf810, kHostileAddress}); }
};

TEST_F(HostileNames, NamesFromTheImageDirectoriesStayInsideTheirQuotes) {
  const std::string firmware = "zf290a1 & mkdir pwned1 & x.all";
  writeFirmwareAll(firmware, kAllZF, "290A1");
  // Higher versions that are refused for their names everywhere.
  writeFirmwareAll("zf%OS%293.all", kAllZF, "293A0");
  // A lower version, refused where '$' is special.
  writeFirmwareAll("zf$(mkdir pwned2).all", kAllZF, "283A0");
  const std::string quotedBoot = "zu520a0 'q';(mkdir pwned4).prg";
  const std::string dollarBoot = "zu530a0 $(mkdir pwned5) ^.prg";
  writeBootPrg(quotedBoot, kPrgZU, "520A0");
  writeBootPrg(dollarBoot, kPrgZU, "530A0");
  const std::string x86Boot = "bb440a0 & mkdir pwned6.prg";
  writeBootPrg(x86Boot, kPrgBB, "440A0");
  std::vector<std::string> refusedHere = {"zf%OS%293.all"};
  if (kDollarIsSpecial) {
    // Names these hosts cannot even store on the others.
    writeFirmwareAll("zf\"q\".all", kAllZF, "292A0");
    writeFirmwareAll("zf`mkdir pwned3`.all", kAllZF, "291A3");
    writeFirmwareAll("zf\\x.all", kAllZF, "291A2");
    refusedHere.insert(refusedHere.end(), {"zf$(mkdir pwned2).all", "zf\"q\".all",
                                           "zf`mkdir pwned3`.all", "zf\\x.all"});
  }

  RunResult result = host.run({"/auto", "/update", "/xv"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  const std::string universalBoot = kDollarIsSpecial ? quotedBoot : dollarBoot;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath(firmware)),
                          downloadCommand(kKf1602Wwn, bootPath(universalBoot)),
                          downloadCommand(kKf810Wwn, bootPath(x86Boot)), kKf810BootOff}));
  std::string trace = host.readWorkFile("dbg.log");
  for (const std::string& name : refusedHere) {
    EXPECT_TRUE(contains(trace, skipping(name))) << name;
  }
  if (!kDollarIsSpecial) {
    EXPECT_TRUE(contains(trace, "Actual  = zf$(mkdir pwned2).all\n"));
  }
  EXPECT_EQ(injectedTraces(host), std::vector<std::string>());
}

TEST_F(HostileNames, NamesFromTheTableStayInsideTheirQuotes) {
  const std::string x86Boot = "bb440a0&mkdir,pwned8.prg";
  writeBootPrg(x86Boot, kPrgBB, "440A0");
  writeFirmwareAll("bf210a6.all", kAllBF, "210A6");
  writeFwmatrix(
      "KF1602 zf\"&mkdir,pwned7&\".all zu%OS%.prg\n"
      "KF810 bf210a6.all " +
      x86Boot + "\n");
  RunResult result = host.run({"/update", "/v"});
  EXPECT_EQ(result.exitCode, 3) << result.console;
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf810Wwn, bootPath(x86Boot)), kKf810BootOff}));
  EXPECT_TRUE(
      contains(result.console,
               note("Error - invalid firmware file found for HBA = KF1602, status = FFFA0000")));
  EXPECT_TRUE(
      contains(result.console,
               note("Error - invalid boot code file found for HBA = KF1602, status = FFFA0000")));
  EXPECT_TRUE(contains(result.console, statusLine("Error - some required updates failed", 3)));
  EXPECT_EQ(injectedTraces(host), std::vector<std::string>());
}

}  // namespace
}  // namespace vornup
