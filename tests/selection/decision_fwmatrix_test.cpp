#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decision_adapters.h"
#include "decision_fixture.h"
#include "selection/decision_auto.h"
#include "selection/decision_downgrade.h"
#include "selection/decision_fwmatrix.h"
#include "selection/decision_rule.h"

namespace vornup {
namespace {

using testimages::writeAll;
using testimages::writePrg;
using testimages::writeUfi;

const std::string kName32 = std::string(28, 'n') + ".all";

// A run in fwmatrix mode with a table of the test's own and a set of image
// files: good FC firmware and boot code, converged firmware on both sides of
// the fpga version, and files that are wrong in every way a table can name.
class FwmatrixDecision : public DecisionFixture {
 protected:
  void SetUp() override {
    DecisionFixture::SetUp();
    writeAll(firmwarePath("tf.all"), testimages::kAllIdTF, "290A1");
    writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, "511A1");
    writeUfi(firmwarePath("new.ufi"), "4.1.0.0");
    writeUfi(firmwarePath("old.ufi"), "4.0.360.14");
    writePrg(firmwarePath("fw.PRG"), testimages::kPrgIdTU, "511A1");
    writeAll(bootPath("x.ALL"), testimages::kAllIdTF, "290A1");
    testimages::writeJunk(firmwarePath("junk.all"));
    writeAll(firmwarePath("fw%1.all"), testimages::kAllIdTF, "290A1");
    writeAll(firmwarePath(kName32), testimages::kAllIdTF, "290A1");
  }

  void useTable(const std::string& content) {
    if (c.run.fwmatrixFile != nullptr) std::fclose(c.run.fwmatrixFile);
    c.scratch.write("fwmatrix.txt", content);
    c.run.fwmatrixFile = std::fopen(c.scratch.file("fwmatrix.txt").c_str(), "r");
    ASSERT_NE(c.run.fwmatrixFile, nullptr);
  }

  // Starts a new decision on the same files: the table `content`, only the
  // switch `flag` (and `second`), no counts and no commands run so far.
  void restart(const std::string& content, bool Switches::*flag, bool Switches::*second = nullptr) {
    runner.calls.clear();
    c.run.counters = Counters();
    c.run.sw = Switches();
    c.run.sw.*flag = 1;
    if (second != nullptr) c.run.sw.*second = 1;
    useTable(content);
  }

  std::string fcFirmwareDownload() const { return download(kFcWwn, firmwarePath("tf.all")); }
  std::string fcBootDownload() const { return download(kFcWwn, bootPath("tu.prg")); }
};

// ---- The per-image rule, switch by switch -----------------------------------

struct RuleCase {
  const char* description;
  bool Switches::*flag;
  bool Switches::*secondFlag;
  const char* firmwareVersion;  // of the image; installed is 282A4
  const char* bootVersion;      // of the image; installed is 510A3
  bool downloaded;
};

const RuleCase kRuleCases[] = {
    {"update, newer", &Switches::update, nullptr, "290A1", "511A1", true},
    {"update, equal", &Switches::update, nullptr, "282A4", "510A3", false},
    {"update, older", &Switches::update, nullptr, "282A3", "510A2", false},
    {"rewrite, newer", &Switches::rewrite, nullptr, "290A1", "511A1", true},
    {"rewrite, equal", &Switches::rewrite, nullptr, "282A4", "510A3", true},
    {"rewrite, older", &Switches::rewrite, nullptr, "282A3", "510A2", false},
    {"downgrade, newer", &Switches::downgrade, nullptr, "290A1", "511A1", false},
    {"downgrade, equal", &Switches::downgrade, nullptr, "282A4", "510A3", false},
    {"downgrade, older", &Switches::downgrade, nullptr, "282A3", "510A2", true},
    {"/f, newer", &Switches::forceFw, &Switches::forceBootCode, "290A1", "511A1", true},
    {"/f, equal", &Switches::forceFw, &Switches::forceBootCode, "282A4", "510A3", true},
    {"/f, older", &Switches::forceFw, &Switches::forceBootCode, "282A3", "510A2", true},
};

TEST_F(FwmatrixDecision, EachSwitchTakesTheImagesItAsksFor) {
  for (const RuleCase& t : kRuleCases) {
    CapturedRun& r = c;
    writeAll(firmwarePath("tf.all"), testimages::kAllIdTF, t.firmwareVersion);
    writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, t.bootVersion);
    restart("KV7100 tf.all tu.prg\n", t.flag, t.secondFlag);
    Adapter& fc = add(tfAdapter());
    decideFwmatrixUpdate(r.run, fc);
    const std::vector<std::string> expected =
        t.downloaded ? std::vector<std::string>{fcFirmwareDownload(), fcBootDownload()}
                     : std::vector<std::string>{};
    EXPECT_EQ(toolCalls(), expected) << t.description;
    EXPECT_EQ(r.run.counters.downloadCount, t.downloaded ? 2 : 0) << t.description;
    EXPECT_EQ(r.run.counters.compatibleImageCount, 2) << t.description;
    const std::string trace = r.trace();
    const std::string needed =
        std::string("\n[Update Needed]\n") + (t.downloaded ? "true" : "false");
    EXPECT_EQ(occurrences(trace, needed), 2) << t.description << trace;
  }
}

TEST_F(FwmatrixDecision, AnEqualImageUnderUpdateIsNotRequired) {
  writeAll(firmwarePath("tf.all"), testimages::kAllIdTF, "282A4");
  writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, "510A3");
  useTable("KV7100 tf.all tu.prg\n");
  c.run.sw.update = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  decideFwmatrixUpdate(c.run, fc);
  EXPECT_EQ(c.console(),
            "\nvornup.exe: A firmware update was not required on HBA: KV7100\n"
            "\nvornup.exe: A boot code update was not required on HBA: KV7100\n");
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, "\n[Using FWMATRIX.TXT]\n")) << trace;
  EXPECT_TRUE(holds(trace, "\n[Operation]\nforceFw || downgradeFw || rewriteFw || updateFw\n"))
      << trace;
  EXPECT_TRUE(holds(trace, "\n[Operation]\nforceBc || downgradeFw || rewriteFw || updateFw\n"))
      << trace;
  EXPECT_TRUE(holds(trace, "\n[Update Needed]\nfalse\n")) << trace;
  EXPECT_TRUE(toolCalls().empty());
}

TEST_F(FwmatrixDecision, AnEqualImageUnderDowngradeIsNotRequired) {
  writeAll(firmwarePath("tf.all"), testimages::kAllIdTF, "282A4");
  useTable("KV7100 tf.all\n");
  c.run.sw.downgrade = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  decideFwmatrixUpdate(c.run, fc);
  EXPECT_TRUE(
      holds(c.console(), "\nvornup.exe: A firmware downgrade was not required on HBA: KV7100\n"));
  EXPECT_TRUE(toolCalls().empty());
}

TEST_F(FwmatrixDecision, TheQueryLineNamesTheImageIdentifier) {
  useTable("KV7100 tf.all tu.prg\n");
  c.run.sw.update = true;
  c.run.sw.query = true;
  Adapter& fc = add(tfAdapter());
  decideFwmatrixUpdate(c.run, fc);
  const std::string console = c.console();
  const std::string body = kTfAdapterQueryBody;
  EXPECT_TRUE(holds(console, body + ", Supported Firmware=TF290A1, Boot Code Enabled=1\n"))
      << console;
  EXPECT_TRUE(holds(console, body + ", Supported Boot Code=TU511A1, Boot Code Enabled=1\n"))
      << console;
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcFirmwareDownload(), fcBootDownload()}));
}

TEST_F(FwmatrixDecision, AnAdapterWithoutALineIsOnlyReported) {
  useTable("KV9999 tf.all tu.prg\n");
  c.run.sw.update = true;
  c.run.sw.query = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  decideFwmatrixUpdate(c.run, fc);
  EXPECT_EQ(c.console(), std::string(kTfAdapterQueryBody) +
                             ", Boot Enabled=1"
                             "\nvornup.exe: No fwmatrix.txt entry for HBA = KV7100\n");
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.run.counters.downloadCount, 0);
  EXPECT_EQ(c.run.counters.downloadErrorCount, 0);
}

// ---- Entries and files that give no image --------------------------------------

struct MissingCase {
  const char* description;
  Adapter (*make)();
  const char* table;
  bool Switches::*flag;
  const char* message;
  uint16_t cnaCount;  // converged download and error counts
};

const MissingCase kMissingCases[] = {
    {"no firmware column", tfAdapter, "KV7100\n", &Switches::forceFw,
     "\nvornup.exe: No firmware entry found for HBA = KV7100, status = FFFA0000\n", 0},
    {"firmware name too long", tfAdapter, "KV7100 nnnnnnnnnnnnnnnnnnnnnnnnnnnn.all\n",
     &Switches::forceFw,
     "\nvornup.exe: Invalid firmware entry found for HBA = KV7100, status = FFFA0000\n", 0},
    {"firmware file absent", tfAdapter, "KV7100 absent.all\n", &Switches::forceFw,
     "\nvornup.exe: Error - unable to open firmware file for HBA = KV7100, status = FFFA0000\n", 0},
    {"firmware name of the boot kind", tfAdapter, "KV7100 fw.PRG\n", &Switches::forceFw,
     "\nvornup.exe: Error - invalid firmware file found for HBA = KV7100, status = FFFA0000\n", 0},
    {"firmware file failing verification", tfAdapter, "KV7100 junk.all\n", &Switches::forceFw,
     "\nvornup.exe: Error - invalid firmware file found for HBA = KV7100, status = FFFA0000\n", 0},
    {"firmware name unsafe on a command line", tfAdapter, "KV7100 fw%1.all\n", &Switches::forceFw,
     "\nvornup.exe: Error - invalid firmware file found for HBA = KV7100, status = FFFA0000\n", 0},
    {"converged firmware absent", sampleFcoeFunction, "KC20-FCoE absent.ufi\n", &Switches::forceFw,
     "\nvornup.exe: Error - reading firmware image for HBA = KC20-FCoE, status = C7\n", 1},
    {"gated adapter, image below the fpga version", gatedFcoeFunction, "KC20-FCoE old.ufi\n",
     &Switches::update,
     "\nvornup.exe: Error - Incompatible firmware image for HBA = KC20-FCoE, status = 0\n", 1},
    {"no boot code column", tfAdapter, "KV7100 tf.all\n", &Switches::forceBootCode,
     "\nvornup.exe: No boot code entry found for HBA = KV7100, status = FFFA0000\n", 0},
    {"boot code name too long", tfAdapter, "KV7100 tf.all nnnnnnnnnnnnnnnnnnnnnnnnnnnn.prg\n",
     &Switches::forceBootCode,
     "\nvornup.exe: Invalid boot code entry found for HBA = KV7100, status = FFFA0000\n", 0},
    {"boot code file absent", tfAdapter, "KV7100 tf.all absent.prg\n", &Switches::forceBootCode,
     "\nvornup.exe: Error - unable to open boot code file for HBA = KV7100, status = FFFA0000\n",
     0},
    {"boot code name of the firmware kind", tfAdapter, "KV7100 tf.all x.ALL\n",
     &Switches::forceBootCode,
     "\nvornup.exe: Error - invalid boot code file found for HBA = KV7100, status = FFFA0000\n", 0},
};

TEST_F(FwmatrixDecision, AnEntryWithoutUsableImageCountsAsAFailedDownload) {
  for (const MissingCase& t : kMissingCases) {
    for (int verbose = 0; verbose <= 1; ++verbose) {
      restart(t.table, t.flag);
      c.run.sw.verbose = verbose;
      Adapter& adapter = add(t.make());
      decideFwmatrixUpdate(c.run, adapter);
      const Counters& n = c.run.counters;
      EXPECT_EQ(n.downloadCount, 1) << t.description;
      EXPECT_EQ(n.downloadErrorCount, 1) << t.description;
      EXPECT_EQ(n.cnaFwDownloadCount, t.cnaCount) << t.description;
      EXPECT_EQ(n.cnaFwErrorCount, t.cnaCount) << t.description;
      EXPECT_EQ(n.compatibleImageCount, 0) << t.description;
      EXPECT_EQ(c.console(), verbose ? t.message : "") << t.description;
      EXPECT_TRUE(toolCalls().empty()) << t.description;
    }
  }
}

TEST_F(FwmatrixDecision, AMissingImageShowsNoneInTheQueryLine) {
  useTable("KV7100\n");
  c.run.sw.forceFw = true;
  c.run.sw.forceBootCode = true;
  c.run.sw.query = true;
  Adapter& fc = add(tfAdapter());
  decideFwmatrixUpdate(c.run, fc);
  const std::string console = c.console();
  EXPECT_TRUE(holds(console, "Boot Code=TU510A3, Supported Firmware=NONE, Boot Code Enabled=1"))
      << console;
  EXPECT_TRUE(holds(console, "Boot Code=TU510A3, Supported Boot Code=NONE, Boot Code Enabled=1"))
      << console;
  EXPECT_EQ(c.run.counters.downloadErrorCount, 2);
}

// ---- Converged adapters ------------------------------------------------------------

TEST_F(FwmatrixDecision, AGatedAdapterTakesAnImageFromTheFpgaVersionOn) {
  useTable("KC20-FCoE new.ufi\n");
  c.run.sw.update = true;
  Adapter& fcoe = add(gatedFcoeFunction());
  decideFwmatrixUpdate(c.run, fcoe);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{download(kFcoeWwn, firmwarePath("new.ufi"))}));
  EXPECT_EQ(c.run.counters.compatibleImageCount, 1);
  EXPECT_EQ(c.run.counters.downloadErrorCount, 0);
  EXPECT_TRUE(holds(c.trace(), "\n[isCompatibleKX2FirmwareVersion]\n"));
}

TEST_F(FwmatrixDecision, AConvergedLineWithAThirdColumnRunsNoBootCodeStep) {
  useTable("KC20-NIC new.ufi tu.prg\n");
  c.run.sw.update = true;
  Adapter& nic = add(sampleNicFunction());
  decideFwmatrixUpdate(c.run, nic);
  EXPECT_EQ(toolCalls(),
            (std::vector<std::string>{download("00-11-22-33-44-55", firmwarePath("new.ufi"))}));
  const std::string trace = c.trace();
  EXPECT_EQ(occurrences(trace, "\n[Operation]\n"), 1) << trace;
  EXPECT_FALSE(holds(trace, "forceBc")) << trace;
}

TEST_F(FwmatrixDecision, AnOlderConvergedImageIsNotRequiredUnderUpdate) {
  useTable("KC20-FCoE old.ufi\n");
  c.run.sw.update = true;
  c.run.sw.verbose = true;
  Adapter& fcoe = add(sampleFcoeFunction());
  decideFwmatrixUpdate(c.run, fcoe);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.console(), "\nvornup.exe: A firmware update was not required on HBA: KC20-FCoE\n");
  EXPECT_EQ(c.run.counters.compatibleImageCount, 1);
}

}  // namespace
}  // namespace vornup
