#include "driver/reports_inventory.h"

#include "core/adapter.h"
#include "core/run_state.h"

namespace vornup {

namespace {

constexpr char kHeading[] = "\n[Discovered HBA List]\n";
constexpr char kPortCountLine[] = "gHbaCount     = %d\n";
constexpr char kKnownPortCountLine[] = "knownHbaCount = %d\n\n";

constexpr char kAdapterNumberLine[] = "adapterNumber = %d\n";
constexpr char kModelLine[] = "model         = %s\n";
constexpr char kSerialNumberLine[] = "serialNumber  = %s\n";
constexpr char kWwnLine[] = "wwn           = %s\n";
constexpr char kMacLine[] = "mac           = %s\n";
constexpr char kFwVersionLine[] = "fwVersion     = %s\n";
constexpr char kBcVersionLine[] = "bcVersion     = %s\n";
constexpr char kFwTypeLine[] = "fwType        = %s\n";
constexpr char kBcTypeLine[] = "bcType        = %s\n";
constexpr char kImageTypeLine[] = "imageType     = %d\n";
constexpr char kPortTypeLine[] = "portType      = %s\n";
constexpr char kKxNumberLine[] = "CNA_KXNumber  = %d\n";
constexpr char kCnaTypeLine[] = "cnaType       = %d\n";

constexpr char kDomainLine[] = "domain        = %d\n";
constexpr char kBusLine[] = "bus           = %02X\n";
constexpr char kDevLine[] = "dev           = %02X\n";
constexpr char kFunLine[] = "fun           = %02X\n";
constexpr char kPciIdLine[] = "pciID         = %X\n";
constexpr char kVendorIdLine[] = "vendorID      = %X\n";
constexpr char kSubSysDevIdLine[] = "subSysDevID   = %X\n";
constexpr char kSubVenDevIdLine[] = "subVenDevID   = %X\n";

void traceIdentity(Output& out, const Adapter& a) {
  out.traceOut(kAdapterNumberLine, a.adapterNumber);
  out.traceOut(kModelLine, a.model.c_str());
  out.traceOut(kSerialNumberLine, a.serialNumber.c_str());
}

void traceConvergedFields(Output& out, const Adapter& a) {
  traceIdentity(out, a);
  out.traceOut(kFwVersionLine, a.fwVersion.c_str());
  out.traceOut(kBcVersionLine, a.bootCodeVersion.c_str());
  out.traceOut(kImageTypeLine, static_cast<int>(a.imageFamily));
  out.traceOut(kPortTypeLine, a.portType.c_str());
  out.traceOut(kKxNumberLine, a.CNA_KXNumber);
  out.traceOut(kCnaTypeLine, a.cnaType);
  if (portNaming(a) == PortNaming::mac) {
    out.traceOut(kMacLine, a.mac.c_str());
  } else {
    out.traceOut(kWwnLine, a.wwn.c_str());
  }
}

void traceFcFields(Output& out, const Adapter& a) {
  traceIdentity(out, a);
  out.traceOut(kWwnLine, a.wwn.c_str());
  out.traceOut(kFwVersionLine, a.fwVersion.c_str());
  out.traceOut(kBcVersionLine, a.bootCodeVersion.c_str());
  out.traceOut(kFwTypeLine, a.fwType.c_str());
  out.traceOut(kBcTypeLine, a.bootCodeType.c_str());
  out.traceOut(kPortTypeLine, a.portType.c_str());
}

void tracePciFields(Output& out, const Adapter& a) {
  out.traceOut(kDomainLine, a.domain);
  out.traceOut(kBusLine, a.bus);
  out.traceOut(kDevLine, a.dev);
  out.traceOut(kFunLine, a.fun);
  out.traceOut(kPciIdLine, a.pciID);
  out.traceOut(kVendorIdLine, a.vendorID);
  out.traceOut(kSubSysDevIdLine, a.subSysDevID);
  out.traceOut(kSubVenDevIdLine, a.subVenDevID);
  out.traceOut("\n");
}

}  // namespace

void traceAdapterList(RunState& run) {
  Output& out = run.out;
  if (!out.tracing()) return;
  out.traceOut("%s", kHeading);
  out.traceOut(kPortCountLine, run.counters.portCount);
  out.traceOut(kKnownPortCountLine, run.counters.knownPortCount);
  for (const auto& adapter : run.adapterList) {
    if (isConvergedFamily(*adapter)) {
      traceConvergedFields(out, *adapter);
    } else {
      traceFcFields(out, *adapter);
    }
    tracePciFields(out, *adapter);
  }
  out.traceOut("\n");
}

}  // namespace vornup
