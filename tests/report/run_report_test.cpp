// The run report: its document built from a run's state, the status text,
// the times, and writing it in one step beside the old report.
#include "report/run_report.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/image_node.h"
#include "core/run_state.h"
#include "core/status_line.h"
#include "platform/host_names.h"
#include "report/run_report_json.h"
#include "support/captured_run.h"
#include "support/sample_adapters.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

// The document, read back with the strict parser.
Json documentOf(RunState& run, int exitCode = 0, const std::string& status = "Done") {
  run.record.exitCode = exitCode;
  run.record.statusText = status;
  run.record.ended = 1796766003;
  const std::string text = runReportDocument(run);
  Json parsed = Json::parse(text, nullptr, false);
  EXPECT_FALSE(parsed.is_discarded()) << text;
  return parsed;
}

// True when every byte sequence of `text` is UTF-8 and no byte is a raw
// control character other than the line end.
bool isCleanUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    if (length == 1 && byte < 0x20 && byte != '\n') return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
    }
    i += length;
  }
  return true;
}

// Every status line's bytes, and the text the run record keeps of it.
TEST(RunReportStatusText, IsTheLineWithoutProgramNameAndReturnCode) {
  struct Case {
    StatusLine line;
    const char* detail;
    int code;
    const char* printed;
    const char* text;
  };
  const Case cases[] = {
      {{"\n\n", ": ", "All required %s succeeded"}, "updates", 0,
       "\n\nvornup: All required updates succeeded - Return Code=0\n\n",
       "All required updates succeeded"},
      {{"\n", ": ", "Error - insufficient privileges"}, nullptr, 2,
       "\nvornup: Error - insufficient privileges - Return Code=2\n\n",
       "Error - insufficient privileges"},
      {{"\n", " : ", "error - unable to open temp file"}, "", 4,
       "\nvornup : error - unable to open temp file - Return Code=4\n\n",
       "error - unable to open temp file"},
      // A detail is taken as it is, however it reads.
      {{"\n", ": ", "Error - Unknown switch = %s"}, "/%s - Return Code=9", 4,
       "\nvornup: Error - Unknown switch = /%s - Return Code=9 - Return Code=4\n\n",
       "Error - Unknown switch = /%s - Return Code=9"},
  };
  for (const Case& c : cases) {
    CapturedRun captured;
    captured.run.programName = "vornup";
    printStatusLine(captured.run, c.line, c.detail, c.code);
    EXPECT_EQ(captured.console(), c.printed) << c.text;
    EXPECT_EQ(captured.run.record.statusText, c.text);
  }
}

TEST(RunReportTimes, AreUtcWithZ) {
  EXPECT_EQ(utcTimeText(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(utcTimeText(1796766000), "2026-12-08T21:40:00Z");
  EXPECT_EQ(utcTimeText(1798761600 - 1), "2026-12-31T23:59:59Z");
}

class RunReportDocument : public ::testing::Test {
 protected:
  RunReportDocument() {
    run().versionString.set("6.0.23.1");
    run().record.arguments = {"/update", "/json=r.json"};
    run().record.started = 1796766000;
    run().sw.update = true;
  }
  RunState& run() { return captured.run; }
  Adapter& add(const Adapter& sample) {
    run().adapterList.push_back(std::make_unique<Adapter>(sample));
    return *run().adapterList.back();
  }
  CapturedRun captured;
};

TEST_F(RunReportDocument, RunFacts) {
  run().record.toolPath = "/opt/korvane/Quenmar/Tandrel";
  const Json report = documentOf(run(), 3, "Error - some required updates failed");
  EXPECT_EQ(report["schema_version"], 1);
  EXPECT_EQ(report["program"], (Json{{"name", "vornup"}, {"version", "6.0.23.1"}}));
  EXPECT_EQ(report["started"], "2026-12-08T21:40:00Z");
  EXPECT_EQ(report["ended"], "2026-12-08T21:40:03Z");
  EXPECT_EQ(report["command_line"], (Json{"/update", "/json=r.json"}));
  EXPECT_EQ(report["mode"], "fwmatrix");
  EXPECT_EQ(report["operation"], "update");
  EXPECT_EQ(report["preview"], false);
  EXPECT_EQ(report["tool_path"], "/opt/korvane/Quenmar/Tandrel");
  EXPECT_EQ(report["status"], (Json{{"text", "Error - some required updates failed"}, {"exit_code", 3}}));
  EXPECT_EQ(report["exit_code"], 3);
  EXPECT_EQ(report["interrupted"], false);
  EXPECT_EQ(report["ports"], Json::array());
}

TEST_F(RunReportDocument, OperationModeAndInterruption) {
  struct Case {
    bool Switches::*flag;
    bool Switches::*also;
    const char* operation;
  };
  const Case cases[] = {
      {&Switches::update, nullptr, "update"},
      {&Switches::rewrite, nullptr, "rewrite"},
      {&Switches::downgrade, nullptr, "downgrade"},
      {&Switches::forceFw, nullptr, "force"},
      {&Switches::forceBootCode, nullptr, "force"},
      {&Switches::query, nullptr, "query"},
      {&Switches::query, &Switches::update, "update"},  // /q with an operation performs it
      {&Switches::query, &Switches::autoMode, "none"},  // /auto /q lists nothing
      {&Switches::preview, nullptr, "none"},
  };
  for (const Case& c : cases) {
    run().sw = Switches();
    run().sw.*c.flag = true;
    if (c.also != nullptr) run().sw.*c.also = true;
    EXPECT_EQ(documentOf(run())["operation"], c.operation) << c.operation;
  }
  run().sw.autoMode = true;
  run().sw.preview = true;
  const Json report = documentOf(run());
  EXPECT_EQ(report["mode"], "auto");
  EXPECT_EQ(report["preview"], true);
  EXPECT_EQ(report["tool_path"], nullptr);
  EXPECT_EQ(report["interrupted"], false);
  run().record.interrupted = true;
  EXPECT_EQ(documentOf(run(), 143)["interrupted"], true);
}

TEST_F(RunReportDocument, PortFacts) {
  Adapter& fc = add(sampleFcAdapter());
  fc.bootEnabled = 0;
  add(sampleNicFunction());
  Adapter& noBoot = add(sampleHalvardAdapter());
  noBoot.bootCodeVersion.set("NONE");
  Adapter& unknown = add(sampleFcAdapter());
  unknown.model.set("UNKNOWN_MODEL");
  unknown.supported = 0;
  Adapter& gated = add(sampleFcoeFunction());
  gated.supported = 0;
  const Json ports = documentOf(run())["ports"];
  ASSERT_EQ(ports.size(), 5u);
  EXPECT_EQ(ports[0]["number"], 1);
  EXPECT_EQ(ports[0]["model"], "KV7100");
  EXPECT_EQ(ports[0]["port_type"], "FC");
  EXPECT_EQ(ports[0]["address"], "10:00:00:00:5E:AA:BB:01");
  EXPECT_EQ(ports[0]["address_kind"], "wwn");
  EXPECT_EQ(ports[0]["pci"], (Json{{"vendor_id", "1A5C"}, {"device_id", "7D00"},
                                   {"subsystem_vendor_id", "1A5C"}, {"subsystem_id", "7D21"}}));
  EXPECT_EQ(ports[0]["serial"], "KV71A0001");
  EXPECT_EQ(ports[0]["bus"], 11);
  // FC versions as the query line shows them: behind their type code.
  EXPECT_EQ(ports[0]["firmware"], (Json{{"before", "KF282A4"}, {"after", nullptr}}));
  EXPECT_EQ(ports[0]["boot_code"], (Json{{"before", "KU510A3"}, {"after", nullptr}}));
  EXPECT_EQ(ports[0]["boot_code_enabled"], false);
  EXPECT_EQ(ports[0]["support"], "supported");
  EXPECT_EQ(ports[1]["number"], 2);
  EXPECT_EQ(ports[1]["port_type"], "NIC");
  EXPECT_EQ(ports[1]["address_kind"], "mac");
  EXPECT_EQ(ports[1]["address"], sampleNicFunction().mac.c_str());
  EXPECT_EQ(ports[2]["boot_code"]["before"], nullptr);
  EXPECT_EQ(ports[3]["support"], "unknown");
  EXPECT_EQ(ports[4]["support"], "unsupported");
  EXPECT_EQ(ports[4]["port_type"], "FCoE");
  EXPECT_EQ(ports[4]["images"]["firmware"]["decision"], "unsupported");
  EXPECT_EQ(ports[0]["images"]["firmware"]["decision"], "skipped");
}

TEST_F(RunReportDocument, DecisionsAndOutcomes) {
  ImageNode image;
  image.actualFileName.set("zf290a1.all");
  image.decodedId.set("ZF290A1");
  struct Case {
    const char* name;
    bool Switches::*flag;
    ImageDecision decision;
    DownloadOutcome outcome;
    ImageReason reason;
    const char* reply;
    Json expected;
  };
  const Json image290 = {{"file", "zf290a1.all"}, {"path", "/fw/zf290a1.all"}, {"identifier", "ZF290A1"},
                         {"sha256", nullptr}};
  const Case cases[] = {
      {"update downloaded", &Switches::update, ImageDecision::download, DownloadOutcome::downloaded,
       ImageReason::none, nullptr,
       {{"image", image290}, {"decision", "update"}, {"outcome", "downloaded"}, {"reason", nullptr},
        {"tool_reply", nullptr}, {"refusal", nullptr}}},
      {"rewrite previewed", &Switches::rewrite, ImageDecision::download, DownloadOutcome::previewed,
       ImageReason::none, nullptr,
       {{"image", image290}, {"decision", "rewrite"}, {"outcome", "previewed"}, {"reason", nullptr},
        {"tool_reply", nullptr}, {"refusal", nullptr}}},
      {"downgrade failed", &Switches::downgrade, ImageDecision::download, DownloadOutcome::failed,
       ImageReason::toolFailed, "Download failed: no\n",
       {{"image", image290}, {"decision", "downgrade"}, {"outcome", "failed"},
        {"reason", "the tool did not report a completed download"},
        {"tool_reply", "Download failed: no\n"}, {"refusal", nullptr}}},
      {"forced", &Switches::forceFw, ImageDecision::download, DownloadOutcome::downloaded,
       ImageReason::none, nullptr,
       {{"image", image290}, {"decision", "force"}, {"outcome", "downloaded"}, {"reason", nullptr},
        {"tool_reply", nullptr}, {"refusal", nullptr}}},
      {"not attempted", &Switches::update, ImageDecision::download, DownloadOutcome::notAttempted,
       ImageReason::interrupted, nullptr,
       {{"image", image290}, {"decision", "update"}, {"outcome", "not_attempted"},
        {"reason", "not attempted: the run was interrupted"}, {"tool_reply", nullptr},
        {"refusal", nullptr}}},
      {"image gone", &Switches::update, ImageDecision::download, DownloadOutcome::failed,
       ImageReason::imageMissing, nullptr,
       {{"image", image290}, {"decision", "update"}, {"outcome", "failed"},
        {"reason", "the image file was not found: /fw/zf290a1.all"}, {"tool_reply", nullptr},
        {"refusal", nullptr}}},
      {"not required", &Switches::update, ImageDecision::notRequired, DownloadOutcome::none,
       ImageReason::none, nullptr,
       {{"image", image290}, {"decision", "not_required"}, {"outcome", "none"}, {"reason", nullptr},
        {"tool_reply", nullptr}, {"refusal", nullptr}}},
  };
  for (const Case& c : cases) {
    run().sw = Switches();
    run().sw.*c.flag = true;
    run().adapterList.clear();
    Adapter& a = add(sampleFcAdapter());
    a.firmwareRecord.noteDecision(c.decision, &image, "/fw/");
    const char* detail = c.reason == ImageReason::imageMissing ? "/fw/zf290a1.all" : nullptr;
    if (c.outcome != DownloadOutcome::none) a.firmwareRecord.noteDownload(c.outcome, c.reason, detail, c.reply);
    const Json port = documentOf(run())["ports"][0];
    EXPECT_EQ(port["images"]["firmware"], c.expected) << c.name;
    // A refusal names its reason and the baseline it was judged by.
    a.firmwareRecord.sha256 = std::string(64, 'a');
    a.firmwareRecord.refusal = ImageRefusal::expired;
    run().baseline.signedMode = true;
    run().baseline.loaded = true;
    run().baseline.file = "/opt/vornup/baseline.json";
    run().baseline.baseline.version = 3;
    run().baseline.baseline.expiresText = "2020-01-01T00:00:00Z";
    const Json refused = documentOf(run())["ports"][0]["images"]["firmware"];
    EXPECT_EQ(refused["image"]["sha256"], std::string(64, 'a'));
    EXPECT_EQ(refused["refusal"], Json({{"reason", "expired"}, {"signed_mode", true},
                                        {"baseline", {{"file", "/opt/vornup/baseline.json"}, {"version", 3},
                                                      {"expires", "2020-01-01T00:00:00Z"}, {"key_id", nullptr}}}}))
        << c.name;
    run().baseline = BaselineState();
    EXPECT_EQ(port["firmware"]["after"],
              c.outcome == DownloadOutcome::downloaded ? Json("ZF290A1") : Json(nullptr))
        << c.name;
  }
  // No image at all.
  run().adapterList.clear();
  Adapter& a = add(sampleFcAdapter());
  a.bootCodeRecord.noteDecision(ImageDecision::noCompatibleImage, nullptr, "/boot/");
  EXPECT_EQ(documentOf(run())["ports"][0]["images"]["boot_code"],
            (Json{{"image", nullptr}, {"decision", "no_compatible_image"}, {"outcome", "none"},
                  {"reason", nullptr}, {"tool_reply", nullptr}, {"refusal", nullptr}}));
}

TEST(RunReportImageRecord, ALaterCandidateDoesNotUndoADownload) {
  ImageNode tried;
  tried.actualFileName.set("bb420a0.prg");
  ImageNode later;
  later.actualFileName.set("bb410a0.prg");
  ImageRecord outcome;
  outcome.noteDecision(ImageDecision::download, &tried, "/boot/");
  outcome.noteDownload(DownloadOutcome::failed, ImageReason::toolFailed, nullptr, "no");
  outcome.noteDecision(ImageDecision::notRequired, &later, "/boot/");
  EXPECT_EQ(outcome.decision, ImageDecision::download);
  EXPECT_EQ(outcome.file, "bb420a0.prg");
  EXPECT_EQ(outcome.outcome, DownloadOutcome::failed);
  // The next download attempt takes its place.
  outcome.noteDecision(ImageDecision::download, &later, "/boot/");
  EXPECT_EQ(outcome.file, "bb410a0.prg");
  EXPECT_EQ(outcome.outcome, DownloadOutcome::none);
  EXPECT_EQ(outcome.reason, ImageReason::none);
  outcome.noteDownload(DownloadOutcome::downloaded);
  EXPECT_EQ(outcome.path, "/boot/bb410a0.prg");
}

TEST_F(RunReportDocument, BytesThatAreNoUtf8TextStayValidJson) {
  // What a damaged tool reply can leave in the records: NUL cuts the fixed
  // texts, so the bytes after it come through the reply text.
  const std::string hostile = std::string("A\x01\x1f\x7f", 4) + "\x80\xfe\xff" + "\xc3" + "\"\\";
  Adapter& a = add(sampleFcAdapter());
  a.model.set(hostile.c_str());
  a.serialNumber.set(hostile.c_str());
  a.firmwareRecord.noteDecision(ImageDecision::download, nullptr, "/fw/");
  a.firmwareRecord.noteDownload(DownloadOutcome::failed, ImageReason::toolFailed);
  a.firmwareRecord.toolReply = std::string("x\0y", 3) + hostile;
  run().record.arguments = {hostile};
  run().record.statusText = hostile;
  const std::string text = runReportDocument(run());
  EXPECT_TRUE(isCleanUtf8(text)) << text;
  const Json report = Json::parse(text, nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << text;
  const std::string kept = "A\x01\x1f\x7f\xef\xbf\xbd";  // U+FFFD for a byte that is no UTF-8
  EXPECT_EQ(report["ports"][0]["serial"].get<std::string>().substr(0, kept.size()), kept);
  EXPECT_EQ(report["ports"][0]["images"]["firmware"]["tool_reply"].get<std::string>().substr(0, 3),
            std::string("x\0y", 3));
  EXPECT_EQ(report["command_line"][0].get<std::string>().find("\x80"), std::string::npos);
  EXPECT_EQ(report["status"]["text"].get<std::string>().back(), '\\');
}

// Writing in place: the report file of a scratch directory.
class RunReportFile : public ::testing::Test {
 protected:
  RunReportFile() { captured.run.versionString.set("6.0.23.1"); }
  std::string path(const std::string& name) const { return captured.scratch.file(name); }
  bool accept(const std::string& file, std::string& why) {
    return acceptRunReport(captured.run, file, why);
  }
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(captured.scratch.path()))) {
      found.push_back(entry.path().filename().u8string());
    }
    return found;
  }
  CapturedRun captured;
};

TEST_F(RunReportFile, ReplacesTheOldReportAndLeavesNothingElse) {
  captured.scratch.write("run report.json", "old report");
  std::string why;
  ASSERT_TRUE(accept(path("run report.json"), why)) << why;
  // The check left no temporary file behind, and the old report is whole.
  EXPECT_EQ(captured.scratch.read("run report.json"), "old report");
  printStatusLine(captured.run, {"\n\n", ": ", "No %s required"}, "updates", 1);
  captured.run.record.exitCode = 1;
  finishRunReport(captured.run);
  const Json report = Json::parse(captured.scratch.read("run report.json"), nullptr, false);
  ASSERT_FALSE(report.is_discarded());
  EXPECT_EQ(report["status"]["text"], "No updates required");
  EXPECT_EQ(report["exit_code"], 1);
  // Written once: a second call changes nothing.
  captured.scratch.write("run report.json", "kept");
  captured.run.record.exitCode = 2;
  finishRunReport(captured.run);
  EXPECT_EQ(captured.scratch.read("run report.json"), "kept");
  std::vector<std::string> found = names();
  for (const std::string& name : found) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(RunReportFile, PathsThatCannotBeWrittenAreRefused) {
  std::filesystem::create_directories(std::filesystem::u8path(path("a folder")));
  const std::string missing = path("no folder") + kPathSeparator + "r.json";
  struct Case {
    std::string file;
    const char* why;
  };
  const Case cases[] = {
      {"", "no file name"},
      {path("a folder"), "it is a directory"},
      {missing, "cannot create"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(accept(c.file, why)) << c.file;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.file << ": " << why;
    EXPECT_FALSE(captured.run.report.requested()) << c.file;
  }
}

TEST_F(RunReportFile, AFolderGoneBeforeTheEndKeepsNothingHalfWritten) {
  std::filesystem::create_directories(std::filesystem::u8path(path("reports")));
  const std::string file = path("reports") + kPathSeparator + "r.json";
  std::string why;
  ASSERT_TRUE(accept(file, why)) << why;
  std::filesystem::remove_all(std::filesystem::u8path(path("reports")));
  captured.run.record.statusText = "All required updates succeeded";
  finishRunReport(captured.run);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path("reports"))));
  EXPECT_TRUE(captured.run.report.written);
}

}  // namespace
}  // namespace vornup
