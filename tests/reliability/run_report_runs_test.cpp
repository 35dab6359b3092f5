// The run report of runs that end early by the hand of another process
// (POSIX): an interrupted run and a run refused because another one holds
// the host. Both write their report, which agrees with what they printed.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/report_check.h"
#include "reliability/launched_run.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

void writeText(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fputs(text.c_str(), file);
  std::fclose(file);
}

Json reportAt(const std::string& path) {
  return reportcheck::parsed(ScratchDirectory::readFile(path));
}

TEST(RunReportOfInterruptedRun, SaysInterruptedWithTheSignalsCode) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  const std::string report = work + "interrupted report.json";
  const std::vector<std::string> args = {"/f", "/json=" + report};
  LaunchedRun run(install.host, args, "run", {{"TANDREL_SIM_DELAY", "download 1500"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", "download ")) << run.err();
  run.signalGroup(SIGINT);
  const int exitCode = run.wait();
  EXPECT_EQ(exitCode, 130) << run.out() << run.err();
  install.host.checkReport(args, {exitCode, run.out() + run.err()}, report);
  const Json document = reportAt(report);
  ASSERT_TRUE(document.is_object());
  EXPECT_EQ(document["interrupted"], true);
  EXPECT_EQ(document["status"]["text"], "Error - run interrupted");
  EXPECT_EQ(document["operation"], "force");
  // The download that was running finished; it is in the report.
  EXPECT_EQ(document["ports"][0]["images"]["firmware"]["outcome"], "downloaded") << document.dump(1);
}

TEST(RunReportOfRefusedRun, NamesTheRunInProgressAndTheCommandLine) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  const std::vector<std::string> firstArgs = {"/f", "/json=" + work + "first.json"};
  const std::vector<std::string> secondArgs = {"/auto", "/update", "/json=" + work + "second.json"};
  LaunchedRun first(install.host, firstArgs, "first", {{"TANDREL_SIM_DELAY", "listhbas 1500"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", "listhbas")) << first.err();
  LaunchedRun second(install.host, secondArgs, "second");
  const int secondCode = second.wait();
  const int firstCode = first.wait();
  EXPECT_EQ(secondCode, 75) << second.err();
  EXPECT_EQ(firstCode, 0) << first.out();
  install.host.checkReport(secondArgs, {secondCode, second.out() + second.err()}, work + "second.json");
  install.host.checkReport(firstArgs, {firstCode, first.out() + first.err()}, work + "first.json");
  const Json refused = reportAt(work + "second.json");
  ASSERT_TRUE(refused.is_object());
  EXPECT_EQ(refused["status"]["text"], "Error - another vornup run is in progress");
  EXPECT_EQ(refused["mode"], "auto");
  EXPECT_EQ(refused["operation"], "update");
  EXPECT_EQ(refused["ports"], Json::array());
  EXPECT_EQ(refused["tool_path"], nullptr);
  EXPECT_EQ(reportAt(work + "first.json")["exit_code"], 0);
}

// What /json= may name: only a regular file is replaced, keeping its mode and
// owner; anything else, and the log file under any name, is refused before
// the run touches the host, and left as it was.
TEST(RunReportTargets, OnlyARegularFileIsReplacedAndKeepsItsModeAndOwner) {
  const struct {
    const char* name;
    // Makes what stands at the report's path; returns the /json= value.
    std::string (*make)(const std::string& work);
    int exitCode;
  } cases[] = {
      {"FIFO", [](const std::string& w) { ::mkfifo((w + "r.json").c_str(), 0600); return w + "r.json"; }, 4},
      {"link to a report",
       [](const std::string& w) {
         writeText(w + "old.json", "{}\n");
         (void)::symlink((w + "old.json").c_str(), (w + "r.json").c_str());
         return w + "r.json";
       }, 4},
      {"the log by another spelling",
       [](const std::string& w) {
         writeText(w + "run.log", "");
         return w + "./sub/../run.log";
       }, 4},
      {"the log by a hard link",
       [](const std::string& w) {
         writeText(w + "run.log", "");
         (void)::link((w + "run.log").c_str(), (w + "r.json").c_str());
         return w + "r.json";
       }, 4},
      {"an earlier report of another owner, mode 0640",
       [](const std::string& w) {
         writeText(w + "r.json", "{}\n");
         ::chmod((w + "r.json").c_str(), 0640);
         (void)::chown((w + "r.json").c_str(), 4321, 4322);
         return w + "r.json";
       }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessInstall install;
    const std::string work = install.host.workDirectory();
    ::mkdir((work + "sub").c_str(), 0700);
    const std::string target = c.make(work);
    struct stat before;
    ASSERT_EQ(::lstat(target.c_str(), &before), 0);
    const ObservedRun run = install.run({"/q", "/log=" + work + "run.log", "/json=" + target});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.console;
    struct stat after;
    ASSERT_EQ(::lstat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (c.exitCode == 0) {
      EXPECT_EQ(reportAt(target)["exit_code"], 0);
    } else {
      EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
      EXPECT_TRUE(run.calls.empty() || run.calls == std::vector<std::string>{""}) << run.calls[0];
      EXPECT_NE(run.console.find("unable to write run report"), std::string::npos) << run.console;
    }
  }
}

// No earlier report is left at the path while a run works: it says the run
// is in progress before the first tool command. A final report that cannot
// be written ends the run with 4 and a status line that says so.
TEST(RunReportInProgress, ReplacesTheEarlierReportAndAnUnwrittenEndFailsTheRun) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  const std::string report = work + "r.json";
  const std::vector<std::string> args = {"/q", "/json=" + report};
  ASSERT_EQ(install.run({"/q", "/json=" + report}).exitCode, 0);
  std::remove((work + "tool.log").c_str());
  LaunchedRun run(install.host, args, "run", {{"TANDREL_SIM_DELAY", "listhbas 1000"}});
  ASSERT_TRUE(waitForLine(work + "tool.log", "listhbas")) << run.err();
  const Json during = reportAt(report);
  EXPECT_EQ(during["in_progress"], true) << during.dump(1);
  EXPECT_EQ(during["exit_code"], nullptr);
  // The final report's temporary name is taken.
  const std::string temporary = report + "." + std::to_string(run.pid()) + ".tmp";
  ASSERT_EQ(::mkdir(temporary.c_str(), 0700), 0);
  EXPECT_EQ(run.wait(), 4) << run.out() << run.err();
  EXPECT_NE(run.out().find("\nvornup: Error - unable to write run report " + report +
                           " - Return Code=4\n\n"),
            std::string::npos)
      << run.out();
  EXPECT_EQ(reportAt(report)["in_progress"], true);
}

}  // namespace
}  // namespace vornup
