#include "tool/attributes.h"

#include <algorithm>
#include <cstring>

#include "core/model_table.h"
#include "core/placeholder_text.h"
#include "core/text_compare.h"
#include "core/versions.h"
#include "tool/boot_code_type.h"
#include "tool/command_safety.h"
#include "tool/label_reader.h"
#include "tool/model_identify.h"
#include "tool/port_reads.h"

namespace vornup {
namespace {

constexpr char kAttributesCommand[] = "hbaattrib %s";
// Switches a port's boot code on ("E") or off ("D").
constexpr char kBootCodeSwitchCommand[] = "enablebootcode %s %s";
constexpr char kBootCodeOn[] = "E";
constexpr char kBootCodeOff[] = "D";

constexpr char kBusLabel[] = "PCI Bus Number";
constexpr char kDeviceIdLabel[] = "Device ID";
constexpr char kVendorIdLabel[] = "Vendor Spec ID";
constexpr char kSubDeviceIdLabel[] = "Sub Device ID";
constexpr char kSubVendorIdLabel[] = "Sub Vendor ID";
constexpr char kFwVersionLabel[] = "FW Version";
constexpr char kSli3Label[] = "SLI3 FW";
constexpr char kSli2Label[] = "SLI2 FW";
constexpr char kBootCodeLabel[] = "Boot Code";
constexpr char kBootVersionLabel[] = "Boot Version";

constexpr char kTraceOutput[] = "%s\n";
constexpr char kTraceBladeHeading[] = "\n[isCindralBlade]\n";
constexpr char kTraceAdapterNumber[] = "adapterNumber = %d\n";
constexpr char kTraceDeviceId[] = "deviceID      = %X\n";
constexpr char kTraceSubSystemId[] = "subSystemID   = %X\n";
constexpr char kTraceSubVendorId[] = "subVendorID   = %X\n";
constexpr char kTraceBladeTrue[] = "isCindralBlade = TRUE\n";
constexpr char kTraceBladeFalse[] = "isCindralBlade = FALSE\n";
constexpr char kTraceShortVersion[] = "FW Version is shorter than expected! FW Version = %s\n";
constexpr char kTraceSli3[] = "Retried with SLI3 FW = %s\n";
constexpr char kTraceSli2[] = "Retried with SLI2 FW = %s\n";
constexpr char kTraceDefaultRelease[] =
    "SLI2 and SLI3 FW Versions are not valid. Append a default relase code and revision.\n";
constexpr char kTraceAssigned[] = "Assigned FW Version = %s\n";

constexpr uint32_t kCindralBladeFlags = 0x7D0B;
// A Fibre Channel version shorter than this lacks its release letter and count.
constexpr std::size_t kFullFcVersionLength = 4;
constexpr std::size_t kBareFcVersionLength = 3;
constexpr char kDefaultRelease[] = "A0";

void checkCindralBlade(RunState& run, Adapter& a) {
  if (a.pciID != kCindralBladeDeviceId) return;
  run.out.traceOut(kTraceBladeHeading);
  run.out.traceOut(kTraceAdapterNumber, static_cast<int>(a.adapterNumber));
  run.out.traceOut(kTraceDeviceId, a.pciID);
  run.out.traceOut(kTraceSubSystemId, a.subSysDevID);
  run.out.traceOut(kTraceSubVendorId, a.subVenDevID);
  if (isCindralBlade(a.pciID, a.subSysDevID, a.subVenDevID)) {
    run.out.traceOut(kTraceBladeTrue);
    a.flags = kCindralBladeFlags;
  } else {
    run.out.traceOut(kTraceBladeFalse);
  }
}

// Replaces a short version by the label's value when the label is present.
void retryWith(RunState& run, const char* label, const char* traceFormat, Adapter& a) {
  if (a.fwVersion.length() >= kFullFcVersionLength) return;
  FixedText<32> fallback;
  if (!getLabelValue(label, run.toolOutput.c_str(), fallback)) return;
  a.fwVersion = fallback;
  run.out.traceOut(traceFormat, a.fwVersion.c_str());
}

// A Fibre Channel version too short to be whole is tried from the SLI3 and
// SLI2 labels, and at last completed with a default release.
void readFcFirmwareVersion(RunState& run, Adapter& a) {
  getLabelValue(kFwVersionLabel, run.toolOutput.c_str(), a.fwVersion);
  if (a.fwVersion.length() >= kFullFcVersionLength) return;
  run.out.traceOut(kTraceShortVersion, a.fwVersion.c_str());
  retryWith(run, kSli3Label, kTraceSli3, a);
  retryWith(run, kSli2Label, kTraceSli2, a);
  if (a.fwVersion.length() < kFullFcVersionLength) {
    run.out.traceOut(kTraceDefaultRelease);
    if (a.fwVersion.length() == kBareFcVersionLength) a.fwVersion.append(kDefaultRelease);
  }
  run.out.traceOut(kTraceAssigned, a.fwVersion.c_str());
}

void readFirmwareVersion(RunState& run, Adapter& a) {
  if (std::strstr(run.toolOutput.c_str(), kFwVersionLabel) == nullptr) {
    a.fwVersion.set(kNotAvailableText);
  } else if (isConvergedFamily(a)) {
    getLabelToken(kFwVersionLabel, run.toolOutput.c_str(), a.fwVersion);
    decodeConvergedVersion(a);
  } else {
    readFcFirmwareVersion(run, a);
  }
}

// A Fibre Channel adapter's boot code: its version is only reported while it
// is enabled, so disabled boot code is enabled for the reading and disabled
// again afterwards.
void readFcBootCode(RunState& run, Adapter& a) {
  const bool halvard = isHalvardFcAdapter(a);
  if (!halvard) ++run.counters.bootCapableCount;
  if (std::strstr(run.toolOutput.c_str(), kBootCodeLabel) == nullptr) {
    a.bootCodeVersion.set(kNoneText);
    return;
  }
  FixedText<32> state;
  getLabelValue(kBootCodeLabel, run.toolOutput.c_str(), state);
  const bool switchedOn = equalsIgnoringCase(state.c_str(), "DISABLED");
  if (switchedOn) {
    enableBootCodeForReading(run, a);
    readPort(run, a, kAttributesCommand, a.wwn.c_str());
    getLabelValue(kBootVersionLabel, run.toolOutput.c_str(), a.bootCodeVersion);
    a.bootEnabled = 0;
  } else if (!equalsIgnoringCase(state.c_str(), "NONE") &&
             !equalsIgnoringCase(state.c_str(), "NOT")) {
    getLabelValue(kBootVersionLabel, run.toolOutput.c_str(), a.bootCodeVersion);
    a.bootEnabled = 1;
  } else {
    a.bootCodeVersion.set(kNoneText);
  }
  if (!halvard) readBootCodeType(run, a);
  // Switching it off again counts as a read of the port only when this run
  // switched it on.
  if (a.bootEnabled == 0) setBootCodeBack(run, a.wwn.c_str(), switchedOn ? &a : nullptr);
}

}  // namespace

void enableBootCodeForReading(RunState& run, Adapter& a) {
  // Remembered first: a run interrupted while the command runs does not
  // know whether it took effect.
  run.bootCodeEnabledPorts.emplace_back(a.wwn.c_str());
  readPort(run, a, kBootCodeSwitchCommand, a.wwn.c_str(), kBootCodeOn, ReplyNeed::none);
}

void setBootCodeBack(RunState& run, const char* address, Adapter* port) {
  auto& ports = run.bootCodeEnabledPorts;
  ports.erase(std::remove(ports.begin(), ports.end(), std::string(address)), ports.end());
  run.settingBootCodeBack = true;
  if (port != nullptr) {
    readPort(run, *port, kBootCodeSwitchCommand, address, kBootCodeOff, ReplyNeed::none);
  } else {
    executeForAddress(run, kBootCodeSwitchCommand, address, kBootCodeOff);
  }
  run.settingBootCodeBack = false;
}

void restoreBootCode(RunState& run) {
  // Each is tried once, whatever its answer.
  while (!run.bootCodeEnabledPorts.empty()) {
    std::string address = run.bootCodeEnabledPorts.back();
    setBootCodeBack(run, address.c_str());
  }
}

void readAdapterAttributes(RunState& run, Adapter& a) {
  readPort(run, a, kAttributesCommand, adapterAddress(a));
  const char* output = run.toolOutput.c_str();
  if (output[0] != '\0') run.out.traceOut(kTraceOutput, output);
  a.bus = readHexLabel(kBusLabel, output);
  a.pciID = readHexLabel(kDeviceIdLabel, output);
  a.vendorID = readHexLabel(kVendorIdLabel, output);
  a.subSysDevID = readHexLabel(kSubDeviceIdLabel, output);
  a.subVenDevID = readHexLabel(kSubVendorIdLabel, output);
  checkCindralBlade(run, a);
  if (isHalvardFcAdapter(a)) {
    a.cnaType = kCnaTypeFc;
    a.personality = kCnaTypeFc;
  }
  readFirmwareVersion(run, a);
  if (isFcAdapter(a)) {
    readFcBootCode(run, a);
  } else {
    getLabelToken(kBootCodeLabel, run.toolOutput.c_str(), a.bootCodeVersion);
  }
  identifyModel(run, a);
  a.vornupType = a.model;
  if (a.supported == 1 && hasInvalidIdentity(a)) a.supported = 0;
}

void decodeConvergedVersion(Adapter& a) {
  parseConvergedVersion(a.fwVersion.c_str(), a.CNAMajorVer, a.CNAMinorVer, a.CNAReleaseVer,
                        a.CNABuildVer);
  if (a.CNAMajorVer == 2 || a.CNAMajorVer == 3) {
    const char* dot = std::strchr(a.fwVersion.c_str(), '.');
    if (dot != nullptr) {
      std::size_t next = static_cast<std::size_t>(dot - a.fwVersion.c_str()) + 1;
      if (next < a.fwVersion.length()) {
        a.fwVersion.replaceAt(next, '1');
      } else {
        a.fwVersion.appendChar('1');
      }
      parseConvergedVersion(a.fwVersion.c_str(), a.CNAMajorVer, a.CNAMinorVer, a.CNAReleaseVer,
                            a.CNABuildVer);
    }
  }
  // Fibre Channel images go by type code, so a converged function on a Fibre
  // Channel device ID takes no image by family.
  const ImageFamily family = familyOfDeviceId(a.pciID);
  a.imageFamily = family == ImageFamily::fc ? ImageFamily::none : family;
}

}  // namespace vornup
