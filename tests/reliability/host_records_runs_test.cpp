// What whole runs leave on their host (POSIX, real processes against the
// simulator): the history line, the metrics file and the audit records of a
// run agree with its report and promtool accepts the metrics; a run killed
// outright leaves only whole lines; two runs at once append two whole lines.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e/report_check.h"
#include "platform/platform.h"
#include "reliability/launched_run.h"
#include "reliability/reliability_run.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

// A syslog receiver on a private socket.
class SyslogReceiver {
 public:
  explicit SyslogReceiver(const std::string& path) : path_(path) {
    socket_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
  }
  ~SyslogReceiver() { ::close(socket_); }
  const std::string& path() const { return path_; }
  std::vector<std::string> records() {
    std::vector<std::string> taken;
    char buffer[8192];
    for (ssize_t got; (got = ::recv(socket_, buffer, sizeof buffer, 0)) > 0;) {
      taken.emplace_back(buffer, static_cast<std::size_t>(got));
    }
    return taken;
  }

 private:
  std::string path_;
  int socket_ = -1;
};

// The history's lines, each parsed (a discarded value when it is no JSON).
std::vector<Json> historyLines(const std::string& path) {
  const std::string text = ScratchDirectory::readFile(path);
  EXPECT_TRUE(text.empty() || text.back() == '\n') << text;
  std::vector<Json> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(Json::parse(text.substr(at, end - at), nullptr, false));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

std::string installed(const Json& kind) {
  return kind["after"].is_string() ? kind["after"].get<std::string>()
                                   : kind["before"].is_string() ? kind["before"].get<std::string>()
                                                                : std::string();
}

TEST(HostRecordsOfARun, HistoryMetricsAndAuditAgreeWithTheReport) {
  ProcessInstall install;
  const std::string work = install.host.workDirectory();
  SyslogReceiver receiver(work + "log");
  const std::vector<std::string> args = {"/f", "/json=" + work + "report.json",
                                         "/prom=" + work + "vornup.prom"};
  LaunchedRun run(install.host, args, "run", {{"VORNUP_SYSLOG_SOCKET", receiver.path()}});
  const int exitCode = run.wait();
  install.host.checkReport(args, {exitCode, run.out() + run.err()}, work + "report.json");
  const Json report = reportcheck::parsed(ScratchDirectory::readFile(work + "report.json"));
  ASSERT_TRUE(report.is_object());
  const std::vector<Json> history = historyLines(install.host.historyPath());
  ASSERT_EQ(history.size(), 1u);
  const Json& line = history[0];
  for (const char* field : {"exit_code", "command_line", "mode", "operation", "reboot_required"}) {
    EXPECT_EQ(line[field], report[field]) << field;
  }
  EXPECT_EQ(line["status"], report["status"]["text"]);
  const std::string metrics = ScratchDirectory::readFile(work + "vornup.prom");
  EXPECT_NE(metrics.find("\nvornup_last_run_exit_code " + std::to_string(exitCode) + "\n"),
            std::string::npos)
      << metrics;
  const std::vector<std::string> records = receiver.records();
  ASSERT_FALSE(records.empty());
  EXPECT_NE(records.back().find("]: run user=\""), std::string::npos) << records.back();
  EXPECT_NE(records.back().find(" exit_code=" + std::to_string(exitCode) + " "), std::string::npos);

  // Per port: the history, the metrics and the download records say what
  // the report says.
  std::size_t downloads = 0;
  ASSERT_EQ(line["adapters"].size(), report["ports"].size());
  for (std::size_t i = 0; i < report["ports"].size(); ++i) {
    const Json& port = report["ports"][i];
    const Json& adapter = line["adapters"][i];
    const std::string address = port["address"];
    EXPECT_EQ(adapter["address"], address);
    bool infoFound = false;
    for (std::size_t at = metrics.find("vornup_adapter_info{address=\"" + address + "\"");
         at != std::string::npos && !infoFound;) {
      const std::string sample = metrics.substr(at, metrics.find('\n', at) - at);
      infoFound = sample.find("firmware=\"" + installed(adapter["firmware"]) + "\"") !=
                  std::string::npos;
      at = metrics.find("vornup_adapter_info{address=\"" + address + "\"", at + 1);
    }
    EXPECT_TRUE(infoFound) << address << "\n" << metrics;
    for (const char* kind : {"firmware", "boot_code"}) {
      const Json& image = port["images"][kind];
      EXPECT_EQ(adapter[kind]["outcome"], image["outcome"]) << address << " " << kind;
      EXPECT_EQ(adapter[kind]["after"], port[kind]["after"]) << address << " " << kind;
      if (image["outcome"] != "downloaded" && image["outcome"] != "failed") continue;
      ++downloads;
      bool recorded = false;
      for (const std::string& record : records) {
        recorded = recorded || (record.find("]: download ") != std::string::npos &&
                                record.find("address=\"" + address + "\"") != std::string::npos &&
                                record.find(std::string("kind=") + kind) != std::string::npos &&
                                record.find("outcome=" + image["outcome"].get<std::string>()) !=
                                    std::string::npos);
      }
      EXPECT_TRUE(recorded) << address << " " << kind;
    }
  }
  EXPECT_GT(downloads, 0u);
  EXPECT_EQ(records.size(), downloads + 1);
  EXPECT_EQ(hostPlatform().runCommand("promtool check metrics < '" + work + "vornup.prom'"), 0)
      << "promtool (Debian package prometheus, scripts/setup-host.sh) refused or is missing:\n"
      << metrics;
}

TEST(HostRecordsOfARun, AKilledRunLeavesWholeLinesAndACutLineStaysApart) {
  ProcessInstall install;
  const std::string history = install.host.historyPath();
  {
    std::FILE* file = std::fopen(history.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("{\"schema_version\":1,\"ti", file);  // cut short by a full disk
    std::fclose(file);
  }
  LaunchedRun killed(install.host, {"/f"}, "killed", {{"TANDREL_SIM_DELAY", "download 1500"}});
  ASSERT_TRUE(waitForLine(install.host.workDirectory() + "tool.log", "download ")) << killed.err();
  killed.signalGroup(SIGKILL);
  killed.wait();
  // The killed run's download holds the host until the tool ends.
  ObservedRun after;
  for (int attempt = 0; attempt < 40 && (attempt == 0 || after.exitCode == 75); ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(250));
    after = install.run({"/q"});
  }
  const std::vector<Json> lines = historyLines(history);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].is_discarded());
  ASSERT_TRUE(lines[1].is_object());
  EXPECT_EQ(lines[1]["operation"], "query");
  EXPECT_EQ(lines[1]["exit_code"], after.exitCode);
  // A cut line is left out of the schema check that follows the tests.
  std::remove(history.c_str());
}

TEST(HostRecordsOfARun, TwoRunsAtOnceAppendTwoWholeLines) {
  ProcessInstall first;
  ProcessInstall second;
  second.host.setRegistryString(E2eHost::kSettingsKey, "HistoryFile", first.host.historyPath());
  const std::map<std::string, std::string> slow = {{"TANDREL_SIM_DELAY", "download 500"}};
  LaunchedRun one(first.host, {"/f"}, "one", slow);
  LaunchedRun two(second.host, {"/f"}, "two", slow);
  const int codes[] = {one.wait(), two.wait()};
  const std::vector<Json> lines = historyLines(first.host.historyPath());
  ASSERT_EQ(lines.size(), 2u);
  for (const Json& line : lines) {
    ASSERT_TRUE(line.is_object());
    EXPECT_EQ(line["operation"], "force");
    EXPECT_TRUE(line["exit_code"] == codes[0] || line["exit_code"] == codes[1]);
  }
}

}  // namespace
}  // namespace vornup
