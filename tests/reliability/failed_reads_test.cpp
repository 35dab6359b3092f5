// A port whose details could not be read (attributes, PCI data, wakeup,
// boot code switch) is a failed port: its query or download counts as
// failed, no status line shows before the end of the run, standard error and
// the log name the port, the command and why, and the run report says so.
// The installed program and the simulator as child processes.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "e2e/report_check.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

std::size_t occurrences(const std::string& text, const std::string& word) {
  std::size_t count = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    ++count;
  }
  return count;
}

// The 1-based number of the first call that starts with `command`; 0 when
// there is none.
std::size_t firstCall(const std::vector<std::string>& calls, const std::string& command) {
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].compare(0, command.size() + 1, command + " ") == 0) return i + 1;
  }
  return 0;
}

TEST(FailedPortReads, CountAsFailedAndSayWhichReadFailedAndWhy) {
  const struct {
    const char* command;             // the read that fails
    std::vector<std::string> args;   // the run's switches
    const char* swap;                // POSIX: the reply swapped, instead of none at all
    int exitCode;
    const char* finalLine;
    const char* reason;
  } cases[] = {
      {"hbaattrib", {"/q"}, nullptr, 3, "some required queries failed", "the tool gave no reply"},
      {"hbaattrib", {"/auto", "/update"}, nullptr, 3, "some required updates failed",
       "the tool gave no reply"},
      {"pcidata", {"/auto", "/update", "/s"}, nullptr, 3, "some required updates failed",
       "the tool gave no reply"},
      {"wakeup", {"/f"}, nullptr, 3, "some required firmware and/or boot code downloads failed",
       "the tool gave no reply"},
      {"enablebootcode", {"/auto", "/update"}, "enablebootcode fifo", 3,
       "some required updates failed", "its reply is no regular file that can be read"},
  };
  for (const auto& c : cases) {
    if (c.swap != nullptr && kWindowsHost) continue;  // the simulator swaps on POSIX only
    SCOPED_TRACE(std::string(c.command) + " " + c.args[0]);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    const bool silent = c.args.back() == "/s";
    std::vector<std::string> args = c.args;
    args.push_back("/log=" + work + "run.log");
    args.push_back("/json=" + work + "run.json");
    std::string fault;
    if (c.swap != nullptr) {
      install.host.setEnvironment("TANDREL_SIM_SWAP_OUTPUT", c.swap);
    } else {
      std::vector<std::string> loud = c.args;
      if (silent) loud.pop_back();
      const std::size_t call = firstCall(install.run(loud).calls, c.command);
      ASSERT_GT(call, 0u);
      fault = std::to_string(call) + " no-output";
    }
    const ObservedRun run = install.run(args, fault);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.console;
    // One status line, the last: none from the failed read. Silent runs
    // show only standard error; the log gets everything.
    const std::string log = ScratchDirectory::readFile(work + "run.log");
    const std::string& shown = silent ? log : run.console;
    EXPECT_EQ(occurrences(shown, "Return Code="), 1u) << shown;
    EXPECT_NE(shown.find(std::string(c.finalLine) + " - Return Code="), std::string::npos) << shown;
    const std::string note = std::string("the ") + c.command + " command failed (" + c.reason + ")";
    EXPECT_EQ(occurrences(run.console, note), silent ? 0u : 1u) << run.console;
    EXPECT_EQ(occurrences(log, note), 1u) << log;
    if (!silent) install.host.checkReport(args, {run.exitCode, run.console}, work + "run.json");

    const nlohmann::json report = reportcheck::parsed(ScratchDirectory::readFile(work + "run.json"));
    ASSERT_TRUE(report.is_object());
    std::size_t failedPorts = 0;
    for (const auto& port : report["ports"]) {
      if (port["read_failure"].is_null()) continue;
      ++failedPorts;
      EXPECT_EQ(port["read_failure"]["command"], c.command);
      EXPECT_EQ(port["read_failure"]["reason"], c.reason);
    }
    EXPECT_GE(failedPorts, 1u) << report.dump(1);
  }
}

}  // namespace
}  // namespace vornup
