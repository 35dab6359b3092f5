// The model table against the image identifier tables: every type code an
// adapter row carries is one that images carry.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "core/model_table.h"
#include "images/image_id_tables.h"
#include "support/device_ids.h"

namespace vornup {
namespace {

// The type codes that firmware images of ALL files can carry.
std::set<std::string> dwcTypeCodes() {
  std::set<std::string> codes;
  Output quiet;
  for (uint32_t id = 0; id < 256; ++id) {
    ImageIdText text;
    if (lookupDwcType7Code(quiet, id, text)) codes.insert(text.c_str());
    if (lookupDwcType11Code(quiet, id, text)) codes.insert(text.c_str());
  }
  codes.erase("");
  return codes;
}

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

TEST(ModelTable, FibreChannelRowsFitFwmatrixAndRealImages) {
  const std::set<std::string> imageCodes = dwcTypeCodes();
  ASSERT_FALSE(imageCodes.empty());
  for (const ModelRule& rule : kModelRules) {
    const ModelRow& row = kModelRows[rule.row];
    std::string code = row.typeCode;
    if (isConvergedOrHalvardDevice(rule.deviceId)) {
      ASSERT_EQ(code.size(), 1u) << row.model;
      EXPECT_TRUE(isCapital(code[0])) << row.model;
      continue;
    }
    EXPECT_EQ(std::strpbrk(row.model, "- "), nullptr) << row.model;
    EXPECT_EQ(imageCodes.count(code), 1u) << row.model << " " << code;
  }
}

}  // namespace
}  // namespace vornup
