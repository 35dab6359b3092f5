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

// A /auto /downgrade run: the test lays out its images, then discover()
// builds both lists.
class Downgrade : public DecisionFixture {
 protected:
  void SetUp() override {
    DecisionFixture::SetUp();
    c.run.sw.autoMode = true;
    c.run.sw.downgrade = true;
  }

  Adapter& addConverged(Adapter record, const char* version, uint32_t major, uint32_t minor,
                        uint32_t release, uint32_t build) {
    setConvergedVersion(record, version, major, minor, release, build);
    return add(record);
  }

  std::string fcoeDownload(const std::string& name) const {
    return download(kFcoeWwn, firmwarePath(name));
  }
  std::string fcBootDownload(const std::string& name) const {
    return download(kFcWwn, bootPath(name));
  }

  void writeConvergedSet() {
    writeUfi(firmwarePath("kc4100.ufi"), "4.1.0.0");
    writeUfi(firmwarePath("kc4036015.ufi"), "4.0.360.15");
    writeUfi(firmwarePath("kc3900.ufi"), "3.9.0.0");
  }
};

// ---- Firmware ------------------------------------------------------------------

TEST_F(Downgrade, FirmwareTakesTheNextLowerVersion) {
  writeConvergedSet();
  discover();
  Adapter& fcoe = addConverged(sampleFcoeFunction(), "4.1.0.0", 4, 1, 0, 0);
  decideAutoUpdate(c.run, fcoe);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcoeDownload("kc4036015.ufi")}));
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, "operation     = firmware downgrade\n")) << trace;
  EXPECT_EQ(occurrences(trace, "update needed = true\n"), 1) << trace;
  EXPECT_FALSE(holds(trace, "boot code downgrade")) << trace;
  EXPECT_EQ(c.run.counters.compatibleImageCount, 2);
}

TEST_F(Downgrade, NothingOlderIsNotRequired) {
  writeConvergedSet();
  discover();
  c.run.sw.query = true;
  c.run.sw.verbose = true;
  Adapter& fcoe = addConverged(sampleFcoeFunction(), "2.0.0.0", 2, 0, 0, 0);
  decideAutoUpdate(c.run, fcoe);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.console(),
            "\nHBA=KC20-FCoE, Port Type=FCoE, WWN=10:00:00:00:5E:CC:DD:02, PCI ID=3A00, "
            "VID=1A5C, SSID=3A01, SVID=1A5C, Firmware=2.0.0.0, Boot Code=2.1.3.0, "
            "Supported Firmware=KC3900.UFI"
            "\nvornup.exe: A firmware downgrade was not required on HBA: KC20-FCoE\n");
  EXPECT_EQ(c.run.counters.compatibleImageCount, 3);
}

TEST_F(Downgrade, AFailedFirmwareDownloadEndsTheWalk) {
  writeConvergedSet();
  discover();
  reply = "Download failed.\n";
  c.run.sw.verbose = true;
  Adapter& fcoe = addConverged(sampleFcoeFunction(), "4.1.0.0", 4, 1, 0, 0);
  decideAutoUpdate(c.run, fcoe);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcoeDownload("kc4036015.ufi")}));
  const std::string console = c.console();
  EXPECT_TRUE(holds(console, "Status=Error\n")) << console;
  EXPECT_TRUE(
      holds(console, "\nvornup.exe: A firmware downgrade was not required on HBA: KC20-FCoE\n"))
      << console;
  EXPECT_EQ(c.run.counters.downloadErrorCount, 1);
}

TEST_F(Downgrade, AGatedAdapterWalksOnlyDownToTheFpgaVersion) {
  writeUfi(firmwarePath("kc4100.ufi"), "4.1.0.0");
  writeUfi(firmwarePath("kc4036015.ufi"), "4.0.360.15");
  writeUfi(firmwarePath("kc4036014.ufi"), "4.0.360.14");
  discover();
  Adapter& fcoe = addConverged(gatedFcoeFunction(), "4.0.360.15", 4, 0, 360, 15);
  decideAutoUpdate(c.run, fcoe);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.run.counters.compatibleImageCount, 2);

  Adapter& newer = addConverged(gatedFcoeFunction(), "4.1.0.0", 4, 1, 0, 0);
  newer.serialNumber.set("KC20B0003");
  decideAutoUpdate(c.run, newer);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcoeDownload("kc4036015.ufi")}));
}

TEST_F(Downgrade, FcFirmwareWalksItsOwnTypeCodeOnly) {
  writeAll(firmwarePath("tf290.all"), testimages::kAllIdTF, "290A1");
  writeAll(firmwarePath("tf282.all"), testimages::kAllIdTF, "282A4");
  writeAll(firmwarePath("lf100.all"), testimages::kAllIdLF, "100A1");
  discover();
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  // No older TF image; the lower LF image is of another adapter type.
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_EQ(c.run.counters.compatibleImageCount, 2);
}

TEST_F(Downgrade, NoFirmwareOfTheTypeIsReported) {
  discover();
  c.run.sw.verbose = true;
  c.run.sw.query = true;
  Adapter& fcoe = add(sampleFcoeFunction());
  decideAutoUpdate(c.run, fcoe);
  EXPECT_TRUE(holds(c.console(),
                    "Supported Firmware=NONE\nvornup.exe: No firmware found for "
                    "HBA: KC20-FCoE\n"));
  EXPECT_EQ(c.run.counters.downloadErrorCount, 0);
}

// ---- Boot code -----------------------------------------------------------------

TEST_F(Downgrade, BootCodeFirstPassTakesTheNextLowerOfItsType) {
  writePrg(bootPath("tu511.prg"), testimages::kPrgIdTU, "511A1");
  writePrg(bootPath("tu510.prg"), testimages::kPrgIdTU, "510A3");
  writePrg(bootPath("tu509.prg"), testimages::kPrgIdTU, "509A1");
  writePrg(bootPath("tu400.prg"), testimages::kPrgIdTU, "400A1");
  discover();
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcBootDownload("tu509.prg")}));
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, "operation     = boot code downgrade\n")) << trace;
  EXPECT_EQ(c.run.counters.compatibleImageCount, 3);
}

TEST_F(Downgrade, BootCodeSecondPassWalksEveryKindOfTheFamily) {
  writePrg(bootPath("tu510.prg"), testimages::kPrgIdTU, "510A3");  // equal
  writePrg(bootPath("tp400.prg"), testimages::kPrgIdTP, "400A1");
  writePrg(bootPath("lu100.prg"), testimages::kPrgIdLU, "100A1");
  discover();
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_EQ(toolCalls(), (std::vector<std::string>{fcBootDownload("tp400.prg")}));
  // The universal image is tried in both passes, the other family never.
  EXPECT_EQ(c.run.counters.compatibleImageCount, 3);
}

TEST_F(Downgrade, BootCodeSecondPassGoesOnPastFailures) {
  writePrg(bootPath("tu509.prg"), testimages::kPrgIdTU, "509A1");
  writePrg(bootPath("tp400.prg"), testimages::kPrgIdTP, "400A1");
  writePrg(bootPath("lu100.prg"), testimages::kPrgIdLU, "100A1");
  discover();
  reply = "Download failed.\n";
  c.run.sw.query = true;
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_EQ(toolCalls(),
            (std::vector<std::string>{fcBootDownload("tu509.prg"), fcBootDownload("tu509.prg"),
                                      fcBootDownload("tp400.prg")}));
  const std::string console = c.console();
  EXPECT_TRUE(holds(console,
                    ", Supported Boot Code=TP400.PRG, Boot Code Enabled=1"
                    "\nvornup.exe: A boot code downgrade was not required on HBA: "
                    "KV7100\n"))
      << console;
  EXPECT_EQ(c.run.counters.downloadErrorCount, 3);
}

TEST_F(Downgrade, NoBootCodeOfTheTypeIsReported) {
  writePrg(bootPath("tp400.prg"), testimages::kPrgIdTP, "400A1");
  discover();
  c.run.sw.verbose = true;
  Adapter& fc = add(tfAdapter());
  decideAutoUpdate(c.run, fc);
  EXPECT_TRUE(toolCalls().empty());
  EXPECT_TRUE(holds(c.console(), "\nvornup.exe: No boot code found for HBA: KV7100\n"));
}

}  // namespace
}  // namespace vornup
