#include "selection/versions.h"

#include "common/fixed_text.h"

namespace vornup {

namespace {

// Reads the leading decimal digits of `text`; a field without digits gives 0.
// A number too large for 32 bits stays at the largest value instead of wrapping.
uint32_t leadingNumber(const char* text) {
  uint64_t value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + static_cast<uint64_t>(*p - '0');
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace

void parseConvergedVersion(const char* text, uint32_t& major, uint32_t& minor, uint32_t& release,
                           uint32_t& build) {
  uint32_t* const fields[] = {&major, &minor, &release, &build};
  for (uint32_t* field : fields) *field = 0;

  // A version is at most 31 characters; anything beyond is not looked at.
  FixedText<32> work(text);
  const char* p = work.c_str();
  for (uint32_t* field : fields) {
    while (*p == '.') ++p;  // two dots in a row count as one
    if (*p == '\0') break;
    *field = leadingNumber(p);
    while (*p != '\0' && *p != '.') ++p;
  }
  if (major == 3) major = 2;
}

}  // namespace vornup
