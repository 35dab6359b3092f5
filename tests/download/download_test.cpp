#include "download/download.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/sample_adapters.h"
#include "support/tool_run_fixture.h"

namespace vornup {
namespace {

class DownloadTest : public ToolRunFixture {
 protected:
  ImageNode image(const char* fileName, const char* decodedId, bool createFile = true,
                  bool boot = false) {
    ImageNode node;
    node.actualFileName.set(fileName);
    node.decodedId.set(decodedId);
    if (createFile) {
      std::string dir = boot ? c.run.bootDirectory.c_str() : c.run.firmwareDirectory.c_str();
      std::FILE* f = std::fopen((dir + fileName).c_str(), "wb");
      EXPECT_NE(f, nullptr);
      if (f != nullptr) std::fclose(f);
    }
    return node;
  }
};

TEST_F(DownloadTest, FirmwareIsNamedByTheFullPathOfTheCheckedFile) {
  Adapter& fc = add(sampleFcAdapter());
  ImageNode node = image("kf290a1.all", "KF290A1");
  EXPECT_EQ(executeDownload(c.run, fc, node, kDownloadFirmware), 0);
  ASSERT_EQ(toolCalls().size(), 1u);
  EXPECT_EQ(toolCalls()[0], std::string("download 10:00:00:00:5E:AA:BB:01 \"") +
                                c.run.firmwareDirectory.c_str() + "kf290a1.all\"");
  std::string console = c.console();
  EXPECT_NE(console.find("HBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01,\n"
                         "Update=Firmware, Image=kf290a1.all, New=290A1, Old=282A4, "
                         "Status=Success\n"),
            std::string::npos)
      << console;
  EXPECT_EQ(fc.fwAttempted, 1);
  EXPECT_EQ(c.run.counters.downloadCount, 1);
  EXPECT_EQ(c.run.counters.downloadErrorCount, 0);
  EXPECT_EQ(c.run.counters.cnaFwDownloadCount, 0);
}

TEST_F(DownloadTest, MissingImageFileFailsWithoutRunningTheTool) {
  Adapter& fc = add(sampleFcAdapter());
  ImageNode fw = image("absent.all", "KF290A1", false);
  EXPECT_EQ(executeFwDownload(c.run, fc, fw), 1);
  EXPECT_NE(c.console().find("Status=Error: Firmware file not found!\n"), std::string::npos);
  EXPECT_NE(c.trace().find("Status=Error: Firmware file not found!\n"), std::string::npos);
  ImageNode boot = image("absent.prg", "KU520A1", false);
  EXPECT_EQ(executeBiosDownload(c.run, fc, boot), 1);
  EXPECT_NE(c.console().find("Status=Error: Boot code file not found!\n"), std::string::npos);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(c.run.counters.downloadCount, 2);
  EXPECT_EQ(c.run.counters.downloadErrorCount, 2);
}

TEST_F(DownloadTest, OutcomeIsJudgedByTheWordCompleteAlone) {
  struct Case {
    const char* reply;
    int result;
    uint16_t errors;
  };
  const Case cases[] = {
      {"Download Complete\n", 0, 0},
      {"download complete\n", 1, 1},  // lower case is no success
      {"", 1, 1},
      {"Error: adapter busy\n", 1, 1},
  };
  for (const Case& k : cases) {
    c.run.counters = Counters();
    reply = k.reply;
    Adapter& fc = add(sampleFcAdapter());
    ImageNode node = image("kf290a1.all", "KF290A1");
    EXPECT_EQ(executeFwDownload(c.run, fc, node), k.result) << k.reply;
    EXPECT_EQ(c.run.counters.downloadErrorCount, k.errors) << k.reply;
  }
}

TEST_F(DownloadTest, ConvergedAdapterIsDownloadedOnceForAllItsFunctions) {
  struct Case {
    const char* reply;
    const char* status;
    uint16_t errors;
  };
  const Case cases[] = {{"Complete\nreboot required\n", "Status=Success\n", 0},
                        {"Failed\n", "Status=Error\n", 2}};
  for (const Case& k : cases) {
    c.run.adapterList.clear();
    c.run.counters = Counters();
    runner.calls.clear();
    reply = k.reply;
    Adapter& nic = add(sampleNicFunction());
    Adapter fcoeSample = sampleFcoeFunction();
    fcoeSample.serialNumber.set(nic.serialNumber.c_str());
    fcoeSample.bus = nic.bus;
    Adapter& fcoe = add(fcoeSample);
    ImageNode node = image("kc20.ufi", "4.1.0.0");

    executeFwDownload(c.run, nic, node);
    c.console();
    c.trace();
    executeFwDownload(c.run, fcoe, node);
    EXPECT_EQ(runner.calls.size(), 1u) << k.reply;
    std::string console = c.console();
    EXPECT_NE(console.find(k.status), std::string::npos) << console;
    EXPECT_NE(console.find("New=4.1.0.0"), std::string::npos) << console;
    EXPECT_NE(c.trace().find("Skipping adapter...\n"), std::string::npos);
    EXPECT_EQ(c.run.counters.downloadCount, 2);
    EXPECT_EQ(c.run.counters.cnaFwDownloadCount, 1);
    EXPECT_EQ(c.run.counters.downloadErrorCount, k.errors);
    EXPECT_EQ(c.run.counters.cnaFwErrorCount, k.errors);
    EXPECT_EQ(c.run.counters.cnaNoRebootCount, 0);
  }
}

TEST_F(DownloadTest, ConvergedDownloadWithoutRebootRequestIsCounted) {
  reply = "Complete\n";
  Adapter& nic = add(sampleNicFunction());
  ImageNode node = image("kc20.ufi", "4.1.0.0");
  EXPECT_EQ(executeFwDownload(c.run, nic, node), 0);
  EXPECT_EQ(nic.downloadStat, kDownloadSucceeded);
  EXPECT_EQ(c.run.counters.cnaFwDownloadCount, 1);
  EXPECT_EQ(c.run.counters.cnaNoRebootCount, 1);
  ASSERT_EQ(toolCalls().size(), 1u);
  // NIC and iSCSI functions are addressed by MAC.
  EXPECT_EQ(toolCalls()[0].rfind("download 00-11-22-33-44-55 \"", 0), 0u) << toolCalls()[0];
}

TEST_F(DownloadTest, PreviewRunsNoDownloadButStillDisablesBootCode) {
  c.run.sw.preview = 1;
  Adapter fcSample = sampleFcAdapter();
  fcSample.bootEnabled = 0;
  Adapter& fc = add(fcSample);
  ImageNode fw = image("kf290a1.all", "KF290A1");
  ImageNode boot = image("ku520a1.prg", "KU520A1", true, true);
  EXPECT_EQ(executeFwDownload(c.run, fc, fw), 0);
  EXPECT_EQ(executeBiosDownload(c.run, fc, boot), 0);
  std::vector<std::string> calls = toolCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], "enablebootcode 10:00:00:00:5E:AA:BB:01 D");
  std::string console = c.console();
  EXPECT_NE(console.find("Update=Firmware, Image=kf290a1.all, New=290A1, Old=282A4, "
                         "Status=Preview\n"),
            std::string::npos);
  EXPECT_NE(console.find("Update=Boot Code, Image=ku520a1.prg, New=520A1, Old=510A3, "
                         "Status=Preview\n"),
            std::string::npos);
  std::string trace = c.trace();
  EXPECT_NE(trace.find("fw downloadCmd = preview\n"), std::string::npos);
  EXPECT_NE(trace.find("bc downloadCmd = preview\n"), std::string::npos);
}

TEST_F(DownloadTest, UnsafeAddressIsNeverPlacedOnACommandLine) {
  Adapter fcSample = sampleFcAdapter();
  fcSample.wwn.set("10:00;reboot");
  Adapter& fc = add(fcSample);
  ImageNode node = image("kf290a1.all", "KF290A1");
  EXPECT_EQ(executeFwDownload(c.run, fc, node), 1);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(c.run.counters.downloadErrorCount, 1);
}

}  // namespace
}  // namespace vornup
