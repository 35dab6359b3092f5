#include "tool/boot_code_type.h"

#include <cstring>

#include "core/model_table.h"
#include "tool/command_safety.h"
#include "tool/label_reader.h"
#include "tool/port_reads.h"

namespace vornup {

// clang-format off
constexpr BootCodeType kBootCodeTypes[kBootCodeTypeCount] = {
    {0x01, "FB"},
    {0x11, "SB"},
    {0x12, "SO"},
    {0x13, "SC"},
    {0x14, "SR"},
    {0x15, "SE"},
    {0x16, "SP"},
    {0x19, "YB"},
    {0x1A, "YO"},
    {0x1B, "YC"},
    {0x1C, "YL"},
    {0x1D, "YE"},
    {0x1E, "YP"},
    {0x1F, "YU"},
    {0x21, "DB"},
    {0x22, "DO"},
    {0x23, "DC"},
    {0x24, "DR"},
    {0x25, "DE"},
    {0x26, "DP"},
    {0x29, "OB"},
    {0x2A, "OO"},
    {0x2B, "OC"},
    {0x2C, "OL"},
    {0x2D, "OE"},
    {0x2E, "OP"},
    {0x2F, "YU"},
    {0x31, "QB"},
    {0x32, "QO"},
    {0x33, "QC"},
    {0x35, "QE"},
    {0x36, "QP"},
    {0x41, "CB"},
    {0x42, "CO"},
    {0x43, "CC"},
    {0x44, "CR"},
    {0x45, "CE"},
    {0x46, "CP"},
    {0x49, "PB"},
    {0x4A, "PO"},
    {0x4B, "PC"},
    {0x4C, "PL"},
    {0x4D, "PE"},
    {0x4E, "PP"},
    {0x4F, "PU"},
    {0x51, "RB"},
    {0x52, "RO"},
    {0x53, "RC"},
    {0x55, "RE"},
    {0x56, "RP"},
    {0x59, "AB"},
    {0x5A, "AO"},
    {0x5F, "AU"},
    {0x61, "HB"},
    {0x62, "HO"},
    {0x63, "HC"},
    {0x64, "HR"},
    {0x65, "HE"},
    {0x66, "HP"},
    {0x67, "HU"},
    {0x71, "LB"},
    {0x72, "LO"},
    {0x73, "LC"},
    {0x75, "LE"},
    {0x76, "LP"},
    {0x77, "LU"},
    {0x79, "UB"},
    {0x7A, "UO"},
    {0x7B, "UC"},
    {0x7C, "UL"},
    {0x7D, "UE"},
    {0x7E, "UP"},
    {0x7F, "UU"},
    {0x80, "PB"},
    {0x81, "TB"},
    {0x82, "TO"},
    {0x83, "TC"},
    {0x85, "TE"},
    {0x86, "TP"},
    {0x87, "TU"},
    {0x91, "MB"},
    {0x92, "MO"},
    {0x93, "MC"},
    {0x95, "ME"},
    {0x96, "MP"},
    {0x97, "MU"},
    {0xA1, "VB"},
    {0xA2, "VO"},
    {0xA3, "VC"},
    {0xA5, "VE"},
    {0xA6, "VP"},
    {0xA7, "VU"},
    {0xA9, "IB"},
    {0xAA, "IO"},
    {0xAB, "IC"},
    {0xAC, "IL"},
    {0xAD, "IE"},
    {0xAE, "IP"},
    {0xAF, "IU"},
    {0xB1, "EB"},
    {0xB2, "EO"},
    {0xB3, "EC"},
    {0xB5, "EE"},
    {0xB6, "EP"},
    {0xB7, "EU"},
    {0xC1, "BB"},
    {0xC2, "BO"},
    {0xC3, "BC"},
    {0xC5, "BE"},
    {0xC6, "BP"},
    {0xC7, "BU"},
    {0xD1, "JB"},
    {0xD2, "JO"},
    {0xD3, "JC"},
    {0xD5, "JE"},
    {0xD6, "JP"},
    {0xD7, "JU"},
    {0xE1, "ZB"},
    {0xE2, "ZO"},
    {0xE3, "ZC"},
    {0xE5, "ZE"},
    {0xE6, "ZP"},
    {0xE7, "ZU"},
    {0xF1, "WB"},
    {0xF2, "WO"},
    {0xF3, "WC"},
    {0xF5, "WE"},
    {0xF6, "WP"},
    {0xF7, "WU"},
};
// The count is written by hand in the header: a table shorter than it would
// end in codes of zeros.
static_assert(kBootCodeTypes[kBootCodeTypeCount - 1].code != 0, "kBootCodeTypeCount exceeds the table");
// clang-format on

namespace {

constexpr char kWakeupCommand[] = "wakeup %s";
constexpr char kBootCodeLabel[] = "Boot Code";
constexpr char kNoBootCodeValue[] = "00000";
constexpr char kInvalidType[] = "XX";
// The code's two digits are the value's fourth and fifth characters.
constexpr std::size_t kCodeOffset = 3;
constexpr std::size_t kCodeDigits = 2;

bool isValueEnd(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The "Boot Code" value of a wakeup output: the token after the colon and
// any blanks or tabs, without its first character.
void extractWakeupValue(const char* output, FixedText<32>& value) {
  const char* label = std::strstr(output, kBootCodeLabel);
  if (label == nullptr) {
    value.set(kNoBootCodeValue);
    return;
  }
  value.clear();
  const char* colon = std::strchr(label, ':');
  if (colon == nullptr) return;
  const char* token = colon + 1;
  while (*token == ' ' || *token == '\t') ++token;
  if (!isValueEnd(*token)) ++token;
  std::size_t length = 0;
  while (!isValueEnd(token[length])) ++length;
  value.assign(token, length);
}

}  // namespace

const char* bootCodeTypeOf(uint32_t code) {
  for (const BootCodeType& entry : kBootCodeTypes) {
    if (entry.code == code) return entry.type;
  }
  return kInvalidType;
}

void readBootCodeType(RunState& run, Adapter& a) {
  readPort(run, a, kWakeupCommand, a.wwn.c_str());
  FixedText<32> value;
  extractWakeupValue(run.toolOutput.c_str(), value);
  decodeBootCodeType(value.c_str(), a);
}

void decodeBootCodeType(const char* value, Adapter& a) {
  uint32_t code = 0;
  std::size_t length = std::strlen(value);
  for (std::size_t i = kCodeOffset; i < kCodeOffset + kCodeDigits && i < length; ++i) {
    int digit = hexDigitValue(value[i]);
    if (digit < 0) break;
    code = code * 16 + static_cast<uint32_t>(digit);
  }
  a.bootCodeType.set(bootCodeTypeOf(code));
  for (uint32_t flags : kFamilyFFlags) {
    if (a.flags == flags) a.bootCodeType.replaceAt(0, 'F');
  }
}

}  // namespace vornup
