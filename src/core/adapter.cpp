#include "core/adapter.h"

#include <cstring>
#include <new>

#include "core/model_table.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "core/text_compare.h"

namespace vornup {

namespace {

struct PortTypeName {
  int32_t cnaType;
  const char* name;
};

constexpr PortTypeName kPortTypeNames[] = {
    {kCnaTypeFc, "FC"},
    {kCnaTypeNic, "NIC"},
    {kCnaTypeIscsi, "iSCSI"},
    {kCnaTypeFcoe, "FCoE"},
};

}  // namespace

const char* portTypeNameOf(int32_t cnaType) {
  for (const PortTypeName& entry : kPortTypeNames) {
    if (entry.cnaType == cnaType) return entry.name;
  }
  return kPortTypeNames[0].name;
}

int32_t cnaTypeOfPortTypeName(const char* name) {
  for (const PortTypeName& entry : kPortTypeNames) {
    if (equalsIgnoringCase(name, entry.name)) return entry.cnaType;
  }
  return kCnaTypeFc;
}

Adapter* newAdapterRecord(RunState& run) {
  ++run.counters.portCount;
  std::unique_ptr<Adapter> record(new (std::nothrow) Adapter());
  if (record == nullptr) return nullptr;
  record->adapterNumber = run.counters.portCount;
  run.adapterList.push_back(std::move(record));
  return run.adapterList.back().get();
}

bool isFcAdapter(const Adapter& a) { return a.cnaType == kCnaTypeFc; }
bool isNicFunction(const Adapter& a) { return a.cnaType == kCnaTypeNic; }
bool isIscsiFunction(const Adapter& a) { return a.cnaType == kCnaTypeIscsi; }
bool isFcoeFunction(const Adapter& a) { return a.cnaType == kCnaTypeFcoe; }

bool isConvergedFunction(const Adapter& a) {
  return isNicFunction(a) || isIscsiFunction(a) || isFcoeFunction(a);
}

bool isHalvardFcAdapter(const Adapter& a) {
  return familyOfDeviceId(a.pciID) == ImageFamily::halvard;
}

bool isKX2Adapter(const Adapter& a) { return familyOfDeviceId(a.pciID) == ImageFamily::kx2; }

bool isKX3Adapter(const Adapter& a) { return familyOfDeviceId(a.pciID) == ImageFamily::kx3; }

bool isConvergedFamily(const Adapter& a) { return isConvergedFunction(a) || isHalvardFcAdapter(a); }

PortNaming portNaming(const Adapter& a) {
  if (isFcAdapter(a) || isFcoeFunction(a) || isHalvardFcAdapter(a)) return PortNaming::wwn;
  if (isNicFunction(a) || isIscsiFunction(a)) return PortNaming::mac;
  return PortNaming::none;
}

const char* adapterAddress(const Adapter& a) {
  return portNaming(a) == PortNaming::mac ? a.mac.c_str() : a.wwn.c_str();
}

bool hasReadableSerial(const Adapter& a) {
  const char* serial = a.serialNumber.c_str();
  return *serial != '\0' && !isPlaceholderText(serial);
}

bool isSameAdapter(const Adapter& a, const Adapter& b) {
  if (&a == &b) return true;
  // Two adapters whose serial numbers could not be read may share a bus
  // number (other PCI device numbers or segments, which the tool does not
  // report): without a serial number a record is an adapter of its own.
  if (!hasReadableSerial(a) || !hasReadableSerial(b)) return false;
  return equalsIgnoringCase(a.serialNumber.c_str(), b.serialNumber.c_str()) && a.bus == b.bus &&
         a.domain == b.domain;
}

bool hasInvalidIdentity(const Adapter& a) {
  auto isPlaceholder = [](const char* text, const char* zeros) {
    return std::strcmp(text, zeros) == 0 || isPlaceholderText(text);
  };
  const bool namedByWwn = portNaming(a) == PortNaming::wwn;
  if (namedByWwn ? isPlaceholder(a.wwn.c_str(), "00:00:00:00:00:00:00:00")
                 : isPlaceholder(a.mac.c_str(), "00-00-00-00-00-00")) {
    return true;
  }
  if (a.model.equals(kUnknownModelText)) return true;
  return isPlaceholderText(a.fwVersion.c_str());
}

}  // namespace vornup
