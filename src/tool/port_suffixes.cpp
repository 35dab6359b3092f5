// The list-wide passes of the attribute step: NIC personalities and the
// protocol suffixes of model names.
#include "tool/port_suffixes.h"

#include <cstring>

namespace vornup {
namespace {

struct PortSuffix {
  int32_t personality;
  const char* suffix;
};
const PortSuffix kPortSuffixes[] = {
    {kCnaTypeFcoe, "-FCoE"},
    {kCnaTypeIscsi, "-iSCSI"},
    {kCnaTypeNic, "-NIC"},
};

// fwmatrix.txt matches a Fibre Channel adapter by the part of its first
// column before any of these characters.
bool endsFcMatrixKey(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte <= ' ' || byte == 0x7F || byte >= 0x80 || c == '-';
}

}  // namespace

void settleNicPersonalities(RunState& run) {
  for (const auto& nic : run.adapterList) {
    if (!isNicFunction(*nic)) continue;
    for (const auto& other : run.adapterList) {
      if (!isSameAdapter(*nic, *other)) continue;
      if (isIscsiFunction(*other)) {
        nic->personality = kCnaTypeIscsi;
      } else if (isFcoeFunction(*other)) {
        nic->personality = kCnaTypeFcoe;
      }
    }
  }
}

void applyPortSuffixes(RunState& run) {
  for (const auto& a : run.adapterList) {
    for (const PortSuffix& entry : kPortSuffixes) {
      if (a->personality != entry.personality) continue;
      a->vornupType.append(entry.suffix);
      a->model.append(entry.suffix);
    }
    if (!isFcAdapter(*a)) continue;
    const char* key = a->vornupType.c_str();
    std::size_t length = 0;
    while (key[length] != '\0' && !endsFcMatrixKey(key[length])) ++length;
    a->vornupType.truncate(length);
  }
}

}  // namespace vornup
