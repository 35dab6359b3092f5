#include <gtest/gtest.h>

#include <string>

#include "support/captured_run.h"
#include "tool/attributes.h"
#include "tool/port_suffixes.h"

namespace vornup {
namespace {

struct Port {
  int32_t cnaType;
  const char* serial;
  uint32_t bus;
  const char* model;
};

void addPorts(RunState& run, std::initializer_list<Port> ports) {
  for (const Port& port : ports) {
    Adapter* a = newAdapterRecord(run);
    a->cnaType = port.cnaType;
    a->personality = port.cnaType;
    a->serialNumber.set(port.serial);
    a->bus = port.bus;
    a->model.set(port.model);
    a->vornupType.set(port.model);
  }
}

// One text field of every record, each followed by '|'.
std::string column(const RunState& run, FixedText<32> Adapter::*field) {
  std::string all;
  for (const auto& a : run.adapterList) all += std::string(((*a).*field).c_str()) + "|";
  return all;
}

std::string models(const RunState& run) { return column(run, &Adapter::model); }
std::string keys(const RunState& run) { return column(run, &Adapter::vornupType); }

TEST(SettleNicPersonalities, NicTakesThePersonalityOfItsSiblings) {
  CapturedRun captured;
  RunState& run = captured.run;
  addPorts(run, {
                    {kCnaTypeNic, "KC2100B0007", 0x21, "KC2100"},
                    {kCnaTypeFcoe, "kc2100b0007", 0x21, "KC2100"},
                    {kCnaTypeNic, "KC3200C0001", 0x31, "KC3200"},
                    {kCnaTypeIscsi, "KC3200C0001", 0x31, "KC3200"},
                    {kCnaTypeNic, "KC3200C0002", 0x41, "KC3200"},
                    {kCnaTypeNic, "KC2100B0007", 0x22, "KC2100"},
                    {kCnaTypeFc, "KF1602A0001", 0x0B, "KF1602"},
                });
  settleNicPersonalities(run);
  applyPortSuffixes(run);
  EXPECT_EQ(models(run),
            "KC2100-FCoE|KC2100-FCoE|KC3200-iSCSI|KC3200-iSCSI|KC3200-NIC|KC2100-NIC|KF1602|");
  EXPECT_EQ(keys(run), models(run));
  EXPECT_EQ(run.adapterList[0]->personality, kCnaTypeFcoe);
  EXPECT_EQ(run.adapterList[0]->cnaType, kCnaTypeNic);
  EXPECT_EQ(run.adapterList[2]->personality, kCnaTypeIscsi);
  EXPECT_EQ(run.adapterList[5]->personality, kCnaTypeNic);
}

// The personality of the only NIC function after settling, for functions of
// one adapter in the order given.
int32_t settledNicPersonality(std::initializer_list<int32_t> functions) {
  CapturedRun captured;
  for (int32_t cnaType : functions) addPorts(captured.run, {{cnaType, "S", 1, "KC3200"}});
  settleNicPersonalities(captured.run);
  for (const auto& a : captured.run.adapterList) {
    if (isNicFunction(*a)) return a->personality;
  }
  return -1;
}

TEST(SettleNicPersonalities, LastSiblingInListOrderDecides) {
  EXPECT_EQ(settledNicPersonality({kCnaTypeNic, kCnaTypeIscsi, kCnaTypeFcoe}), kCnaTypeFcoe);
  EXPECT_EQ(settledNicPersonality({kCnaTypeFcoe, kCnaTypeNic, kCnaTypeIscsi}), kCnaTypeIscsi);
  EXPECT_EQ(settledNicPersonality({kCnaTypeNic, kCnaTypeNic}), kCnaTypeNic);
}

TEST(ApplyPortSuffixes, FibreChannelKeysEndAtTheFirstSeparator) {
  const struct {
    const char* model;
    const char* key;
  } cases[] = {
      {"KF1602", "KF1602"},   {"KF16 02", "KF16"},      {"KF16-02", "KF16"},
      {"KF16\t02", "KF16"},   {"KF16\x7F" "02", "KF16"}, {"KF16\xC3\xA9", "KF16"},
      {"-KF1602", ""},        {"UNKNOWN_MODEL", "UNKNOWN_MODEL"},
  };
  for (const auto& c : cases) {
    CapturedRun captured;
    addPorts(captured.run, {{kCnaTypeFc, "S", 1, c.model}});
    applyPortSuffixes(captured.run);
    EXPECT_STREQ(captured.run.adapterList[0]->vornupType.c_str(), c.key) << c.model;
    EXPECT_STREQ(captured.run.adapterList[0]->model.c_str(), c.model);
  }
}

TEST(ApplyPortSuffixes, HalvardAndUnsettledPersonalitiesGetNoSuffix) {
  CapturedRun captured;
  addPorts(captured.run, {{kCnaTypeFc, "H", 1, "KH3201"}, {kCnaTypeFcoe, "U", 2, "UNKNOWN_MODEL"}});
  captured.run.adapterList[1]->personality = 3;
  applyPortSuffixes(captured.run);
  EXPECT_EQ(models(captured.run), "KH3201|UNKNOWN_MODEL|");
}

TEST(ApplyPortSuffixes, LongModelNamesAreCutToTheirField) {
  CapturedRun captured;
  addPorts(captured.run, {{kCnaTypeIscsi, "S", 1, "KC3200KC3200KC3200KC3200KC32"}});
  applyPortSuffixes(captured.run);
  EXPECT_STREQ(captured.run.adapterList[0]->model.c_str(), "KC3200KC3200KC3200KC3200KC32-iS");
}

}  // namespace
}  // namespace vornup
