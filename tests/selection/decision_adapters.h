// Test support: adapters whose type codes match the images of image_files.h.
#pragma once

#include "support/sample_adapters.h"

namespace vornup {

// An FC adapter running firmware TF 282A4 and universal boot code TU 510A3.
inline Adapter tfAdapter() {
  Adapter a = sampleFcAdapter();
  a.fwType.set("TF");
  a.bootCodeType.set("TU");
  a.fwVersion.set("282A4");
  a.bootCodeVersion.set("510A3");
  return a;
}

// The start of tfAdapter's query line, up to its boot code version.
constexpr char kTfAdapterQueryBody[] =
    "\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01, PCI ID=7D00, VID=1A5C, "
    "SSID=7D21, SVID=1A5C, Firmware=TF282A4, Boot Code=TU510A3";

// A converged FCoE function of the gated group, running 4.0.360.15 (KX2).
inline Adapter gatedFcoeFunction() {
  Adapter a = sampleFcoeFunction();
  a.subVenDevID = 0x103C;
  a.subSysDevID = 0x174B;
  return a;
}

// Sets a converged function's installed version.
inline void setConvergedVersion(Adapter& a, const char* text, uint32_t major, uint32_t minor,
                                uint32_t release, uint32_t build) {
  a.fwVersion.set(text);
  a.CNAMajorVer = major;
  a.CNAMinorVer = minor;
  a.CNAReleaseVer = release;
  a.CNABuildVer = build;
}

}  // namespace vornup
