#include "driver/reports_summary.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/captured_run.h"
#include "support/sample_adapters.h"

namespace vornup {
namespace {

const std::string kBanner(79, '*');

void addAdapter(RunState& run, const Adapter& adapter) {
  run.adapterList.push_back(std::make_unique<Adapter>(adapter));
}

TEST(DownloadSummary, ListsTheAttemptedResultLinesInAdapterOrder) {
  CapturedRun r;
  Adapter fc = sampleFcAdapter();
  fc.fwAttempted = 1;
  fc.fwResultLine.set("\nFC firmware line Success\n");
  fc.bootAttempted = 1;
  fc.bootResultLine.set("\nFC boot line Error\n");
  Adapter nic = sampleNicFunction();
  nic.fwResultLine.set("\nnot attempted: never printed\n");
  Adapter fcoe = sampleFcoeFunction();
  fcoe.fwAttempted = 1;
  fcoe.fwResultLine.set("\nFCoE firmware line Preview\n");
  addAdapter(r.run, fc);
  addAdapter(r.run, nic);
  addAdapter(r.run, fcoe);
  printDownloadSummary(r.run);
  EXPECT_EQ(r.console(), "\n\n" + kBanner + "\n" + kBanner + "\nDownload Summary:\n" +
                             "\nFC firmware line Success\n\nFC boot line Error\n" +
                             "\nFCoE firmware line Preview\n\n\n");
}

std::string unsupportedHeading(const char* intro) {
  return "\n\n" + kBanner + "\n" + kBanner + "\nUnsupported HBA summary:\n" + intro;
}

constexpr char kFwmatrixIntro[] =
    "\nvornup.exe: Fwmatrix - The following HBAs are not supported or no matching HBA model "
    "entries found:\n";
constexpr char kAutoIntro[] =
    "\nvornup.exe: Auto Discovery - The following HBAs are not supported:\n";

TEST(UnsupportedSummary, ListsEveryUnsupportedPortWithItsTrailingBlanks) {
  CapturedRun r;
  Adapter (*const makers[])() = {sampleFcAdapter, sampleFcoeFunction, sampleNicFunction,
                                 sampleIscsiFunction, sampleHalvardAdapter};
  for (auto make : makers) {
    Adapter a = make();
    a.supported = 0;
    addAdapter(r.run, a);
  }
  Adapter supported = sampleFcAdapter();
  supported.model.set("KV7200");
  addAdapter(r.run, supported);
  printUnsupportedSummary(r.run);
  EXPECT_EQ(r.console(),
            unsupportedHeading(kFwmatrixIntro) +
                "\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01, PCI ID=7D00, VID=1A5C, "
                "SSID=7D21, SVID=1A5C, Firmware=KF282A4, Boot Code=KU510A3 "
                "\nHBA=KC20-FCoE, Port Type=FCoE, WWN=10:00:00:00:5E:CC:DD:02, PCI ID=3A00, "
                "VID=1A5C, SSID=3A01, SVID=1A5C, Firmware=4.0.360.15, Boot Code=2.1.3.0  "
                "\nHBA=KC20-NIC, Port Type=NIC, MAC=00-11-22-33-44-55, PCI ID=3A00, VID=1A5C, "
                "SSID=3A01, SVID=1A5C, Firmware=4.0.360.15, Boot Code=2.1.3.0  "
                "\nHBA=KC30-iSCSI, Port Type=iSCSI, MAC=00-11-22-33-44-66, PCI ID=3A10, "
                "VID=1A5C, SSID=3A01, SVID=1A5C, Firmware=4.1.0.0, Boot Code=N/A  "
                "\nHBA=KH16, Port Type=FCoE, WWN=20:00:00:00:5E:EE:FF:05, PCI ID=6C00, "
                "VID=1A5C, SSID=6C01, SVID=1A5C, Firmware=1.2.30.4, Boot Code=NONE  "
                "\n\n");
}

TEST(UnsupportedSummary, AutoModeIntro) {
  CapturedRun r;
  r.run.sw.autoMode = true;
  Adapter a = sampleFcAdapter();
  a.supported = 0;
  a.fwVersion.set("N/A");
  addAdapter(r.run, a);
  printUnsupportedSummary(r.run);
  EXPECT_EQ(r.console(),
            unsupportedHeading(kAutoIntro) +
                "\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01, PCI ID=7D00, VID=1A5C, "
                "SSID=7D21, SVID=1A5C, Firmware=N/A, Boot Code=KU510A3 \n\n");
}

TEST(VerboseSummaries, EachSummaryOnlyWhenItsCountIsSet) {
  const struct {
    uint16_t downloads, lost;
    bool download, unsupported;
  } cases[] = {{0, 0, false, false}, {2, 0, true, false}, {0, 1, false, true}, {3, 2, true, true}};
  for (const auto& c : cases) {
    CapturedRun r;
    Adapter a = sampleFcAdapter();
    a.supported = 0;
    addAdapter(r.run, a);
    r.run.counters.downloadCount = c.downloads;
    printVerboseSummaries(r.run, c.lost);
    std::string text = r.console();
    EXPECT_EQ(text.find("Download Summary:") != std::string::npos, c.download);
    EXPECT_EQ(text.find("Unsupported HBA summary:") != std::string::npos, c.unsupported);
    if (c.download && c.unsupported) {
      EXPECT_LT(text.find("Download Summary:"), text.find("Unsupported HBA summary:"));
    }
  }
}

}  // namespace
}  // namespace vornup
