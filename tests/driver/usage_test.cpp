#include "driver/usage.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/run_setup.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

// The usage text as administrators see it. Every line ends with "$" here, so
// that trailing blanks stay visible and no editor can take them away; the
// text begins with one empty line, which is not shown.
constexpr char kExpectedUsage[] = R"($
vornupOnline v6.0.23.1 - Korvane Firmware Update Utility$
$
vornup.exe  [/auto] [/downgrade] [/e] [/f] [/ff] [/fb] [/g] [/help]$
          [/log=<logfile>] [/q] [/p] [/remote] [/rewrite] [/s] [/update] [/v] [/?]$
                $
    /auto       Auto - Instructs Vornup to ignore the fwmatrix.txt file,$
                automatically discover HBAs, and to perform additional $
                operations using the boot and firmware directories.$
                $
                This switch requires the use of Korvane defined firmware and$
                boot code file names in their respective directories.$
                $
    /downgrade  Downgrade - For each installed and supported HBA, the current $
                firmware and boot code versions are compared with versions in$
                fwmatrix.txt. If the downgrade versions in fwmatrix.txt are$
                lower than the currently installed versions then the downgrade$
                versions of firmware and/or boot code are downloaded to$
                that HBA.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The user must place the desired$
                downgrade versions of firmware and boot code in their$
                respective directories. The downgrade versions are then$
                compared to the installed versions. If the downgrade versions$
                are lower than the installed versions then the downgrade$
                versions are downloaded to the HBA. If multiple versions of$
                firmware and boot code are found, the next-previous downgrade$
                versions of firmware and boot code will be downloaded to$
                the HBA.$
                $
    /e          Rewrite - This switch is equivalent to /rewrite.$
                $
    /fb         Force Boot Code - For each installed and supported HBA, force a$
                download of the boot code specified in the fwmatrix.txt file.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The user must place the desired$
                boot code in the boot directory. If multiple versions of boot$
                code are found for an HBA, the highest available version of$
                boot code will be downloaded to the HBA.$
                $
    /ff         Force Fw - For each installed and supported HBA, force a$
                download of the firmware specified in the fwmatrix.txt file.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The user must place the desired$
                firmware in the firmware directory. If multiple versions of$
                firmware are found for an HBA, the highest available version$
                of firmware will be downloaded to the HBA.$
                $
    /f          Force Fw and Boot - For each installed and supported HBA, force$
                a download of the firmware and boot code specified in the $
                fwmatrix.txt file.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The user must place the desired$
                firmware and boot code in their respective directories. If $
                multiple versions of firmware and/or boot are found for an HBA,$
                the highest available versions will be downloaded to the HBA.$
                $
    /g          Downgrade - Equivalent to using /downgrade.$
                $
    /h or /?    Display this help message.$
                $
    /log=<logfile> Append the output of this utility to the specified text file.$
                $
    /p          Preview Download - For each installed and supported HBA, $
                perform a download preview using the firmware and boot code$
                specified in the fwmatrix.txt file.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The firmware and boot directories$
                will be used to perform the download preview.$
                $
                This switch must be used with additional operational switches.$
                $
    /q          Query - Display the model, WWN, PCI ID, VID, SSID, SVID,$
                firmware and boot code versions of each installed HBA.$
                $
    /remote     Enable update on remote In-Band HBA's.$
                $
    /rewrite    Rewrite - For each installed and supported HBA, the current$
                firmware and boot code versions are compared with versions in$
                fwmatrix.txt. If the currently installed versions are less than$
                or equal to the rewrite versions in fwmatrix.txt then the$
                rewrite versions are downloaded to the HBA.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The user must place the desired$
                rewrite versions of firmware and boot code in their respective$
                directories. The rewrite versions are then compared to the$
                installed versions. If the installed versions are less than or$
                equal to the rewrite versions then the rewrite versions are$
                downloaded to the HBA. If multiple rewrite versions of firmware$
                or boot code are found, the highest available versions will be$
                downloaded to the HBA.$
                $
    /s          Silent - Mute all output to stdout.$
                $
    /update     Update - For each installed and supported HBA, the current$
                firmware and boot code versions are compared with versions in$
                fwmatrix.txt. If the update versions in fwmatrix.txt are higher$
                than the currently installed versions then the update versions$
                of firmware and/or boot code are downloaded to that HBA.$
                $
                When this switch is used with /auto, the fwmatrix.txt$
                configuration file is ignored. The user must place the desired$
                update versions of firmware and boot code in their respective$
                directories. The update versions are then compared to the$
                installed versions. If the update versions are higher than the$
                installed versions then the update versions are downloaded to$
                the HBA. If multiple update versions of firmware or boot code$
                are found, the highest available versions will be downloaded$
                to the HBA.$
                $
                When this switch is used with a download switch, an additional$
                field called "Supported Firmware" or "Supported Boot Code"$
                will be displayed. This field signifies the firmware or boot$
                code image that Vornup will attempt to download.$
                $
    /v          Verbose - Display progress messages.$
    /timeout=<minutes> Download time limit in minutes, 1-1440 (default 60).$
    /json=<file> Write a machine-readable run report (JSON) to <file>.$
    /baseline=<file> Use the signed baseline <file> instead of baseline.json.$
    /prom=<file> Write the run's metrics (Prometheus text format) to <file>.$
$)";

std::string withoutLineMarks(const char* marked) {
  std::string text;
  for (const char* c = marked; *c != '\0'; ++c) {
    if (*c != '$') text += *c;
  }
  return text;
}

class Usage : public ::testing::Test {
 protected:
  void SetUp() override {
    initRunState(captured.run);
    captured.run.programName = "vornup.exe";
    formatVersionString(captured.run);
  }
  CapturedRun captured;
};

TEST_F(Usage, TextIsByteForByteTheKnownOne) {
  printUsage(captured.run);
  EXPECT_EQ(captured.console(), withoutLineMarks(kExpectedUsage) + "\n");
}

TEST_F(Usage, BlankLinesHold16SpacesAndFiveLinesEndWithABlank) {
  printUsage(captured.run);
  std::string text = captured.console();
  int sixteenSpaceLines = 0;
  int trailingBlankLines = 0;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos;
       start = end + 1, end = text.find('\n', start)) {
    std::string line = text.substr(start, end - start);
    if (line == std::string(16, ' ')) {
      ++sixteenSpaceLines;
    } else if (!line.empty() && line.back() == ' ') {
      ++trailingBlankLines;
      EXPECT_NE(line[line.size() - 2], ' ') << line;
    }
  }
  EXPECT_EQ(sixteenSpaceLines, 26);
  EXPECT_EQ(trailingBlankLines, 5);
  EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
  EXPECT_EQ(text.substr(0, 2), "\nv");
}

TEST_F(Usage, SilentRunWritesItOnlyToTheLog) {
  captured.run.out.silent = true;
  captured.run.out.logFile = std::fopen(captured.scratch.file("usage.log").c_str(), "wb");
  ASSERT_NE(captured.run.out.logFile, nullptr);
  printUsage(captured.run);
  captured.run.out.closeLog();
  EXPECT_EQ(captured.console(), "");
  EXPECT_EQ(captured.scratch.readText("usage.log"), withoutLineMarks(kExpectedUsage) + "\n");
}

}  // namespace
}  // namespace vornup
