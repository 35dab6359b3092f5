#include "selection/fpga_gate.h"

#include "core/adapter.h"
#include "core/image_node.h"
#include "core/run_state.h"
#include "core/versions.h"

namespace vornup {

namespace {

// The family does not take part: the gate compares the four numbers.
constexpr VersionBlock kFpgaVersion = {ImageFamily::kx2, 4, 0, 360, 15};

constexpr char kFieldBelowLine[] = "curVersion < fpgaVersion - Supported = FALSE\n";
constexpr char kFieldAboveLine[] = "curVersion > fpgaVersion - Supported = TRUE\n";
constexpr char kFieldEqualLine[] = "curVersion == fpgaVersion - Continue version test\n";

// The gate runs the same steps for an image and for an adapter; only the
// trace wording differs.
struct GateWording {
  const char* heading;
  const char* valueLines[4];  // major, minor, release, build
  const char* equalLine;
  const char* compareLines[4];
};

constexpr GateWording kImageWording = {
    "\n[isCompatibleKX2FirmwareVersion]\n",
    {
        "newFwVersion->CNAMajorVer   = %d\n",
        "newFwVersion->CNAMinorVer   = %d\n",
        "newFwVersion->CNAReleaseVer = %d\n",
        "newFwVersion->CNABuildVer   = %d\n",
    },
    "New and Current versions are equal to the fpga version - status = TRUE\n",
    {
        "\nComparing Major Versions - New = %d, fpga = %d\n",
        "\nComparing Minor Versions - New = %d, fpga = %d\n",
        "\nComparing Release Versions - New = %d, fpga = %d\n",
        "\nComparing Build Versions - New = %d, fpga = %d\n",
    },
};

constexpr GateWording kAdapterWording = {
    "\n[hasSupportedKX2FirmwareVersion]\n",
    {
        "currentHba->CNAMajorVer   = %d\n",
        "currentHba->CNAMinorVer   = %d\n",
        "currentHba->CNAReleaseVer = %d\n",
        "currentHba->CNABuildVer   = %d\n",
    },
    "Current versions are equal to the fpga versions! Supported = TRUE\n",
    {
        "\nComparing Major Versions - Cur = %d, fpga = %d\n",
        "\nComparing Minor Versions - Cur = %d, fpga = %d\n",
        "\nComparing Release Versions - Cur = %d, fpga = %d\n",
        "\nComparing Build Versions - Cur = %d, fpga = %d\n",
    },
};

// The trace prints the numbers with %d, as the product always has.
int asTraced(uint32_t value) { return static_cast<int>(value); }

bool passesGate(RunState& run, const GateWording& wording, VersionBlock version) {
  version.imageFamily = kFpgaVersion.imageFamily;
  const uint32_t numbers[4] = {version.major, version.minor, version.release, version.build};
  const uint32_t fpga[4] = {kFpgaVersion.major, kFpgaVersion.minor, kFpgaVersion.release,
                            kFpgaVersion.build};
  run.out.traceOut("%s", wording.heading);
  for (int i = 0; i < 4; ++i) run.out.traceOut(wording.valueLines[i], asTraced(numbers[i]));

  if (compareConvergedVersions(version, kFpgaVersion) == 0) {
    run.out.traceOut("%s", wording.equalLine);
    return true;
  }
  for (int i = 0; i < 4; ++i) {
    run.out.traceOut(wording.compareLines[i], asTraced(numbers[i]), asTraced(fpga[i]));
    int field = compareVersionField(run, numbers[i], fpga[i]);
    if (field != kFieldEqualToFpga) return field == kFieldAboveFpga;
  }
  return true;  // not reached: a version that differs differs in some field
}

}  // namespace

bool isFpgaGatedAdapter(const Adapter& adapter) {
  return adapter.subVenDevID == 0x103C &&
         (adapter.subSysDevID == 0x174B || adapter.subSysDevID == 0x1749 ||
          adapter.subSysDevID == 0x1747);
}

bool isCompatibleKX2FirmwareVersion(RunState& run, const ImageNode& newFwVersion) {
  return passesGate(run, kImageWording, versionBlockOf(newFwVersion));
}

bool hasSupportedKX2FirmwareVersion(RunState& run, const Adapter& currentAdapter) {
  return passesGate(run, kAdapterWording, versionBlockOf(currentAdapter));
}

int compareVersionField(RunState& run, uint32_t value, uint32_t fpgaValue) {
  if (value < fpgaValue) {
    run.out.traceOut("%s", kFieldBelowLine);
    return kFieldBelowFpga;
  }
  if (value > fpgaValue) {
    run.out.traceOut("%s", kFieldAboveLine);
    return kFieldAboveFpga;
  }
  run.out.traceOut("%s", kFieldEqualLine);
  return kFieldEqualToFpga;
}

}  // namespace vornup
