// An image that changes between its verification and its download is never
// flashed: in automatic mode every image is verified before the first tool
// command, and here the image file is replaced while the tool is still
// answering the adapter list (the simulator answers it late). The tool is
// given a verified private copy or nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "e2e/documented_outcomes.h"
#include "e2e/rack_fixture.h"
#include "platform/host_names.h"
#include "support/image_files.h"

namespace vornup {
namespace {

using namespace ports;

class VerifiedImage : public SimulatedHostTest {
 protected:
  // Runs /auto /update while `change` replaces the image once the adapter
  // list was asked for (the images are verified by then).
  RunResult runChangingImage(const std::function<void(const std::string&)>& change) {
    host.setEnvironment("TANDREL_SIM_DELAY", "listhbas 1500");
    const std::string image = firmwarePath("zf290a1.all");
    bool changed = false;
    std::thread changer([&] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (std::chrono::steady_clock::now() < deadline) {
        if (host.readWorkFile("tool.log").find("listhbas") != std::string::npos) {
          change(image);
          changed = true;
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    RunResult result = host.run({"/auto", "/update"});
    changer.join();
    EXPECT_TRUE(changed);
    host.unsetEnvironment("TANDREL_SIM_DELAY");
    return result;
  }
};

TEST_F(VerifiedImage, AReplacedImageIsNeverFlashedAndTheRunEndsAsForAFailedDownload) {
  struct Case {
    const char* label;
    std::function<void(const std::string&)> change;
  };
  const Case cases[] = {
      {"an older valid image",
       [](const std::string& path) { testimages::writeAll(path, kAllZF, "280A2"); }},
      {"junk", [](const std::string& path) { testimages::writeBytes(path, {'j', 'u', 'n', 'k'}); }},
#ifndef _WIN32
      {"a FIFO",
       [](const std::string& path) {
         std::filesystem::remove(path);
         ::mkfifo(path.c_str(), 0600);
       }},
#endif
      {"removed", [](const std::string& path) { std::filesystem::remove(path); }},
  };
  // What a download the tool fails ends with, for comparison.
  describeHost({withSetting(kKf1602, "download = fail")});
  writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
  const RunResult failed = host.run({"/auto", "/update"});
  ASSERT_EQ(occurrences(failed.console, "Status=Error\n"), 1u) << failed.console;

  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    describeHost({kKf1602});
    std::error_code ignored;
    std::filesystem::remove(firmwarePath("zf290a1.all"), ignored);
    writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
    const RunResult result = runChangingImage(c.change);
    // Nothing was downloaded, the firmware stays as it was.
    EXPECT_EQ(takeToolCommands(), discoveryAnd()) << result.console;
    EXPECT_TRUE(contains(result.console, "Image=zf290a1.all, New=290A1, Old=282A4, Status=Error"))
        << result.console;
    EXPECT_EQ(result.exitCode, failed.exitCode) << result.console;
    EXPECT_EQ(outcomes::lastStatusLine(result.console), outcomes::lastStatusLine(failed.console));
    // Standard error names the file (a vanished file keeps its result line).
    if (std::string(c.label) != "removed") {
      EXPECT_TRUE(contains(result.console, firmwarePath("zf290a1.all"))) << result.console;
    }
    EXPECT_TRUE(host.tempDirectoryIsEmpty());
    std::filesystem::remove(firmwarePath("zf290a1.all"), ignored);
  }
}

// An unchanged image is downloaded from its private copy, which is gone
// after the run.
TEST_F(VerifiedImage, AnUnchangedImageIsDownloadedFromItsPrivateCopy) {
  describeHost({kKf1602});
  writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
  const RunResult result = runChangingImage([](const std::string&) {});
  EXPECT_EQ(takeToolCommands(),
            discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all"))}));
  EXPECT_TRUE(contains(result.console, "New=290A1, Old=282A4, Status=Success")) << result.console;
  EXPECT_TRUE(host.tempDirectoryIsEmpty());
}

}  // namespace
}  // namespace vornup
