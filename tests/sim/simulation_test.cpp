#include "sim/simulation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/fake_tool.h"
#include "support/captured_run.h"
#include "support/image_files.h"

namespace tandrelsim {
namespace {

constexpr char kHost[] = R"(
[port]
wwn = 10:00:00:00:c9:7d:00:01
serial = KF1602A0001
bus = 0B
fw-version = 2.82A4
boot-code = Disabled
boot-version = 5.12A0

[port]
wwn = 10:00:00:00:c9:7d:00:02
serial = kf1602a0001
bus = 0B
fw-version = 2.82A4
boot-code = None
download = fail

[port]
mac = 00-90-fa-3a-00-01
serial = KC2100B0007
bus = 21
fw-version = 4.0.360.15
reboot = yes
fault.hbaattrib = no-output
)";

Simulation simulationOf(const std::string& text) {
  Simulation simulation;
  std::string error;
  EXPECT_TRUE(parseHost(text, simulation.host, error)) << error;
  return simulation;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const char kFirst[] = "10:00:00:00:C9:7D:00:01";

// Images the simulated downloads read: FC firmware ZF 2.90A1, FC boot code
// ZU 5.20A1 (under a name with a blank) and converged firmware 4.1.0.0.
class SimulatedDownload : public ::testing::Test {
 protected:
  SimulatedDownload() {
    vornup::testimages::writeAll(firmware(), 225, "290A1");
    vornup::testimages::writePrg(bootCode(), 231, "520A1");
    vornup::testimages::writeUfi(converged(), "4.1.0.0");
  }
  std::string firmware() const { return scratch.file("kf16 new.all"); }
  std::string bootCode() const { return scratch.file("kf16 boot.prg"); }
  std::string converged() const { return scratch.file("c.ufi"); }

  vornup::ScratchDirectory scratch;
};

TEST(Simulation, BootCodeSwitchesAreRemembered) {
  Simulation sim = simulationOf(kHost);
  EXPECT_FALSE(contains(sim.call({"hbaattrib", kFirst}).text, "Boot Version"));
  Reply enabled = sim.call({"enablebootcode", kFirst, "E"});
  EXPECT_EQ(enabled.text, "Boot code enabled.\n");
  std::string attributes = sim.call({"hbaattrib", kFirst}).text;
  EXPECT_TRUE(contains(attributes, "Boot Code       : Enabled\n"));
  EXPECT_TRUE(contains(attributes, "Boot Version    : 5.12A0\n"));
  EXPECT_EQ(sim.call({"enablebootcode", kFirst, "d"}).text, "Boot code disabled.\n");
  Reply none = sim.call({"enablebootcode", "10:00:00:00:c9:7d:00:02", "D"});
  EXPECT_EQ(none.exitStatus, kExitCommandFailed);
  EXPECT_TRUE(contains(none.text, "no boot code to switch"));
  EXPECT_EQ(sim.call({"enablebootcode", kFirst, "X"}).exitStatus, kExitUsage);
  EXPECT_EQ(sim.calls, 6u);
}

TEST_F(SimulatedDownload, FirmwareReachesEveryFunctionOfTheAdapter) {
  Simulation sim = simulationOf(kHost);
  Reply reply = sim.call({"download", kFirst, firmware()});
  EXPECT_EQ(reply.exitStatus, kExitOk);
  EXPECT_TRUE(contains(reply.text, "Complete"));
  EXPECT_FALSE(contains(reply.text, "reboot"));
  EXPECT_EQ(sim.host.ports[0].fields["fw-version"], "2.90A1");
  // Same serial number (other letter case) and bus: the same adapter.
  EXPECT_EQ(sim.host.ports[1].fields["fw-version"], "2.90A1");
  EXPECT_EQ(sim.host.ports[2].fields["fw-version"], "4.0.360.15");
  EXPECT_EQ(sim.host.ports[0].fields["boot-version"], "5.12A0");
}

TEST_F(SimulatedDownload, BootCodeChangesOnlyThatPort) {
  Simulation sim = simulationOf(kHost);
  // An image path with blanks may arrive split into several arguments.
  const std::string path = bootCode();
  const std::size_t blank = path.rfind(' ');
  EXPECT_EQ(sim.call({"download", kFirst, path.substr(0, blank), path.substr(blank + 1)}).exitStatus,
            kExitOk);
  EXPECT_EQ(sim.host.ports[0].fields["boot-version"], "5.20A1");
  EXPECT_EQ(sim.host.ports[0].fields["fw-version"], "2.82A4");
  EXPECT_EQ(sim.commandLog.back(), std::string("download ") + kFirst + " " + path);
}

TEST_F(SimulatedDownload, FailedDownloadAndRebootRequest) {
  Simulation sim = simulationOf(kHost);
  Reply failed = sim.call({"download", "10:00:00:00:C9:7D:00:02", firmware()});
  EXPECT_EQ(failed.exitStatus, kExitCommandFailed);
  EXPECT_EQ(failed.text, "Download failed: the adapter rejected the image.\n");
  EXPECT_EQ(sim.host.ports[1].fields["fw-version"], "2.82A4");
  Reply rebooting = sim.call({"download", "00-90-FA-3A-00-01", converged()});
  EXPECT_TRUE(contains(rebooting.text, "Complete"));
  EXPECT_TRUE(contains(rebooting.text, "reboot"));
  EXPECT_EQ(sim.host.ports[2].fields["fw-version"], "4.1.0.0");
}

TEST(Simulation, UnknownCommandsAndAddresses) {
  Simulation sim = simulationOf(kHost);
  const std::vector<std::vector<std::string>> usage = {
      {}, {"flash"}, {"listhbas", "remote"}, {"hbaattrib"}, {"hbaattrib", kFirst, "x"},
      {"enablebootcode", kFirst}, {"download", kFirst},
  };
  for (const auto& args : usage) {
    Reply reply = sim.call(args);
    EXPECT_EQ(reply.exitStatus, kExitUsage) << commandLogLine(args);
    EXPECT_TRUE(reply.text.empty());
    EXPECT_TRUE(contains(reply.error, "Tandrel (simulator): ")) << reply.error;
    EXPECT_TRUE(contains(reply.error, "usage: Tandrel")) << reply.error;
  }
  Reply unknown = sim.call({"pcidata", "10:00:00:00:00:00:00:99"});
  EXPECT_EQ(unknown.exitStatus, kExitCommandFailed);
  EXPECT_EQ(unknown.text, "Error: no HBA port with address 10:00:00:00:00:00:00:99\n");
}

TEST(Simulation, PortFaultsWinOverHostFaultsAndTheCallFaultOverBoth) {
  Simulation sim = simulationOf(std::string(kHost) + "[host]\nfault.hbaattrib = crlf\n" +
                                "fault.listhbas = exit-status\nfail-call = 4 cut-off\n");
  EXPECT_TRUE(contains(sim.call({"hbaattrib", kFirst}).text, "\r\n"));
  EXPECT_EQ(sim.call({"hbaattrib", "00-90-fa-3a-00-01"}).text, "");
  EXPECT_EQ(sim.call({"listhbas"}).exitStatus, 1);
  std::string cut = sim.call({"pcidata", kFirst}).text;  // the fourth call
  std::string whole = sim.call({"pcidata", kFirst}).text;
  EXPECT_EQ(cut, whole.substr(0, whole.size() / 2));
  EXPECT_FALSE(whole.empty());
}

TEST_F(SimulatedDownload, MissingOrInvalidImagesInstallNothing) {
  Simulation sim = simulationOf(kHost);
  vornup::testimages::writeJunk(scratch.file("junk.all"));
  const std::string missing = scratch.file("absent.all");
  Reply absent = sim.call({"download", kFirst, missing});
  EXPECT_EQ(absent.exitStatus, kExitCommandFailed);
  EXPECT_EQ(absent.text, "Download failed: cannot open the image file " + missing + "\n");
  Reply junk = sim.call({"download", kFirst, scratch.file("junk.all")});
  EXPECT_EQ(junk.exitStatus, kExitCommandFailed);
  EXPECT_EQ(junk.text, "Download failed: " + scratch.file("junk.all") +
                           " is not a valid Korvane firmware or boot code image\n");
  EXPECT_EQ(sim.host.ports[0].fields["fw-version"], "2.82A4");
  EXPECT_EQ(sim.host.ports[0].fields["boot-version"], "5.12A0");
}

TEST_F(SimulatedDownload, StateRoundTrip) {
  Simulation sim = simulationOf(kHost);
  sim.call({"enablebootcode", kFirst, "E"});
  sim.call({"download", kFirst, firmware()});
  std::string state = sim.stateText();
  Simulation next = simulationOf(kHost);
  std::string error;
  ASSERT_TRUE(next.applyState(state, error)) << error;
  EXPECT_EQ(next.calls, 2u);
  EXPECT_EQ(next.host.ports[0].fields["boot-code"], "Enabled");
  EXPECT_EQ(next.host.ports[0].fields["fw-version"], "2.90A1");
  EXPECT_EQ(next.host.ports[1].fields["fw-version"], "2.90A1");
  EXPECT_EQ(next.stateText(), state);
}

TEST(Simulation, BadStateIsRefusedAndStalePortsIgnored) {
  Simulation sim = simulationOf(kHost);
  std::string error;
  EXPECT_TRUE(sim.applyState("[port 10:00:00:00:00:00:00:99]\nfw-version = 9\n", error));
  const char* bad[] = {"[simulator]\ncalls = many\n", "[simulator]\nturns = 1\n", "[other]\n",
                       "[port 10:00:00:00:c9:7d:00:01]\nserial = x\n", "calls = 1\n"};
  for (const char* text : bad) {
    EXPECT_FALSE(sim.applyState(text, error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
}

TEST(CommandLogLine, JoinsArgumentsOnOneLine) {
  EXPECT_EQ(commandLogLine({"download", "a", "x\ny\rz"}), "download a x y z");
  EXPECT_EQ(commandLogLine({}), "");
}

TEST(ToolArguments, SplitLikeTheCommandInterpreter) {
  EXPECT_EQ(toolArguments("\"/opt/k dir/Tandrel\" hbaattrib 10:00 > \"/tmp/a b/temp.txt\""),
            (std::vector<std::string>{"hbaattrib", "10:00"}));
  EXPECT_EQ(toolArguments("\"C:\\K\\Tandrel.exe\" download 10:00 \"C:\\fw dir\\a.all\" > \"t\""),
            (std::vector<std::string>{"download", "10:00", "C:\\fw dir\\a.all"}));
  EXPECT_EQ(toolArguments("Tandrel  listhbas   local"),
            (std::vector<std::string>{"listhbas", "local"}));
  EXPECT_EQ(toolArguments("\"Tandrel\" x \"\" > \"o\""), (std::vector<std::string>{"x", ""}));
  EXPECT_TRUE(toolArguments("\"unterminated").empty());
}

}  // namespace
}  // namespace tandrelsim
