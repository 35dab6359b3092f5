// The run history and the metrics file of whole runs on both hosts (Windows
// under Wine): one history line per run that agrees with its report, the
// metrics file beside it, and locations that cannot be written, which cost
// a warning and nothing else.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "e2e/rack_fixture.h"
#include "e2e/report_check.h"
#include "platform/host_names.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

class HostRecordsTest : public RackTest {
 protected:
  Json report() const { return reportcheck::parsed(ScratchDirectory::readFile(host.reportPath())); }
  std::string metricsPath() const { return host.workDirectory() + "vornup.prom"; }
};

TEST_F(HostRecordsTest, EachRunAppendsALineThatAgreesWithItsReport) {
  const std::vector<std::vector<std::string>> runs = {
      {"/auto", "/update", "/prom=" + metricsPath()}, {"/auto", "/update", "/p"}};
  for (std::size_t n = 0; n < runs.size(); ++n) {
    const RunResult result = host.run(runs[n]);
    const Json document = report();
    ASSERT_TRUE(document.is_object());
    std::string text = ScratchDirectory::readFile(host.historyPath());
    std::size_t lines = 0;
    std::size_t last = 0;
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at, ++lines) {
      if (at + 1 < text.size()) last = at + 1;
    }
    ASSERT_EQ(lines, n + 1) << text;
    const Json line = Json::parse(text.substr(last), nullptr, false);
    ASSERT_TRUE(line.is_object()) << text;
    EXPECT_EQ(line["exit_code"], result.exitCode);
    EXPECT_EQ(line["status"], document["status"]["text"]);
    ASSERT_EQ(line["adapters"].size(), document["ports"].size());
    for (std::size_t i = 0; i < document["ports"].size(); ++i) {
      const Json& port = document["ports"][i];
      EXPECT_EQ(line["adapters"][i]["address"], port["address"]);
      EXPECT_EQ(line["adapters"][i]["firmware"]["after"], port["firmware"]["after"]);
      EXPECT_EQ(line["adapters"][i]["boot_code"]["outcome"],
                port["images"]["boot_code"]["outcome"]);
    }
  }
  const std::string metrics = ScratchDirectory::readFile(metricsPath());
  EXPECT_NE(metrics.find("\nvornup_last_run_downloads{outcome=\"downloaded\"} "), std::string::npos)
      << metrics;
  EXPECT_NE(metrics.find("vornup_adapter_info{address=\"" + std::string(ports::kKf1602Wwn) +
                         "\",model=\"KF1602\",port_type=\"FC\",firmware=\"ZF290A1\","),
            std::string::npos)
      << metrics;
}

TEST_F(HostRecordsTest, AnUnwritableLocationIsAWarningOnly) {
  const RunResult usual = host.run({"/auto", "/update", "/p"});
  // The history's name is a folder now, the metrics go to a missing folder.
  host.setRegistryString(E2eHost::kSettingsKey, "HistoryFile", host.workDirectory());
  const RunResult warned = host.run({"/auto", "/update", "/p", "/prom=" + host.workDirectory() +
                                     "missing" + kPathSeparator + "vornup.prom"});
  EXPECT_EQ(warned.exitCode, usual.exitCode);
  EXPECT_NE(warned.console.find("the run history " + host.workDirectory() + " was not written"),
            std::string::npos)
      << warned.console;
  EXPECT_NE(warned.console.find("vornup.prom was not written"), std::string::npos)
      << warned.console;
  EXPECT_EQ(report()["exit_code"], usual.exitCode);
}

}  // namespace
}  // namespace vornup
