// The run report of runs that end early by the hand of another process
// (POSIX): an interrupted run and a run refused because another one holds
// the host. Both write their report, which agrees with what they printed.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>

#include <string>
#include <vector>

#include "e2e/report_check.h"
#include "reliability/launched_run.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

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

}  // namespace
}  // namespace vornup
