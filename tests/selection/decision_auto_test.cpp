#include "selection/decision_auto.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "decision_adapters.h"
#include "decision_fixture.h"
#include "download/download.h"
#include "selection/decision_downgrade.h"
#include "selection/decision_fwmatrix.h"
#include "selection/decision_rule.h"

namespace vornup {
namespace {

using testimages::writeAll;
using testimages::writeGrp;
using testimages::writePrg;
using testimages::writeUfi;

// A run in automatic mode: the test lays out its images, then discover()
// builds both lists as the driver's discovery step does.
class AutoDecision : public DecisionFixture {
 protected:
  void SetUp() override {
    DecisionFixture::SetUp();
    c.run.sw.autoMode = true;
  }

  std::string fcDownload(const std::string& path) const { return download(kFcWwn, path); }
};

TEST(BootCodeKindTable, TriesUniversalPairOpenEfiX86) {
  ASSERT_EQ(kBootCodeKindCount, 5u);
  const char letters[] = {'U', 'P', 'O', 'E', 'B'};
  const char* words[] = {"universal", "pair", "open", "efi", "x86"};
  std::set<char> seen;
  for (std::size_t i = 0; i < kBootCodeKindCount; ++i) {
    EXPECT_EQ(kBootCodeKinds[i].letter, letters[i]) << i;
    EXPECT_EQ(std::string(kBootCodeKinds[i].trace),
              std::string("sub operation = ") + words[i] + " boot code\n")
        << i;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(kBootCodeKinds[i].letter))) << i;
    EXPECT_TRUE(seen.insert(kBootCodeKinds[i].letter).second) << i;
  }
}

// ---- Firmware -----------------------------------------------------------------

TEST_F(AutoDecision, AnUpdateTakesTheHighestImageOfTheAdaptersFamily) {
  writeUfi(firmwarePath("kc4036015.ufi"), "4.0.360.15");
  writeUfi(firmwarePath("kc4100.ufi"), "4.1.0.0");
  writeUfi(firmwarePath("kx3.ufi"), "4.9.0.0", imagemaker::UfiChip::kx3);
  discover();
  c.run.sw.update = true;
  Adapter& fcoe = add(sampleFcoeFunction());
  decideAutoUpdate(c.run, fcoe);
  EXPECT_EQ(toolCalls(),
            (std::vector<std::string>{download(kFcoeWwn, firmwarePath("kc4100.ufi"))}));
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace,
                    "operation     = forceFw || updateFw || rewriteFw\n"
                    "New image     = 4.1.0.0\nupdate needed = true\n"))
      << trace;
  EXPECT_FALSE(holds(trace, "forceBc")) << trace;
  EXPECT_EQ(c.run.counters.compatibleImageCount, 1);
}

TEST_F(AutoDecision, OnlyTheHighestImageIsEverConsidered) {
  writeUfi(firmwarePath("kc4036015.ufi"), "4.0.360.15");
  writeUfi(firmwarePath("kc4100.ufi"), "4.1.0.0");
  discover();
  c.run.sw.update = true;
  c.run.sw.verbose = true;
  c.run.sw.query = true;
  Adapter fcoeRecord = sampleFcoeFunction();
  setConvergedVersion(fcoeRecord, "4.1.0.0", 4, 1, 0, 0);
  Adapter& fcoe = add(fcoeRecord);
  decideAutoUpdate(c.run, fcoe);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.console(),
            "\nHBA=KC20-FCoE, Port Type=FCoE, WWN=10:00:00:00:5E:CC:DD:02, PCI ID=3A00, "
            "VID=1A5C, SSID=3A01, SVID=1A5C, Firmware=4.1.0.0, Boot Code=2.1.3.0, "
            "Supported Firmware=KC4100.UFI"
            "\nvornup.exe: A firmware update was not required on HBA: KC20-FCoE\n");
  const std::string trace = c.trace();
  EXPECT_EQ(occurrences(trace, "New image"), 1) << trace;
  EXPECT_TRUE(holds(trace, "update needed = false\n")) << trace;
  EXPECT_EQ(c.run.counters.compatibleImageCount, 1);
}

TEST_F(AutoDecision, AForcedDownloadTakesAnEqualImage) {
  writeAll(firmwarePath("tf282a4.all"), testimages::kAllIdTF, "282A4");
  discover();
  c.run.sw.forceFw = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcDownload(firmwarePath("tf282a4.all"))}));
  EXPECT_FALSE(holds(c.trace(), "forceBc"));
}

TEST_F(AutoDecision, TheHalvardAdapterTakesGrpImages) {
  writeGrp(firmwarePath("kh.grp"), "1.3.0.0");
  writeUfi(firmwarePath("kc.ufi"), "9.0.0.0");
  discover();
  c.run.sw.rewrite = true;
  Adapter& halvard = add(sampleHalvardAdapter());
  decideAutoUpdate(c.run, halvard);
  EXPECT_EQ(
      toolCalls(),
      (std::vector<std::string>{download("20:00:00:00:5E:EE:FF:05", firmwarePath("kh.grp"))}));
}

TEST_F(AutoDecision, AGatedAdapterHasNoCandidateBelowTheFpgaVersion) {
  writeUfi(firmwarePath("old.ufi"), "4.0.360.14");
  discover();
  c.run.sw.update = true;
  c.run.sw.query = true;
  c.run.sw.verbose = true;
  Adapter fcoeRecord = gatedFcoeFunction();
  setConvergedVersion(fcoeRecord, "4.0.360.1", 4, 0, 360, 1);
  Adapter& fcoe = add(fcoeRecord);
  decideAutoUpdate(c.run, fcoe);
  EXPECT_TRUE(toolCalls().empty());
  const std::string console = c.console();
  EXPECT_TRUE(holds(console,
                    "Supported Firmware=NONE\nvornup.exe: No matching firmware found "
                    "for HBA: KC20-FCoE\n"))
      << console;
  EXPECT_TRUE(holds(c.trace(), "New image     = NONE\n"));
  const Counters& n = c.run.counters;
  EXPECT_EQ(n.downloadCount + n.downloadErrorCount + n.compatibleImageCount, 0);
}

TEST_F(AutoDecision, NoFirmwareOfTheTypeIsOnlyReported) {
  writeAll(firmwarePath("lf.all"), testimages::kAllIdLF, "390A1");
  discover();
  c.run.sw.forceFw = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.console(), "\nvornup.exe: No matching firmware found for HBA: KV7100\n");
  EXPECT_EQ(c.run.counters.downloadErrorCount, 0);
}

TEST_F(AutoDecision, BothFunctionsOfAConvergedAdapterShareOneDownload) {
  writeUfi(firmwarePath("kc4100.ufi"), "4.1.0.0");
  discover();
  c.run.sw.update = true;
  Adapter& fcoe = add(sampleFcoeFunction());
  Adapter nicRecord = sampleNicFunction();
  Adapter& nic = add(nicRecord);
  decideAutoUpdate(c.run, fcoe);
  decideAutoUpdate(c.run, nic);
  EXPECT_EQ(toolCalls(),
            (std::vector<std::string>{download(kFcoeWwn, firmwarePath("kc4100.ufi"))}));
  const std::string console = c.console();
  EXPECT_EQ(occurrences(console, "Status=Success\n"), 2) << console;
  EXPECT_TRUE(holds(c.trace(), "Skipping adapter...\n"));
  EXPECT_EQ(c.run.counters.downloadCount, 2);
}

// ---- Boot code kinds ---------------------------------------------------------------

TEST_F(AutoDecision, BootCodeTriesTheKindsInOrderPastImagesNotNeeded) {
  writePrg(bootPath("tp.prg"), testimages::kPrgIdTP, "510A3");  // equal: not needed
  writePrg(bootPath("tb.prg"), testimages::kPrgIdTB, "511A1");
  discover();
  c.run.sw.update = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(updateBootCodeByKind(c.run, fc), DecisionResult::downloaded);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcDownload(bootPath("tb.prg"))}));
  EXPECT_EQ(c.run.counters.compatibleImageCount, 2);
}

TEST_F(AutoDecision, BootCodeTraceShowsEveryKindTried) {
  writePrg(bootPath("tp.prg"), testimages::kPrgIdTP, "510A3");
  writePrg(bootPath("tb.prg"), testimages::kPrgIdTB, "511A1");
  discover();
  c.run.sw.update = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  const std::string trace = c.trace();
  const std::size_t start = trace.find("operation     = forceBc || updateBc || rewriteBc\n");
  ASSERT_NE(start, std::string::npos) << trace;
  const std::string expectedSteps =
      "operation     = forceBc || updateBc || rewriteBc\n"
      "sub operation = universal boot code\n"
      "boot code type \"TU\" not found\n"
      "sub operation = pair boot code\n"
      "New image     = TP510A3\n"
      "update needed = false\n"
      "sub operation = open boot code\n"
      "boot code type \"TO\" not found\n"
      "sub operation = efi boot code\n"
      "boot code type \"TE\" not found\n"
      "sub operation = x86 boot code\n"
      "New image     = TB511A1\n"
      "update needed = true\n";
  EXPECT_EQ(trace.substr(start, expectedSteps.size()), expectedSteps) << trace;
}

TEST_F(AutoDecision, TheFirstKindWhoseImageIsNeededEndsTheSearch) {
  writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, "511A1");
  writePrg(bootPath("tp.prg"), testimages::kPrgIdTP, "600A1");
  discover();
  c.run.sw.update = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcDownload(bootPath("tu.prg"))}));
  EXPECT_FALSE(holds(c.trace(), "sub operation = pair boot code"));
}

TEST_F(AutoDecision, AFailedBootCodeDownloadAlsoEndsTheSearch) {
  writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, "511A1");
  writePrg(bootPath("tb.prg"), testimages::kPrgIdTB, "600A1");
  discover();
  reply = "Download failed.\n";
  c.run.sw.update = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(updateBootCodeByKind(c.run, fc), DecisionResult::failed);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcDownload(bootPath("tu.prg"))}));
  EXPECT_EQ(c.run.counters.downloadErrorCount, 1);
}

TEST_F(AutoDecision, NoX86ImageIsReportedEvenAfterAnImageNotNeeded) {
  writePrg(bootPath("tp.prg"), testimages::kPrgIdTP, "510A3");
  discover();
  c.run.sw.update = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(updateBootCodeByKind(c.run, fc), DecisionResult::noImage);
  EXPECT_EQ(c.console(),
            "\nvornup.exe: A boot code update was not required on HBA: KV7100\n"
            "\nvornup.exe: No compatible boot code found for HBA = KV7100\n");
  EXPECT_TRUE(toolCalls().empty());
  // The report says the boot code is current, not that no image fits.
  EXPECT_EQ(fc.bootCodeRecord.decision, ImageDecision::notRequired);
}

TEST_F(AutoDecision, NoBootCodeAtAllShowsNoneInTheQueryLine) {
  discover();
  c.run.sw.forceBootCode = true;
  c.run.sw.query = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_EQ(c.console(),
            std::string(kTfAdapterQueryBody) + ", Supported Boot Code=NONE, Boot Code Enabled=1");
  EXPECT_EQ(c.run.counters.compatibleImageCount, 0);
}

TEST_F(AutoDecision, TryBootCodeKindLooksUpBothLetters) {
  writePrg(bootPath("tc.prg"), testimages::kPrgIdTC, "600A1");
  discover();
  c.run.sw.update = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(tryBootCodeKind(c.run, "TU", fc), DecisionResult::noImage);
  EXPECT_EQ(c.trace(), "boot code type \"TU\" not found\n");
  EXPECT_EQ(tryBootCodeKind(c.run, "TC", fc), DecisionResult::downloaded);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcDownload(bootPath("tc.prg"))}));
}

TEST_F(AutoDecision, ANotNeededX86ImageEndsTheSearchWithoutTheNoImageNote) {
  writePrg(bootPath("tb.prg"), testimages::kPrgIdTB, "400A1");
  discover();
  c.run.sw.update = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(updateBootCodeByKind(c.run, fc), DecisionResult::notNeeded);
  EXPECT_EQ(c.console(), "\nvornup.exe: A boot code update was not required on HBA: KV7100\n");
}

// ---- decideForImage on its own ---------------------------------------------------

TEST_F(AutoDecision, AnImageNotNeededUnderRewriteIsReported) {
  writeAll(firmwarePath("tf100a1.all"), testimages::kAllIdTF, "100A1");
  discover();
  c.run.sw.rewrite = true;
  c.run.sw.query = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(decideForImage(c.run, fc, c.run.firmwareList.front(), ImageKind::firmware),
            DecisionResult::notNeeded);
  EXPECT_EQ(c.console(), std::string(kTfAdapterQueryBody) +
                             ", Supported Firmware=TF100A1.ALL, Boot Code Enabled=1"
                             "\nvornup.exe: A firmware rewrite was not required on HBA: KV7100\n");
  EXPECT_EQ(c.trace(), "update needed = false\n");
}

TEST_F(AutoDecision, AnImageNotNeededUnderDowngradeIsLeftToTheCaller) {
  writeAll(firmwarePath("tf290a1.all"), testimages::kAllIdTF, "290A1");
  discover();
  c.run.sw.downgrade = true;
  c.run.sw.query = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  EXPECT_EQ(decideForImage(c.run, fc, c.run.firmwareList.front(), ImageKind::firmware),
            DecisionResult::notNeeded);
  EXPECT_EQ(c.console(), "");
  EXPECT_EQ(c.trace(), "");
}

// ---- Queries with an operation and preview ------------------------------------

TEST_F(AutoDecision, TheQueryLineNamesTheUpperCasedFileName) {
  writeAll(firmwarePath("tf290a1.all"), testimages::kAllIdTF, "290A1");
  writePrg(bootPath("Tu511a1.prg"), testimages::kPrgIdTU, "511A1");
  discover();
  c.run.sw.update = true;
  c.run.sw.query = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  const std::string console = c.console();
  EXPECT_TRUE(holds(console, ", Supported Firmware=TF290A1.ALL, Boot Code Enabled=1\n")) << console;
  EXPECT_TRUE(holds(console, ", Supported Boot Code=TU511A1.PRG, Boot Code Enabled=1\n"))
      << console;
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcDownload(firmwarePath("tf290a1.all")),
                                                   fcDownload(bootPath("Tu511a1.prg"))}));
}

TEST_F(AutoDecision, APreviewIsDecidedLikeARealDownloadButRunsNothing) {
  writeAll(firmwarePath("tf290a1.all"), testimages::kAllIdTF, "290A1");
  discover();
  c.run.sw.update = true;
  c.run.sw.preview = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_TRUE(holds(c.console(), "Status=Preview\n"));
  EXPECT_EQ(c.run.counters.downloadCount, 1);
}

}  // namespace
}  // namespace vornup
