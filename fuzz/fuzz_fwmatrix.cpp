// fwmatrix.txt: the input is the table's whole text. The verification pass
// reads it (verbose, traced), then each adapter of the mixed host looks for
// its line and the fwmatrix-mode decision loads, checks and force-downloads
// the files that line names from the install's image directories, the tool
// answering every download with success. A download must name a file of those
// directories that the readers accept.
#include "fuzz_install.h"
#include "selection/decision_fwmatrix.h"
#include "selection/fwmatrix.h"

namespace {

struct AdapterKind {
  const char* model;
  const char* vornupType;
  const char* fwType;
  int32_t cnaType;
  uint32_t pciID;
  vornup::ImageFamily imageFamily;
  const char* address;
};

// The mixed host's adapters as the attribute step leaves them.
const AdapterKind kAdapters[] = {
    {"KF1602", "KF1602", "ZF", vornup::kCnaTypeFc, 0x7D00, vornup::ImageFamily::none,
     "10:00:00:00:C9:7D:00:01"},
    {"KF810", "KF810", "BF", vornup::kCnaTypeFc, 0x5400, vornup::ImageFamily::none,
     "10:00:00:00:C9:54:00:01"},
    {"KC2100-NIC", "KC2100-NIC", "C", vornup::kCnaTypeNic, 0x3A00, vornup::ImageFamily::kx2,
     "00-90-FA-3A-00-01"},
    {"KC2100-FCoE", "KC2100-FCoE", "C", vornup::kCnaTypeFcoe, 0x3A04, vornup::ImageFamily::kx2,
     "10:00:00:90:FA:3A:00:02"},
    {"KH3201", "KH3201", "G", vornup::kCnaTypeFc, 0x6C00, vornup::ImageFamily::halvard,
     "10:00:00:10:9B:6C:00:01"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace vornup;
  const std::string& install = fuzz::installDirectory();
  const std::string table = fuzz::workDirectory() + "fwmatrix.txt";
  if (!mixedinstall::writeText(table, std::string(reinterpret_cast<const char*>(data), size))) {
    fuzz::fail("cannot write", table);
  }
  fuzz::ScriptedTool tool(std::vector<std::string>(64, "Download Complete.\n"));
  tool.onToolCall = fuzz::checkDownload;
  RunState run(tool.platform);
  fuzz::prepareRun(run);
  run.firmwareDirectory.format("%sfirmware/", install.c_str());
  run.bootDirectory.format("%sboot/", install.c_str());
  run.sw.verbose = true;
  run.sw.forceFw = true;
  run.sw.forceBootCode = true;
  run.fwmatrixFile = std::fopen(table.c_str(), "r");
  if (run.fwmatrixFile == nullptr) fuzz::fail("cannot open", table);

  verifyFWmatrixEntries(run);
  for (const AdapterKind& kind : kAdapters) {
    Adapter* a = newAdapterRecord(run);
    if (a == nullptr) break;
    a->model.set(kind.model);
    a->vornupType.set(kind.vornupType);
    a->fwType.set(kind.fwType);
    a->cnaType = kind.cnaType;
    a->personality = kind.cnaType;
    a->pciID = kind.pciID;
    a->imageFamily = kind.imageFamily;
    (kind.cnaType == kCnaTypeNic ? a->mac : a->wwn).set(kind.address);
    a->serialNumber.set("KC2100B0007");
    a->fwVersion.set(kind.imageFamily == ImageFamily::none ? "282A4" : "4.0.360.15");
    a->bootCodeType.set("ZU");
    FixedText<32> fwFile;
    FixedText<32> bootCodeFile;
    getFwMatrixMatch(run, *a, fwFile, bootCodeFile);
    decideFwmatrixUpdate(run, *a);
  }
  std::fclose(run.fwmatrixFile);
  run.fwmatrixFile = nullptr;
  fuzz::finishRun(run);
  return 0;
}
