#include "core/adapter.h"

#include <gtest/gtest.h>

namespace vornup {
namespace {

struct IdentityCase {
  int32_t cnaType;
  uint32_t pciID;
  const char* wwn;
  const char* mac;
  const char* model;
  const char* fwVersion;
  bool invalid;
};

TEST(AdapterIdentity, PlaceholdersMakeTheIdentityInvalid) {
  const IdentityCase cases[] = {
      {kCnaTypeFc, 0x7D00, "10:00:00:00:5E:AA:BB:CC", "", "KV7100", "272A2", false},
      {kCnaTypeFc, 0x7D00, "00:00:00:00:00:00:00:00", "", "KV7100", "272A2", true},
      {kCnaTypeFc, 0x7D00, "N/A", "", "KV7100", "272A2", true},
      {kCnaTypeFc, 0x7D00, "NONE", "", "KV7100", "272A2", true},
      {kCnaTypeFc, 0x7D00, "10:00:00:00:5E:AA:BB:CC", "", "UNKNOWN_MODEL", "272A2", true},
      {kCnaTypeFc, 0x7D00, "10:00:00:00:5E:AA:BB:CC", "", "KV7100", "N/A", true},
      {kCnaTypeFc, 0x7D00, "10:00:00:00:5E:AA:BB:CC", "", "KV7100", "NONE", true},
      // An iSCSI function is named by its MAC; its empty wwn does not matter.
      {kCnaTypeIscsi, 0x3A10, "", "00-11-22-33-44-55", "KC30-iSCSI", "4.1.0.0", false},
      {kCnaTypeIscsi, 0x3A10, "", "00-00-00-00-00-00", "KC30-iSCSI", "4.1.0.0", true},
      {kCnaTypeNic, 0x3A10, "", "NONE", "KC30-NIC", "4.1.0.0", true},
      // FCoE functions and the Halvard adapter are named by WWN.
      {kCnaTypeFcoe, 0x3A10, "00:00:00:00:00:00:00:00", "00-11-22-33-44-55", "KC30", "4.1.0.0",
       true},
      {kCnaTypeFcoe, 0x6C00, "20:00:00:00:5E:AA:BB:CC", "", "KH16", "1.2.3.4", false},
  };
  for (const IdentityCase& c : cases) {
    Adapter a;
    a.cnaType = c.cnaType;
    a.pciID = c.pciID;
    a.wwn.set(c.wwn);
    a.mac.set(c.mac);
    a.model.set(c.model);
    a.fwVersion.set(c.fwVersion);
    EXPECT_EQ(hasInvalidIdentity(a), c.invalid) << c.wwn << " " << c.mac << " " << c.model;
  }
}

// One rule names every port, for the tool and for the reports.
TEST(PortNaming, FcAndFcoeByWwnNicAndIscsiByMac) {
  constexpr char kWwn[] = "10:00:00:00:5E:AA:BB:CC";
  constexpr char kMac[] = "00-11-22-33-44-55";
  const struct {
    int32_t cnaType;
    uint32_t pciID;
    PortNaming naming;
    const char* address;
  } cases[] = {
      {kCnaTypeFc, 0x7D00, PortNaming::wwn, kWwn},
      {kCnaTypeFcoe, 0x3A00, PortNaming::wwn, kWwn},
      {kCnaTypeNic, 0x3A00, PortNaming::mac, kMac},
      {kCnaTypeIscsi, 0x3A10, PortNaming::mac, kMac},
      // The Halvard adapter is an FC adapter, named by WWN whatever its type says.
      {kCnaTypeFc, 0x6C00, PortNaming::wwn, kWwn},
      {kCnaTypeNic, 0x6C00, PortNaming::wwn, kWwn},
      // A port of no known type has no name; the tool is given its WWN.
      {1, 0x7D00, PortNaming::none, kWwn},
      {16, 0x3A00, PortNaming::none, kWwn},
  };
  for (const auto& c : cases) {
    Adapter a;
    a.cnaType = c.cnaType;
    a.pciID = c.pciID;
    a.wwn.set(kWwn);
    a.mac.set(kMac);
    EXPECT_EQ(portNaming(a), c.naming) << c.cnaType << " " << std::hex << c.pciID;
    EXPECT_STREQ(adapterAddress(a), c.address) << c.cnaType << " " << std::hex << c.pciID;
  }
}

TEST(AdapterPredicates, DeviceIdsSelectTheFamilies) {
  Adapter a;
  const uint32_t kx2[] = {0x3A00, 0x3A02, 0x3A04};
  const uint32_t kx3[] = {0x3A10, 0x3A12, 0x3A14};
  for (uint32_t id : kx2) {
    a.pciID = id;
    EXPECT_TRUE(isKX2Adapter(a));
    EXPECT_FALSE(isKX3Adapter(a));
  }
  for (uint32_t id : kx3) {
    a.pciID = id;
    EXPECT_TRUE(isKX3Adapter(a));
    EXPECT_FALSE(isKX2Adapter(a));
  }
  a.pciID = 0x6C00;
  a.cnaType = kCnaTypeFc;
  EXPECT_TRUE(isHalvardFcAdapter(a));
  EXPECT_TRUE(isConvergedFamily(a));
  EXPECT_TRUE(isFcAdapter(a));
  a.pciID = 0x7D00;
  EXPECT_FALSE(isConvergedFamily(a));
  a.cnaType = kCnaTypeNic;
  EXPECT_TRUE(isConvergedFunction(a));
}

}  // namespace
}  // namespace vornup

namespace vornup {
namespace {

// Functions of one physical adapter share its serial number (in any letter
// case), its PCI bus and its PCI domain; a differing one of these is another
// adapter.
TEST(SameAdapter, SerialBusAndDomainTogether) {
  struct Case {
    const char* serial;
    uint32_t bus;
    uint32_t domain;
    bool same;
  };
  const Case cases[] = {
      {"KX20512", 3, 0, true},   {"kx20512", 3, 0, true},   {"KX20513", 3, 0, false},
      {"KX2051", 3, 0, false},   {"KX20512", 4, 0, false},  {"KX20512", 3, 1, false},
      {"KX20512 ", 3, 0, false},
  };
  Adapter first;
  first.serialNumber.set("KX20512");
  first.bus = 3;
  first.domain = 0;
  for (const Case& c : cases) {
    Adapter other;
    other.serialNumber.set(c.serial);
    other.bus = c.bus;
    other.domain = c.domain;
    EXPECT_EQ(isSameAdapter(first, other), c.same) << c.serial << " " << c.bus << " " << c.domain;
    EXPECT_EQ(isSameAdapter(other, first), c.same) << c.serial;
  }
  EXPECT_TRUE(isSameAdapter(first, first));
}

}  // namespace
}  // namespace vornup
