// The program against the installed simulator when the adapter list says the
// tool's driver or service is missing, or lists no port: exits 4 and 5, end
// to end.
#include <gtest/gtest.h>

#include <string>

#include "e2e/e2e_host.h"
#include "platform/host_names.h"

namespace vornup {
namespace {

constexpr char kFcPort[] =
    "[port]\nwwn = 10:00:00:00:c9:54:00:01\nflags = 80005400\nserial = KF810C0042\n"
    "port-type = FC\ndevice-id = 5400\nfw-version = 2.10A6\n";

std::string errorLine(const std::string& reason, int code) {
  return std::string("\n") + kProgramName + ": Error - " + reason + " - Return Code=" +
         std::to_string(code) + "\n\n";
}

class DiscoveryExits : public ::testing::Test {
 protected:
  DiscoveryExits() {
    host.installTool(TANDREL_SIM_PATH);
    host.writeInstallFile("fwmatrix.txt", "KF810 fw.all boot.prg\n");
    host.setEnvironment("TANDREL_SIM_LOG", host.workDirectory() + "tool.log");
    host.unsetEnvironment("TANDREL_SIM_HOST");
    host.unsetEnvironment("TANDREL_SIM_STATE");
    host.unsetEnvironment("TANDREL_SIM_FAIL_CALL");
  }

  // The host description beside the installed simulator.
  void describeHost(const std::string& text) {
    host.writeInstallFile(std::string("Quenmar/host.txt"), text);
  }

  E2eHost host;
};

TEST_F(DiscoveryExits, DriverNotLoadedGives4) {
  describeHost(std::string("[host]\nlisthbas-error = driver-not-loaded\nlisthbas-error-line = 10\n") +
               kFcPort);
  RunResult result = host.run({"/q"});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.console, errorLine("QTRD driver is not loaded", 4) + "\n\n");
  EXPECT_EQ(host.readWorkFile("tool.log"), "listhbas local\n");
  EXPECT_TRUE(host.tempDirectoryIsEmpty());
}

TEST_F(DiscoveryExits, ServiceNotRunningGives4) {
  describeHost("[host]\nlisthbas-error = brackmond-not-running\n");
  RunResult result = host.run({"/q", "/remote"});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_EQ(result.console, errorLine("brackmond is not running", 4) + "\n\n");
  EXPECT_EQ(host.readWorkFile("tool.log"), "listhbas\n");
  EXPECT_TRUE(host.tempDirectoryIsEmpty());
}

TEST_F(DiscoveryExits, ErrorTextBeyondTheTenthLineIsNotTheToolsError) {
  describeHost(std::string("[host]\nlisthbas-error = driver-not-loaded\nlisthbas-error-line = 11\n") +
               kFcPort);
  RunResult result = host.run({"/q"});
  EXPECT_EQ(result.exitCode, 0) << result.console;
  EXPECT_NE(result.console.find("HBA=KF810, Port Type=FC, WWN=10:00:00:00:C9:54:00:01"),
            std::string::npos)
      << result.console;
}

TEST_F(DiscoveryExits, EmptyListGives5) {
  const char* hosts[] = {
      "# no adapters\n",
      // Every port is remote: the local list is empty.
      "[port]\nwwn = 10:00:00:00:c9:00:00:01\nremote = yes\n",
      // The tool prints nothing, or junk without entries.
      "[host]\nfault.listhbas = no-output\n[port]\nwwn = 10:00:00:00:c9:00:00:01\n",
      "[host]\nfault.listhbas = garbage\n[port]\nwwn = 10:00:00:00:c9:00:00:01\n",
  };
  for (const char* text : hosts) {
    describeHost(text);
    RunResult result = host.run({"/q"});
    EXPECT_EQ(result.exitCode, 5) << text;
    EXPECT_EQ(result.console, errorLine("no supported Korvane HBAs found", 5) + "\n\n") << text;
    EXPECT_TRUE(host.tempDirectoryIsEmpty()) << text;
  }
}

}  // namespace
}  // namespace vornup
