#include "download/download.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "selection/image_discovery.h"
#include "support/image_files.h"
#include "support/sample_adapters.h"
#include "support/tool_run_fixture.h"

namespace vornup {
namespace {

class DownloadTest : public ToolRunFixture {
 protected:
  // The node of an image file: without `createFile` only named; otherwise a
  // good image of that version (an FC identifier's version follows its
  // two-letter type code) is written and the node made from it as discovery
  // makes it.
  ImageNode image(const char* fileName, const char* decodedId, bool createFile = true,
                  bool boot = false) {
    ImageNode node;
    node.actualFileName.set(fileName);
    node.decodedId.set(decodedId);
    if (!createFile) return node;
    const std::string path = boot ? bootPath(fileName) : firmwarePath(fileName);
    writeImage(path, decodedId);
    const ImageKind imageKind = boot ? ImageKind::bootCode : ImageKind::firmware;
    ImageFileKind kind;
    EXPECT_TRUE(classifyImageName(fileName, imageKind, kind)) << fileName;
    ImageIdText identifier;
    ImageFamily family = ImageFamily::none;
    EXPECT_EQ(verifyImageFile(c.run.out, path.c_str(), identifier, kind, family), 0) << path;
    fillImageNode(node, fileName, identifier, family);
    return node;
  }

  static void writeImage(const std::string& path, const std::string& decodedId) {
    if (path.find(".ufi") != std::string::npos) {
      testimages::writeUfi(path, decodedId);
    } else if (path.find(".prg") != std::string::npos) {
      testimages::writePrg(path, testimages::kPrgIdTU, decodedId.substr(2));
    } else {
      testimages::writeAll(path, testimages::kAllIdTF, decodedId.substr(2));
    }
  }

  // The path the tool is given for `name`: its private copy.
  std::string copyPath(const std::string& name) const {
    return std::string(c.run.tempDirectory.c_str()) + name;
  }
};

TEST_F(DownloadTest, FirmwareIsNamedByTheFullPathOfItsVerifiedPrivateCopy) {
  Adapter& fc = add(sampleFcAdapter());
  ImageNode node = image("kf290a1.all", "KF290A1");
  ASSERT_FALSE(c.run.tempDirectory.empty());
  EXPECT_EQ(executeDownload(c.run, fc, node, ImageKind::firmware), DownloadResult::done);
  ASSERT_EQ(toolCalls().size(), 1u);
  EXPECT_EQ(toolCalls()[0],
            "download 10:00:00:00:5E:AA:BB:01 \"" + copyPath("kf290a1.all") + "\"");
  // The copy is gone after the download; the original stays.
  EXPECT_FALSE(std::filesystem::exists(copyPath("kf290a1.all")));
  EXPECT_TRUE(std::filesystem::exists(firmwarePath("kf290a1.all")));
  EXPECT_NE(c.trace().find("fw downloadCmd = Tandrel download 10:00:00:00:5E:AA:BB:01 \"" +
                           copyPath("kf290a1.all") + "\"\n"),
            std::string::npos);
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

// fwmatrix.txt may name an image with folders before it: the copy keeps only
// the file's own name, inside the private folder.
TEST_F(DownloadTest, AnImageNamedWithFoldersIsCopiedUnderItsOwnName) {
  for (const char* named : {"sub/kf290a1.all", "/kf290a1.all", "sub//kf290a1.all"}) {
    SCOPED_TRACE(named);
    Adapter& fc = add(sampleFcAdapter());
    ImageNode node = image("kf290a1.all", "KF290A1");
    std::filesystem::create_directories(firmwarePath("sub"));
    const std::string source = firmwarePath(named);
    if (!std::filesystem::exists(source)) {
      std::filesystem::copy_file(firmwarePath("kf290a1.all"), source);
    }
    node.actualFileName.set(named);
    runner.calls.clear();
    EXPECT_EQ(executeDownload(c.run, fc, node, ImageKind::firmware), DownloadResult::done);
    ASSERT_EQ(toolCalls().size(), 1u);
    EXPECT_EQ(toolCalls()[0],
              "download 10:00:00:00:5E:AA:BB:01 \"" + copyPath("kf290a1.all") + "\"");
    EXPECT_FALSE(std::filesystem::exists(copyPath("kf290a1.all")));
  }
}

TEST_F(DownloadTest, MissingImageFileFailsWithoutRunningTheTool) {
  Adapter& fc = add(sampleFcAdapter());
  ImageNode fw = image("absent.all", "KF290A1", false);
  EXPECT_EQ(executeFwDownload(c.run, fc, fw), DownloadResult::failed);
  EXPECT_NE(c.console().find("Status=Error: Firmware file not found!\n"), std::string::npos);
  EXPECT_NE(c.trace().find("Status=Error: Firmware file not found!\n"), std::string::npos);
  ImageNode boot = image("absent.prg", "KU520A1", false);
  EXPECT_EQ(executeBootCodeDownload(c.run, fc, boot), DownloadResult::failed);
  EXPECT_NE(c.console().find("Status=Error: Boot code file not found!\n"), std::string::npos);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(c.run.counters.downloadCount, 2);
  EXPECT_EQ(c.run.counters.downloadErrorCount, 2);
}

// Each kind opens its trace with its own heading and marks only its own
// attempt, whether or not the download gets further.
TEST_F(DownloadTest, EachKindTracesItsHeadingAndMarksOnlyItsAttempt) {
  const struct {
    DownloadResult (*download)(RunState&, Adapter&, const ImageNode&);
    const char* fileName;
    const char* decodedId;
    bool present;
    const char* heading;
    int fwAttempted;
    int bootAttempted;
  } cases[] = {
      {executeFwDownload, "absent.all", "KF290A1", false, "\n[executeFwDownload]\n", 1, 0},
      {executeFwDownload, "kf290a1.all", "KF290A1", true, "\n[executeFwDownload]\n", 1, 0},
      {executeBootCodeDownload, "absent.prg", "KU520A1", false, "\n[executeBiosDownload]\n", 0, 1},
      {executeBootCodeDownload, "ku520a1.prg", "KU520A1", true, "\n[executeBiosDownload]\n", 0, 1},
  };
  for (const auto& k : cases) {
    Adapter& fc = add(sampleFcAdapter());
    const bool boot = k.download == executeBootCodeDownload;
    ImageNode node = image(k.fileName, k.decodedId, k.present, boot);
    c.trace();  // what the image's making traced
    k.download(c.run, fc, node);
    const std::string trace = c.trace();
    EXPECT_EQ(trace.compare(0, std::strlen(k.heading), k.heading), 0) << k.fileName << ": " << trace;
    EXPECT_EQ(fc.fwAttempted, k.fwAttempted) << k.fileName;
    EXPECT_EQ(fc.bootAttempted, k.bootAttempted) << k.fileName;
  }
}

TEST_F(DownloadTest, OutcomeIsJudgedByTheWordCompleteAlone) {
  struct Case {
    const char* reply;
    DownloadResult result;
    uint16_t errors;
  };
  const Case cases[] = {
      {"Download Complete\n", DownloadResult::done, 0},
      {"download complete\n", DownloadResult::failed, 1},  // lower case is no success
      {"", DownloadResult::failed, 1},
      {"Error: adapter busy\n", DownloadResult::failed, 1},
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

// The shared status is traced for the record it comes from, then for every
// record of the same adapter (that one included) in list order.
TEST_F(DownloadTest, SharedStatusTraceNamesTheCurrentAndEachUpdatedRecord) {
  Adapter& nic = add(sampleNicFunction());
  Adapter& fc = add(sampleFcAdapter());
  Adapter& fcoe = add(sampleFcoeFunction());
  nic.downloadStat = kDownloadFailed;
  c.trace();
  updateCNAdownloadStatus(c.run, nic);
  EXPECT_EQ(c.trace(),
            "\n[updateCNAdownloadStatus]\n"
            "currentHba adapterNumber = 3\n"
            "currentHba serialNumber  = KC20B0002\n"
            "currentHba busNumber     = 21\n"
            "currentHba downloadStat  = 2\n\n"
            "updatedHba adapterNumber = 3\n"
            "updatedHba serialNumber  = KC20B0002\n"
            "updatedHba busNumber     = 21\n"
            "updatedHba downloadStat  = 2\n\n"
            "updatedHba adapterNumber = 2\n"
            "updatedHba serialNumber  = KC20B0002\n"
            "updatedHba busNumber     = 21\n"
            "updatedHba downloadStat  = 2\n\n");
  EXPECT_EQ(fcoe.downloadStat, kDownloadFailed);
  EXPECT_EQ(fc.downloadStat, kDownloadNone);
}

TEST_F(DownloadTest, ConvergedDownloadWithoutRebootRequestIsCounted) {
  reply = "Complete\n";
  Adapter& nic = add(sampleNicFunction());
  ImageNode node = image("kc20.ufi", "4.1.0.0");
  EXPECT_EQ(executeFwDownload(c.run, nic, node), DownloadResult::done);
  EXPECT_EQ(nic.downloadStat, kDownloadSucceeded);
  EXPECT_EQ(c.run.counters.cnaFwDownloadCount, 1);
  EXPECT_EQ(c.run.counters.cnaNoRebootCount, 1);
  ASSERT_EQ(toolCalls().size(), 1u);
  // NIC and iSCSI functions are addressed by MAC.
  EXPECT_EQ(toolCalls()[0].rfind("download 00-11-22-33-44-55 \"", 0), 0u) << toolCalls()[0];
}

TEST_F(DownloadTest, PreviewRunsNoDownloadButStillDisablesBootCode) {
  c.run.sw.preview = true;
  Adapter fcSample = sampleFcAdapter();
  fcSample.bootEnabled = 0;
  Adapter& fc = add(fcSample);
  ImageNode fw = image("kf290a1.all", "KF290A1");
  ImageNode boot = image("ku520a1.prg", "KU520A1", true, true);
  EXPECT_EQ(executeFwDownload(c.run, fc, fw), DownloadResult::done);
  EXPECT_EQ(executeBootCodeDownload(c.run, fc, boot), DownloadResult::done);
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

// An image that changed after it was verified is never flashed: the download
// fails as a failed download, names the file in the trace (and on standard
// error), and leaves no copy behind.
TEST_F(DownloadTest, ImageChangedAfterVerificationIsNotDownloaded) {
  struct Case {
    const char* label;
    void (*change)(const std::string& path);
    const char* status;  // the end of the result line
    const char* note;    // in the trace; empty for none
  };
  const Case cases[] = {
      {"an older valid image",
       [](const std::string& path) { testimages::writeAll(path, testimages::kAllIdTF, "282A4"); },
       "Status=Error\n", "changed after it was verified"},
      {"another image family",
       [](const std::string& path) { testimages::writeAll(path, testimages::kAllIdLF, "290A1"); },
       "Status=Error\n", "changed after it was verified"},
      {"junk", [](const std::string& path) { testimages::writeBytes(path, {1, 2, 3, 4, 5}); },
       "Status=Error\n", "changed after it was verified"},
      {"an empty file", [](const std::string& path) { testimages::writeBytes(path, {}); },
       "Status=Error\n", "changed after it was verified"},
      {"a directory",
       [](const std::string& path) {
         std::filesystem::remove(path);
         std::filesystem::create_directory(path);
       },
       "Status=Error\n", "no longer a readable regular file"},
#ifndef _WIN32
      {"a FIFO",
       [](const std::string& path) {
         std::filesystem::remove(path);
         ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
       },
       "Status=Error\n", "no longer a readable regular file"},
#endif
      {"removed", [](const std::string& path) { std::filesystem::remove(path); },
       "Status=Error: Firmware file not found!\n", ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.label);
    c.run.adapterList.clear();
    c.run.counters = Counters();
    c.platform.commands.clear();
    Adapter& fc = add(sampleFcAdapter());
    const std::string name = "tf290a1.all";
    std::error_code ignored;
    std::filesystem::remove_all(firmwarePath(name), ignored);
    ImageNode node = image(name.c_str(), "TF290A1");
    k.change(firmwarePath(name));
    EXPECT_EQ(executeFwDownload(c.run, fc, node), DownloadResult::failed);
    EXPECT_TRUE(c.platform.commands.empty());
    const std::string console = c.console();
    EXPECT_NE(console.find("Image=" + name + ", New=290A1, Old=282A4, " + k.status),
              std::string::npos)
        << console;
    const std::string trace = c.trace();
    if (*k.note != '\0') {
      EXPECT_NE(trace.find(k.note), std::string::npos) << trace;
      EXPECT_NE(trace.find(firmwarePath(name)), std::string::npos) << trace;
      EXPECT_NE(c.errors().find(k.note), std::string::npos);
    }
    EXPECT_EQ(c.run.counters.downloadCount, 1);
    EXPECT_EQ(c.run.counters.downloadErrorCount, 1);
    // The run report names the file and why, and no tool reply.
    EXPECT_EQ(fc.firmwareRecord.outcome, DownloadOutcome::failed);
    const std::string reason = fc.firmwareRecord.reasonText();
    EXPECT_NE(reason.find(firmwarePath(name)), std::string::npos) << reason;
    if (*k.note != '\0') {
      EXPECT_NE(reason.find(k.note), std::string::npos) << reason;
    }
    EXPECT_TRUE(fc.firmwareRecord.toolReply.empty());
    EXPECT_FALSE(std::filesystem::exists(copyPath(name)));
    std::filesystem::remove_all(firmwarePath(name), ignored);
  }
}

// The same for boot code and for converged firmware, whose failure is
// shared by every function of the adapter.
TEST_F(DownloadTest, ChangedBootCodeAndConvergedImagesFailTheirDownload) {
  Adapter fcSample = sampleFcAdapter();
  fcSample.bootEnabled = 1;
  Adapter& fc = add(fcSample);
  ImageNode boot = image("tu520a1.prg", "TU520A1", true, true);
  testimages::writePrg(bootPath("tu520a1.prg"), testimages::kPrgIdTU, "510A3");
  EXPECT_EQ(executeBootCodeDownload(c.run, fc, boot), DownloadResult::failed);
  EXPECT_NE(c.console().find("Update=Boot Code, Image=tu520a1.prg, New=520A1, Old=510A3, "
                             "Status=Error\n"),
            std::string::npos);

  Adapter& nic = add(sampleNicFunction());
  ImageNode node = image("kc20.ufi", "4.1.0.0");
  testimages::writeUfi(firmwarePath("kc20.ufi"), "4.0.0.0");
  EXPECT_EQ(executeFwDownload(c.run, nic, node), DownloadResult::failed);
  EXPECT_EQ(nic.downloadStat, kDownloadFailed);
  EXPECT_EQ(c.run.counters.cnaFwErrorCount, 1);
  EXPECT_TRUE(c.platform.commands.empty());
  EXPECT_EQ(c.run.counters.downloadErrorCount, 2);
}

TEST_F(DownloadTest, UnsafeAddressIsNeverPlacedOnACommandLine) {
  Adapter fcSample = sampleFcAdapter();
  fcSample.wwn.set("10:00;reboot");
  Adapter& fc = add(fcSample);
  ImageNode node = image("kf290a1.all", "KF290A1");
  EXPECT_EQ(executeFwDownload(c.run, fc, node), DownloadResult::failed);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(c.run.counters.downloadErrorCount, 1);
}

}  // namespace
}  // namespace vornup
