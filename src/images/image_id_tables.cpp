#include "images/image_id_tables.h"

#include <iterator>

namespace vornup {

// clang-format off
const DwcTypeCode kDwcTypeCodes[] = {
    {18, "", ""},
    {41, "OF", "UD"},
    {66, "UD", "UD"},
    {97, "HF", "HF"},
    {99, "HD", "HD"},
    {106, "HF", "HF"},
    {107, "HF", "HF"},
    {108, "HF", "HF"},
    {113, "LF", "LF"},
    {114, "FD", "FD"},
    {115, "UD", "UD"},
    {116, "UH", "UH"},
    {121, "UF", "UF"},
    {122, "UD", "UD"},
    {123, "UD", "UD"},
    {129, "TF", "TF"},
    {131, "TD", "TD"},
    {138, "TD", "TD"},
    {139, "TJ", "TJ"},
    {140, "TD", "TD"},
    {145, "MF", "MF"},
    {162, "BD", "BD"},
    {178, "EM", "EM"},
    {193, "BF", "BF"},
    {195, "BD", "BD"},
    {202, "BI", "BI"},
    {203, "BJ", "BJ"},
    {204, "BE", "BE"},
    {205, "BD", "BD"},
    {209, "JF", "JF"},
    {225, "ZF", "ZF"},
    {227, "ZD", "ZD"},
    {234, "ZF", "ZF"},
    {235, "ZJ", "ZD"},
    {236, "ZE", "ZE"},
    {241, "WF", "WF"},
};
// clang-format on
const std::size_t kDwcTypeCodeCount = std::size(kDwcTypeCodes);

// clang-format off
const PrgLetter kPrgFamilyLetters[] = {
    {3, 'Y'},
    {4, 'D'},
    {5, 'O'},
    {6, 'Q'},
    {8, 'C'},
    {9, 'P'},
    {11, 'A'},
    {12, 'H'},
    {14, 'L'},
    {15, 'U'},
    {16, 'T'},
    {18, 'M'},
    {22, 'E'},
    {24, 'B'},
    {26, 'J'},
    {28, 'Z'},
    {30, 'W'},
};
// clang-format on
const std::size_t kPrgFamilyLetterCount = std::size(kPrgFamilyLetters);

// clang-format off
const PrgLetter kPrgKindLetters[] = {
    {1, 'B'},
    {2, 'O'},
    {3, 'C'},
    {5, 'E'},
    {6, 'P'},
    {7, 'U'},
};
// clang-format on
const std::size_t kPrgKindLetterCount = std::size(kPrgKindLetters);

const uint8_t kPrgUnlistedIds[] = {39, 55, 71};
const std::size_t kPrgUnlistedIdCount = std::size(kPrgUnlistedIds);

namespace {

constexpr char kUnknownTypeCode[] = "Encoded Type = UNKNOWN\n\n";

bool unknownId(Output& out) {
  out.traceOut(kUnknownTypeCode);
  return false;
}

enum class DwcTable { type7, type11 };

bool lookupDwcCode(Output& out, uint32_t imageId, DwcTable table, ImageIdText& result) {
  result.clear();
  for (const DwcTypeCode& entry : kDwcTypeCodes) {
    if (entry.imageId == imageId) {
      result.set(table == DwcTable::type7 ? entry.type7Code : entry.type11Code);
      return true;
    }
  }
  return unknownId(out);
}

char prgLetter(const PrgLetter* table, std::size_t count, uint32_t part) {
  for (std::size_t i = 0; i < count; ++i) {
    if (table[i].part == part) return table[i].letter;
  }
  return '\0';
}

}  // namespace

bool lookupDwcType7Code(Output& out, uint32_t imageId, ImageIdText& result) {
  return lookupDwcCode(out, imageId, DwcTable::type7, result);
}

bool lookupDwcType11Code(Output& out, uint32_t imageId, ImageIdText& result) {
  return lookupDwcCode(out, imageId, DwcTable::type11, result);
}

bool lookupPrgCode(Output& out, uint32_t imageId, ImageIdText& result) {
  result.clear();
  for (uint8_t unlisted : kPrgUnlistedIds) {
    if (imageId == unlisted) return unknownId(out);
  }
  char family = prgLetter(kPrgFamilyLetters, kPrgFamilyLetterCount, imageId / 8);
  char kind = prgLetter(kPrgKindLetters, kPrgKindLetterCount, imageId % 8);
  if (imageId > 0xFF || family == '\0' || kind == '\0') return unknownId(out);
  result.appendChar(family);
  result.appendChar(kind);
  return true;
}

}  // namespace vornup
