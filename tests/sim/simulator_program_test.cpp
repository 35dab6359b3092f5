// The simulator program itself, run as a child process through the host's
// command interpreter, the way vornup runs the tool.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/command.h"
#include "platform/host_names.h"
#include "platform/platform.h"
#include "sim/faults.h"
#include "support/captured_run.h"
#include "support/image_files.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

constexpr bool kWindowsHost = kPathSeparator == '\\';

// The built simulator: <build>/sim/Tandrel, seen from <build>/tests/sim/.
std::string simulatorPath() {
  fs::path tests = fs::u8path(hostPlatform().moduleFileName()).parent_path();
  return (tests.parent_path().parent_path() / "sim" / kToolExecutable).u8string();
}

std::string quoted(const std::string& text) {
  return kWindowsHost ? "\"" + text + "\"" : "'" + text + "'";
}

// Standard output read back as text: Windows line ends become "\n".
std::string asText(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  }
  return text;
}

struct Result {
  int status = -1;
  std::string out;  // as text
  std::string bytes;
  std::string err;
};

class SimulatorProgram : public ::testing::Test {
 protected:
  SimulatorProgram() {
    environment["TANDREL_SIM_HOST"] = scratch.file("host.txt");
    environment["TANDREL_SIM_LOG"] = scratch.file("log.txt");
    environment["TANDREL_SIM_STATE"] = "";
    environment["TANDREL_SIM_FAIL_CALL"] = "";
    environment["TANDREL_SIM_DELAY"] = "";
    environment["TANDREL_SIM_SWAP_OUTPUT"] = "";
  }

  void writeHost(const std::string& text) { scratch.write("host.txt", text); }

  // The environment settings, as a command line prefix.
  std::string environmentPrefix() const {
    std::string line;
    for (const auto& variable : environment) {
      if (kWindowsHost) {
        line += "set \"" + variable.first + "=" + variable.second + "\" && ";
      } else if (variable.second.empty()) {
        line += "unset " + variable.first + " && ";
      } else {
        line += "export " + variable.first + "=" + quoted(variable.second) + " && ";
      }
    }
    return line;
  }

  Result run(const std::string& args, const std::string& program = simulatorPath()) {
    std::string line = environmentPrefix();
    line += quoted(program) + " " + args + " > " + quoted(scratch.file("out.txt")) + " 2> " +
            quoted(scratch.file("err.txt"));
    Result result;
    result.status = hostPlatform().runCommand(line);
    result.bytes = scratch.read("out.txt");
    result.out = asText(result.bytes);
    result.err = asText(scratch.read("err.txt"));
    return result;
  }

  static std::string exampleHost() {
    return ScratchDirectory::readFile(std::string(TANDREL_SIM_SOURCE_DIR) + "/hosts/example.txt");
  }

  ScratchDirectory scratch;
  std::map<std::string, std::string> environment;
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(SimulatorProgram, ExampleHostListsItsLocalPorts) {
  std::string example = exampleHost();
  ASSERT_FALSE(example.empty());
  writeHost(example);
  Result result = run("listhbas local");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out.rfind("Manageable HBA List\n\nPort WWN        : 10:00:00:00:c9:7d:00:01\n"
                             "Flags           : 80007e0d\nHost Name       : dbserver01\n",
                             0),
            0u)
      << result.out;
  EXPECT_TRUE(contains(result.out, "Permanent MAC   : 00-90-fa-3a-00-01\n"));
  EXPECT_TRUE(contains(result.out, "Port Type       : FCoE\n"));
  EXPECT_EQ(scratch.read("log.txt"), "listhbas local\n");
}

TEST_F(SimulatorProgram, ReadmeShowsTheExampleHost) {
  std::string readme = ScratchDirectory::readFile(std::string(TANDREL_SIM_SOURCE_DIR) + "/README.md");
  EXPECT_TRUE(contains(readme, "```\n" + exampleHost() + "```\n"));
}

TEST_F(SimulatorProgram, CallsChangeWhatLaterCallsReport) {
  writeHost(exampleHost());
  const std::string fc = "10:00:00:00:C9:54:00:01";
  EXPECT_FALSE(contains(run("hbaattrib " + fc).out, "Boot Version"));
  EXPECT_EQ(run("enablebootcode " + fc + " E").out, "Boot code enabled.\n");
  std::string attributes = run("hbaattrib " + fc).out;
  EXPECT_TRUE(contains(attributes, "Boot Code       : Enabled\n"));
  EXPECT_TRUE(contains(attributes, "Boot Version    : 4.30A2\n"));
  fs::create_directories(fs::u8path(scratch.file("fw dir")));
  testimages::writeUfi(scratch.file("fw dir/kc.ufi"), "4.1.0.0");
  Result download = run("download 00-90-FA-3A-00-01 " + quoted(scratch.file("fw dir/kc.ufi")));
  EXPECT_EQ(download.status, 0);
  EXPECT_TRUE(contains(download.out, "Download Complete."));
  EXPECT_TRUE(contains(download.out, "reboot"));
  EXPECT_TRUE(contains(run("hbaattrib 10:00:00:90:fa:3a:00:02").out,
                       "FW Version      : 4.1.0.0\n"));
  std::string state = asText(scratch.read("host.txt.state"));
  EXPECT_TRUE(contains(state, "[simulator]\ncalls = 5\n")) << state;
  EXPECT_EQ(asText(scratch.read("log.txt")),
            "hbaattrib " + fc + "\nenablebootcode " + fc + " E\nhbaattrib " + fc +
                "\ndownload 00-90-FA-3A-00-01 " + scratch.file("fw dir/kc.ufi") +
                "\nhbaattrib 10:00:00:90:fa:3a:00:02\n");
}

TEST_F(SimulatorProgram, StateFileNamedByTheEnvironment) {
  writeHost(exampleHost());
  environment["TANDREL_SIM_STATE"] = scratch.file("elsewhere.state");
  run("listhbas");
  EXPECT_TRUE(contains(scratch.read("elsewhere.state"), "calls = 1"));
  EXPECT_EQ(scratch.read("host.txt.state"), "");
}

TEST_F(SimulatorProgram, NthCallFailsAsTheEnvironmentSays) {
  writeHost(exampleHost());
  environment["TANDREL_SIM_FAIL_CALL"] = "2 no-output";
  std::string first = run("pcidata 10:00:00:00:c9:7d:00:01").out;
  EXPECT_TRUE(contains(first, "Header Type     : 80\n"));
  Result second = run("pcidata 10:00:00:00:c9:7d:00:01");
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.bytes, "");
  EXPECT_EQ(run("pcidata 10:00:00:00:c9:7d:00:01").out, first);
  environment["TANDREL_SIM_FAIL_CALL"] = "4 exit-status";
  EXPECT_EQ(run("wakeup 10:00:00:00:c9:7d:00:01").status, 1);
  environment["TANDREL_SIM_FAIL_CALL"] = "five garbage";
  Result bad = run("listhbas");
  EXPECT_EQ(bad.status, 3);
  EXPECT_TRUE(contains(bad.err, "TANDREL_SIM_FAIL_CALL: fail-call is")) << bad.err;
}

TEST_F(SimulatorProgram, DelayedDownloadEndedWhileItWaitsChangesNothing) {
  writeHost(exampleHost());
  fs::create_directories(fs::u8path(scratch.file("fw")));
  testimages::writeUfi(scratch.file("fw/kc.ufi"), "4.1.0.0");
  environment["TANDREL_SIM_DELAY"] = "download 30000";
  std::string line = environmentPrefix() + quoted(simulatorPath()) + " download 00-90-FA-3A-00-01 " +
          quoted(scratch.file("fw/kc.ufi")) + " > " + quoted(scratch.file("out.txt"));
  CommandLimits limits;
  limits.timeLimit = std::chrono::milliseconds(300);
  limits.terminationGrace = std::chrono::milliseconds(200);
  CommandResult ended = hostPlatform().runLimitedCommand(line, limits);
  EXPECT_EQ(ended.end, CommandEnd::timedOut);
  EXPECT_EQ(scratch.read("out.txt"), "");
  environment["TANDREL_SIM_DELAY"] = "hbaattrib 1";
  EXPECT_TRUE(contains(run("hbaattrib 10:00:00:90:fa:3a:00:02").out,
                       "FW Version      : 4.0.360.15\n"));
}

TEST_F(SimulatorProgram, BadKnobsAreSetupErrors) {
  writeHost(exampleHost());
  const char* const kBad[][2] = {
      {"TANDREL_SIM_DELAY", "download"},
      {"TANDREL_SIM_DELAY", "download 5x"},
      {"TANDREL_SIM_DELAY", "flash 100"},
      {"TANDREL_SIM_SWAP_OUTPUT", "listhbas pipe"},
      {"TANDREL_SIM_SWAP_OUTPUT", "listhbas fifo extra"},
  };
  for (const auto& knob : kBad) {
    environment["TANDREL_SIM_DELAY"] = "";
    environment["TANDREL_SIM_SWAP_OUTPUT"] = "";
    environment[knob[0]] = knob[1];
    Result result = run("listhbas");
    EXPECT_EQ(result.status, 3) << knob[0] << "=" << knob[1];
    EXPECT_TRUE(contains(result.err, knob[0])) << result.err;
  }
}

#ifndef _WIN32
TEST_F(SimulatorProgram, SwappedOutputLeavesSomethingElseBehind) {
  writeHost(exampleHost());
  const struct {
    const char* how;
    fs::file_type left;
  } kSwaps[] = {
      {"fifo", fs::file_type::fifo},
      {"zero", fs::file_type::symlink},
      {"removed", fs::file_type::not_found},
  };
  for (const auto& swap : kSwaps) {
    environment["TANDREL_SIM_SWAP_OUTPUT"] = std::string("listhbas ") + swap.how;
    // Read back with the type alone: a FIFO would block a reader.
    std::string line = environmentPrefix() + quoted(simulatorPath()) + " listhbas > " +
                       quoted(scratch.file("swapped.txt"));
    EXPECT_EQ(hostPlatform().runCommand(line), 0) << swap.how;
    EXPECT_EQ(fs::symlink_status(fs::u8path(scratch.file("swapped.txt"))).type(), swap.left)
        << swap.how;
    fs::remove(fs::u8path(scratch.file("swapped.txt")));
  }
  environment["TANDREL_SIM_SWAP_OUTPUT"] = "hbaattrib fifo";
  EXPECT_TRUE(contains(run("listhbas").out, "Port WWN"));
}
#endif

TEST_F(SimulatorProgram, HostileBytesAndSizesPassThrough) {
  writeHost(exampleHost() + "[host]\nfault.hbaattrib = nul-ff\nfault.listhbas = huge\n"
                            "fault.pcidata = long-lines\n");
  std::string bytes = run("hbaattrib 10:00:00:00:c9:7d:00:01").bytes;
  EXPECT_TRUE(contains(bytes, std::string("FW Version      : 2\xFF.82A4\0", 26)));
  EXPECT_EQ(run("listhbas").out.size(), tandrelsim::kHugeOutputSize);
  std::string pci = run("pcidata 10:00:00:00:c9:7d:00:01").out;
  EXPECT_EQ(pci.find('\n'), tandrelsim::kLongLineLength);
}

TEST_F(SimulatorProgram, UnknownCommandIsRefusedOnStandardError) {
  writeHost(exampleHost());
  Result result = run("flash 10:00:00:00:c9:7d:00:01");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("Tandrel (simulator): unknown command \"flash\"\nusage: ", 0), 0u)
      << result.err;
  EXPECT_EQ(scratch.read("log.txt"), "flash 10:00:00:00:c9:7d:00:01\n");
}

TEST_F(SimulatorProgram, MalformedOrMissingHostFileEndsWithStatusThree) {
  writeHost("[port]\nwwn = 1\nspeed = 16\n");
  Result malformed = run("listhbas local");
  EXPECT_EQ(malformed.status, 3);
  EXPECT_EQ(malformed.out, "");
  EXPECT_TRUE(contains(malformed.err, "host file " + scratch.file("host.txt") +
                                          ", line 3: unknown [port] key \"speed\""))
      << malformed.err;
  environment["TANDREL_SIM_HOST"] = scratch.file("absent.txt");
  Result missing = run("listhbas local");
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(contains(missing.err, "cannot read the host file " + scratch.file("absent.txt")));
  EXPECT_EQ(scratch.read("log.txt"), "listhbas local\nlisthbas local\n");
}

TEST_F(SimulatorProgram, HostFileBesideTheProgram) {
  fs::path installed = fs::u8path(scratch.file("Quenmar dir")) / kToolExecutable;
  fs::create_directories(installed.parent_path());
  fs::copy_file(fs::u8path(simulatorPath()), installed);
  scratch.write(std::string("Quenmar dir") + kPathSeparator + "host.txt",
                "[port]\nmac = 00-90-fa-00-00-09\n");
  environment["TANDREL_SIM_HOST"] = "";
  Result result = run("listhbas local", installed.u8string());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(contains(result.out, "Permanent MAC   : 00-90-fa-00-00-09\n"));
  EXPECT_TRUE(fs::exists(installed.parent_path() / "host.txt.state"));
}

}  // namespace
}  // namespace vornup
