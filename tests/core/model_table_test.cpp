// Self-checks over the product data: the model table with the image family
// of each device ID, the Cindral blade list and the known-model table of
// fwmatrix.txt.
#include "core/model_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "core/adapter.h"
#include "core/text_compare.h"
#include "support/captured_run.h"
#include "support/device_ids.h"

namespace vornup {
namespace {

TEST(ModelTable, RowsAreFilledAndDistinct) {
  std::set<std::pair<std::string, std::string>> seen;
  for (std::size_t i = 0; i < kModelRowCount; ++i) {
    // A row the initializer lacks would be zero: no model, no type code.
    ASSERT_NE(kModelRows[i].model, nullptr) << "row " << i;
    ASSERT_NE(kModelRows[i].typeCode, nullptr) << kModelRows[i].model;
    EXPECT_GT(std::strlen(kModelRows[i].typeCode), 0u) << kModelRows[i].model;
    EXPECT_TRUE(seen.insert({kModelRows[i].model, kModelRows[i].typeCode}).second)
        << kModelRows[i].model;
    EXPECT_LE(std::strlen(kModelRows[i].model), 31u);
  }
  EXPECT_EQ(kModelRowCount, 41u);
  EXPECT_STREQ(kUnknownModelRow.model, "UNKNOWN_MODEL");
  EXPECT_STREQ(kUnknownModelRow.typeCode, "XX");
  EXPECT_EQ(kUnknownModelRow.family, ImageFamily::none);
}

TEST(ModelTable, EveryDeviceEndsItsRulesWithOneOtherwise) {
  std::map<uint32_t, std::size_t> lastLine;
  std::set<uint32_t> closed;
  std::set<int> usedRows;
  for (std::size_t i = 0; i < kModelRuleCount; ++i) {
    const ModelRule& rule = kModelRules[i];
    EXPECT_EQ(closed.count(rule.deviceId), 0u) << std::hex << rule.deviceId << " line " << i;
    if (rule.test == ModelTest::otherwise) closed.insert(rule.deviceId);
    usedRows.insert(rule.row);
    lastLine[rule.deviceId] = i;
  }
  EXPECT_EQ(lastLine.size(), 30u);
  EXPECT_EQ(closed.size(), 30u);
  EXPECT_EQ(usedRows.size(), static_cast<std::size_t>(kModelRowCount));
}

TEST(ModelTable, FamiliesKeepTheirDeviceIds) {
  for (const ModelRule& rule : kModelRules) {
    std::string model = kModelRows[rule.row].model;
    bool converged = rule.deviceId >= 0x3A00 && rule.deviceId <= 0x3A14;
    EXPECT_EQ(model.rfind("KC", 0) == 0, converged) << model;
    EXPECT_EQ(model.rfind("KH", 0) == 0, rule.deviceId == 0x6C00) << model;
    if (converged) {
      EXPECT_STREQ(kModelRows[rule.row].model, rule.deviceId < 0x3A10 ? "KC2100" : "KC3200");
    }
  }
}

// The family of each model row, told by its name apart from the family column.
ImageFamily familyByModelName(const std::string& model) {
  if (model == "KC2100") return ImageFamily::kx2;
  if (model == "KC3200") return ImageFamily::kx3;
  if (model.rfind("KH", 0) == 0) return ImageFamily::halvard;
  if (model.rfind("KF", 0) == 0) return ImageFamily::fc;
  return ImageFamily::none;
}

TEST(ModelTable, EveryRuleChoosesARowOfItsDeviceFamily) {
  for (const ModelRule& rule : kModelRules) {
    const ModelRow& row = kModelRows[rule.row];
    EXPECT_EQ(row.family, familyByModelName(row.model)) << row.model;
    EXPECT_EQ(familyOfDeviceId(rule.deviceId), row.family) << std::hex << rule.deviceId;
  }
}

// The device IDs each adapter predicate named one by one before the table
// told the families.
// clang-format off
const struct {
  uint32_t deviceId;
  ImageFamily family;
} kFamilyDeviceIds[] = {
    {0x3A00, ImageFamily::kx2},
    {0x3A02, ImageFamily::kx2},
    {0x3A04, ImageFamily::kx2},
    {0x3A10, ImageFamily::kx3},
    {0x3A12, ImageFamily::kx3},
    {0x3A14, ImageFamily::kx3},
    {0x6C00, ImageFamily::halvard},
};
// clang-format on

ImageFamily listedFamily(uint32_t deviceId) {
  for (const auto& listed : kFamilyDeviceIds) {
    if (listed.deviceId == deviceId) return listed.family;
  }
  return ImageFamily::none;
}

TEST(ModelTable, TheAdapterPredicatesKeepTheirDeviceIds) {
  for (const auto& listed : kFamilyDeviceIds) {
    EXPECT_EQ(familyOfDeviceId(listed.deviceId), listed.family) << std::hex << listed.deviceId;
  }
  // Every 16-bit device ID, the listed ones and all others.
  for (uint32_t id = 0; id <= 0xFFFF; ++id) {
    Adapter a;
    a.pciID = id;
    const ImageFamily expected = listedFamily(id);
    ASSERT_EQ(isKX2Adapter(a), expected == ImageFamily::kx2) << std::hex << id;
    ASSERT_EQ(isKX3Adapter(a), expected == ImageFamily::kx3) << std::hex << id;
    ASSERT_EQ(isHalvardFcAdapter(a), expected == ImageFamily::halvard) << std::hex << id;
  }
  for (uint32_t id : {0x10000u, 0x13A00u, 0xFFFFFFFFu}) {
    EXPECT_EQ(familyOfDeviceId(id), ImageFamily::none) << std::hex << id;
  }
}

TEST(CindralBladeList, HoldsFifteenDistinctSubsystems) {
  std::set<std::pair<uint32_t, uint32_t>> pairs;
  for (const SubsystemPair& blade : kCindralBladeSubsystems) {
    pairs.insert({blade.vendor, blade.device});
  }
  EXPECT_EQ(pairs.size(), 15u);
}

TEST(KnownModels, FibreChannelRowsMatchTheModelTable) {
  std::map<std::string, std::set<std::string>> codesByName;
  for (const ModelRule& rule : kModelRules) {
    if (isConvergedOrHalvardDevice(rule.deviceId)) continue;
    codesByName[kModelRows[rule.row].model].insert(kModelRows[rule.row].typeCode);
  }
  EXPECT_EQ(codesByName.size(), 32u);
  for (std::size_t i = 0; i < 32; ++i) {
    const KnownModel& known = kKnownModels[i];
    auto found = codesByName.find(known.type);
    ASSERT_NE(found, codesByName.end()) << known.type;
    EXPECT_EQ(found->second.count(known.typeCode), 1u) << known.type;
    codesByName.erase(found);
  }
  EXPECT_TRUE(codesByName.empty());
}

TEST(KnownModels, ConvergedAndHalvardRowsComeLastWithoutCode) {
  const char* expected[] = {"KC2100-FCoE",  "KC2100-iSCSI", "KC2100-NIC", "KC3200-FCoE",
                            "KC3200-iSCSI", "KC3200-NIC",   "KH3201",     "KH3202"};
  ASSERT_EQ(kKnownModelCount, 40u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_STREQ(kKnownModels[32 + i].type, expected[i]);
    EXPECT_STREQ(kKnownModels[32 + i].typeCode, "");
  }
  for (std::size_t i = 0; i < kKnownModelCount; ++i) {
    EXPECT_LE(std::strlen(kKnownModels[i].type), 31u);
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_FALSE(equalsIgnoringCase(kKnownModels[i].type, kKnownModels[j].type));
    }
  }
}

TEST(KnownModels, LookupIgnoresCaseAndWantsTheWholeType) {
  EXPECT_TRUE(isKnownFwmatrixModel("KF1602"));
  EXPECT_TRUE(isKnownFwmatrixModel("kf1602cb"));
  EXPECT_TRUE(isKnownFwmatrixModel("kc2100-fcoe"));
  EXPECT_TRUE(isKnownFwmatrixModel("KH3202"));
  EXPECT_FALSE(isKnownFwmatrixModel("KC2100"));
  EXPECT_FALSE(isKnownFwmatrixModel("KF160"));
  EXPECT_FALSE(isKnownFwmatrixModel("UNKNOWN_MODEL"));
  EXPECT_FALSE(isKnownFwmatrixModel(""));
}

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

// The condition column of docs/models.md for one rule line.
std::string conditionText(const ModelRule& rule, bool onlyRule) {
  switch (rule.test) {
    case ModelTest::subsystem:
      return "subsystem vendor " + hex(rule.first) + ", subsystem device " + hex(rule.second);
    case ModelTest::subsystemDevice:
      return "subsystem device " + hex(rule.second) + " (any subsystem vendor)";
    case ModelTest::cindralBlade:
      return "Cindral blade (list below)";
    case ModelTest::flags:
      return "flags " + hex(rule.first);
    case ModelTest::multiFunction:
      return "multi-function device (PCI header type 80)";
    case ModelTest::otherwise:
      return onlyRule ? "always" : "otherwise";
  }
  return "";
}

TEST(ModelDocumentation, ListsEveryRuleBladeAndKnownModel) {
  std::string doc = ScratchDirectory::readFile(std::string(VORNUP_SOURCE_DIR) + "/docs/models.md");
  ASSERT_FALSE(doc.empty());
  std::map<uint32_t, int> rulesPerDevice;
  for (const ModelRule& rule : kModelRules) ++rulesPerDevice[rule.deviceId];
  std::size_t at = 0;
  for (const ModelRule& rule : kModelRules) {
    const ModelRow& row = kModelRows[rule.row];
    std::string line = "| " + hex(rule.deviceId) + " | " +
                       conditionText(rule, rulesPerDevice[rule.deviceId] == 1) + " | " + row.model +
                       " | " + row.typeCode + " |\n";
    std::size_t found = doc.find(line, at);
    EXPECT_NE(found, std::string::npos) << line;
    if (found != std::string::npos) at = found;
  }
  for (const SubsystemPair& blade : kCindralBladeSubsystems) {
    std::string line = "| " + hex(blade.vendor) + " | " + hex(blade.device) + " |\n";
    EXPECT_NE(doc.find(line), std::string::npos) << line;
  }
  for (const KnownModel& known : kKnownModels) {
    std::string line = std::string("| ") + known.type + " | " + known.typeCode + " |\n";
    EXPECT_NE(doc.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace vornup
