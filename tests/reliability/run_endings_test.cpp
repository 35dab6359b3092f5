// Every run leaves through one place (POSIX, real processes against the
// simulator): however it ended, it printed one status line, its report and
// its history line say the code the process ended with, and a log it opened
// was closed after that line.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "e2e/report_check.h"
#include "reliability/launched_run.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(RunEndings, EachEndingPrintsOneStatusAndWritesItsRecordsOnce) {
  enum class Ending { completed, earlyError, refusedByTheLock, interrupted };
  const struct {
    const char* name;
    Ending ending;
    int exitCode;
    std::size_t historyLines;  // the tool was used: one line
    bool logged;               // a refused run never opens its log
  } cases[] = {
      {"completed", Ending::completed, 0, 1, true},
      {"early error", Ending::earlyError, 5, 1, true},  // an empty adapter list
      {"refused by the lock", Ending::refusedByTheLock, 75, 0, false},
      {"interrupted", Ending::interrupted, 143, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    const std::vector<std::string> args = {"/f", "/log=" + work + "run.log",
                                           "/json=" + work + "run.json"};
    std::map<std::string, std::string> environment;
    if (c.ending == Ending::earlyError) environment["TANDREL_SIM_FAIL_CALL"] = "1 no-output";
    if (c.ending == Ending::interrupted) environment["TANDREL_SIM_DELAY"] = "download 700";
    std::unique_ptr<LaunchedRun> holder;
    if (c.ending == Ending::refusedByTheLock) {
      holder = std::make_unique<LaunchedRun>(install.host, std::vector<std::string>{"/q"}, "holder",
                                             std::map<std::string, std::string>{
                                                 {"TANDREL_SIM_DELAY", "listhbas 3000"}});
      ASSERT_TRUE(waitForLine(work + "tool.log", "listhbas")) << holder->err();
    }
    LaunchedRun run(install.host, args, "run", environment);
    if (c.ending == Ending::interrupted) {
      ASSERT_TRUE(waitForLine(work + "tool.log", "download ")) << run.err();
      run.signalGroup(SIGTERM);
    }
    const int exitCode = run.wait();
    const std::size_t historyLines =
        countOf(ScratchDirectory::readFile(install.host.historyPath()), "\n");
    if (holder != nullptr) {
      EXPECT_EQ(holder->wait(), 0) << holder->err();
    }

    EXPECT_EQ(exitCode, c.exitCode) << run.out() << run.err();
    const std::string printed = run.out() + run.err();
    EXPECT_EQ(countOf(printed, " - Return Code="), 1u) << printed;
    install.host.checkReport(args, {exitCode, printed}, work + "run.json");
    const Json report = reportcheck::parsed(ScratchDirectory::readFile(work + "run.json"));
    ASSERT_TRUE(report.is_object());
    EXPECT_EQ(report["exit_code"], exitCode);
    EXPECT_EQ(report["in_progress"], false);
    EXPECT_EQ(historyLines, c.historyLines);
    const std::string log = ScratchDirectory::readFile(work + "run.log");
    if (!c.logged) {
      EXPECT_EQ(log, "");
      continue;
    }
    // One status line with the run's code, and the closing lines of the
    // shutdown after it (a reboot notice may come between).
    EXPECT_EQ(countOf(log, " - Return Code="), 1u) << log;
    const std::size_t status = log.find(" - Return Code=" + std::to_string(exitCode) + "\n\n");
    EXPECT_NE(status, std::string::npos) << log;
    EXPECT_EQ(log.compare(log.size() - 3, 3, "\n\n\n"), 0) << log;
  }
}

}  // namespace
}  // namespace vornup
