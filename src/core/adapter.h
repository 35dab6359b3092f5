// The Adapter record: everything the program knows about one adapter port.
//
// Discovery creates one record per port the tool lists (a converged adapter
// gives one per function), the attribute step completes it, and the decision
// and download steps record what happened to it. Field names are the names the
// debug trace prints for them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/image_family.h"
#include "core/image_record.h"

namespace vornup {

struct RunState;

// A read of a port (attributes, PCI data, wakeup, boot code switch) that
// gave no reply: the port's record then holds placeholders, so the port is a
// failed port. The first failed read counts.
struct PortReadFailure {
  std::string command;  // the tool command, such as "hbaattrib"; empty: none failed
  std::string reason;

  bool failed() const { return !command.empty(); }
};

// Protocol of a port (`cnaType`, `personality`).
enum : int32_t {
  kCnaTypeFc = 0,
  kCnaTypeNic = 2,
  kCnaTypeIscsi = 4,
  kCnaTypeFcoe = 8,
};

// The name of a port protocol, as the adapter list's "Port Type" line and
// the run's records write it ("FC", "NIC", "iSCSI", "FCoE"); "FC" for any
// other value.
const char* portTypeNameOf(int32_t cnaType);
// The protocol a "Port Type" names (ignoring case); Fibre Channel for any
// name but the converged ones.
int32_t cnaTypeOfPortTypeName(const char* name);

// Shared download status of the functions of one converged adapter.
enum : int32_t {
  kDownloadNone = 0,
  kDownloadSucceeded = 1,
  kDownloadFailed = 2,
};

struct Adapter {
  int32_t bootEnabled = 0;
  uint32_t adapterNumber = 0;
  FixedText<32> model;
  FixedText<32> vornupType;
  FixedText<32> fwVersion;
  FixedText<96> bootCodeVersion;
  FixedText<32> wwn;
  FixedText<32> portType;
  int32_t fwAttempted = 0;
  int32_t bootAttempted = 0;
  FixedText<256> fwResultLine;
  FixedText<256> bootResultLine;
  FixedText<8> fwType;
  FixedText<8> bootCodeType;
  int32_t supported = 0;
  int32_t cnaType = kCnaTypeFc;
  int32_t CNA_KXNumber = 0;
  int32_t personality = kCnaTypeNic;
  int32_t downloadStat = kDownloadNone;
  // imageFamily and the four converged numbers form one block that compares
  // field by field with the same block of an image list node. The family is
  // set with the converged version (decodeConvergedVersion); until then, and
  // for Fibre Channel adapters always, it is none.
  ImageFamily imageFamily = ImageFamily::none;
  uint32_t CNAMajorVer = 0;
  uint32_t CNAMinorVer = 0;
  uint32_t CNAReleaseVer = 0;
  uint32_t CNABuildVer = 0;
  FixedText<32> mac;
  uint32_t flags = 0;
  FixedText<288> serialNumber;
  uint32_t domain = 0;
  uint32_t bus = 0;
  uint32_t dev = 0;
  uint32_t fun = 0;
  uint32_t pciID = 0;
  uint32_t vendorID = 0;
  uint32_t subSysDevID = 0;
  uint32_t subVenDevID = 0;
  // What the run decided and did for each image kind (the run report).
  ImageRecord firmwareRecord;
  ImageRecord bootCodeRecord;
  // The first read of the port that failed, if any.
  PortReadFailure readFailure;
};

// The adapter list, in the order the tool named the ports. Records are only
// ever appended and live until the run ends.
using AdapterList = std::vector<std::unique_ptr<Adapter>>;

// Counts a new record in portCount and appends it, cleared and numbered with
// the new count, to run.adapterList. Null when no memory is left; the count
// stays advanced, so the numbering shows the gap.
Adapter* newAdapterRecord(RunState& run);

bool isFcAdapter(const Adapter& a);
bool isNicFunction(const Adapter& a);
bool isIscsiFunction(const Adapter& a);
bool isFcoeFunction(const Adapter& a);
bool isConvergedFunction(const Adapter& a);
bool isHalvardFcAdapter(const Adapter& a);
bool isKX2Adapter(const Adapter& a);
bool isKX3Adapter(const Adapter& a);
// Converged function or Halvard FC adapter: four-number versions, images
// matched by image family.
bool isConvergedFamily(const Adapter& a);
// What a port is named by, to the tool and in every report: FC adapters (the
// Halvard one too) and FCoE functions by their WWN, NIC and iSCSI functions
// by their MAC. A port of no known type has no name.
enum class PortNaming { none, wwn, mac };
PortNaming portNaming(const Adapter& a);
// The address the tool knows the port by: the MAC of a port named by MAC,
// the WWN of every other port.
const char* adapterAddress(const Adapter& a);
// Whether the port's serial number was read: neither empty nor "N/A".
bool hasReadableSerial(const Adapter& a);
// Whether two records are functions of one physical adapter: one record, or
// the same readable serial number (ignoring case) at the same PCI bus and
// domain. The tool reports no PCI domain, so `domain` stays 0 and separates
// nothing; a record without a readable serial number is never another
// record's adapter.
bool isSameAdapter(const Adapter& a, const Adapter& b);
// A placeholder address, an unknown model or no firmware version.
bool hasInvalidIdentity(const Adapter& a);

}  // namespace vornup
