#include "core/versions.h"

#include <cstring>

#include "core/adapter.h"
#include "core/image_node.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"

namespace vornup {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the leading decimal digits of `text`; a field without digits gives 0.
// A number too large for 32 bits stays at the largest value instead of wrapping.
uint32_t leadingNumber(const char* text) {
  uint64_t value = 0;
  for (const char* p = text; isDigit(*p); ++p) {
    value = value * 10 + static_cast<uint64_t>(*p - '0');
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

// Both strings compare as the signed characters of the platform the product
// was first built for, whatever the signedness of `char` here.
int signedValue(char c) { return static_cast<signed char>(c); }

// Compares the decimal numbers spelled by the digit runs [a, a + lengthA) and
// [b, b + lengthB), of any length, without converting them (so a run of junk
// digits cannot overflow): 1, 0 or -1. An empty run is 0.
int compareDigitRuns(const char* a, std::size_t lengthA, const char* b, std::size_t lengthB) {
  while (lengthA > 0 && *a == '0') ++a, --lengthA;
  while (lengthB > 0 && *b == '0') ++b, --lengthB;
  if (lengthA != lengthB) return lengthA > lengthB ? 1 : -1;
  int order = std::strncmp(a, b, lengthA);
  return order > 0 ? 1 : (order < 0 ? -1 : 0);
}

std::size_t digitRunLength(const char* text) {
  std::size_t length = 0;
  while (isDigit(text[length])) ++length;
  return length;
}

// Ranks two different release letters: "B" above every other letter, "A"
// below every other letter, and no order between two other letters.
bool isNewerReleaseLetter(char newLetter, char installedLetter) {
  if (installedLetter == 'B') return false;
  if (installedLetter == 'A') return true;
  return newLetter == 'B';
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

VersionBlock versionBlockOf(const Adapter& adapter) {
  return {adapter.imageFamily, adapter.CNAMajorVer, adapter.CNAMinorVer, adapter.CNAReleaseVer,
          adapter.CNABuildVer};
}

VersionBlock versionBlockOf(const ImageNode& node) {
  return {node.imageFamily, node.CNAMajorVer, node.CNAMinorVer, node.CNAReleaseVer, node.CNABuildVer};
}

int compareConvergedVersions(const VersionBlock& a, const VersionBlock& b) {
  const uint32_t left[] = {static_cast<uint32_t>(a.imageFamily), a.major, a.minor, a.release,
                           a.build};
  const uint32_t right[] = {static_cast<uint32_t>(b.imageFamily), b.major, b.minor, b.release,
                            b.build};
  for (std::size_t i = 0; i < 5; ++i) {
    if (left[i] != right[i]) return left[i] > right[i] ? 1 : -1;
  }
  return 0;
}

void buildFcSortKey(const char* decodedId, FixedText<32>& key) {
  constexpr std::size_t kPrefixLength = 6;  // type code, three digits, release letter
  std::size_t length = std::strlen(decodedId);
  key.assign(decodedId, kPrefixLength);
  for (std::size_t i = length; i < kFcSortKeyLength; ++i) key.appendChar('0');
  if (length > kPrefixLength) key.append(decodedId + kPrefixLength);
}

bool isFcSortKeyAbove(const char* a, const char* b) {
  for (std::size_t i = 0; i < kFcSortKeyLength; ++i) {
    if (signedValue(a[i]) > signedValue(b[i])) return true;
    if (signedValue(a[i]) < signedValue(b[i])) return false;
    if (a[i] == '\0') return false;  // both keys end here: equal
  }
  return false;
}

bool isFcUpdateNeeded(const RunState& run, const char* newVersion, const char* installed) {
  if (isPlaceholderText(installed)) return run.sw.downgrade;
  if (std::strcmp(newVersion, installed) == 0) return run.sw.rewrite || run.sw.downgrade;
  // The strings differ, so when the first characters are equal neither string
  // has ended yet.
  if (signedValue(newVersion[0]) != signedValue(installed[0])) {
    return signedValue(newVersion[0]) > signedValue(installed[0]);
  }
  const char* n = newVersion + 1;
  const char* i = installed + 1;
  std::size_t newDigits = digitRunLength(n);
  std::size_t installedDigits = digitRunLength(i);
  int digits = compareDigitRuns(n, newDigits, i, installedDigits);
  if (digits != 0) return digits > 0;
  n += newDigits;
  i += installedDigits;

  if (*n != *i) return isNewerReleaseLetter(*n, *i);
  if (*n == '\0') return false;  // equal numbers spelled differently: not newer
  ++n;
  ++i;

  // The count: the longer one is newer; of equal length, the larger value.
  std::size_t newLength = std::strlen(n);
  std::size_t installedLength = std::strlen(i);
  if (newLength != installedLength) return newLength > installedLength;
  return compareDigitRuns(n, digitRunLength(n), i, digitRunLength(i)) > 0;
}

bool isConvergedUpdateNeeded(const RunState& run, const ImageNode& node, const Adapter& adapter) {
  if (isFcAdapter(adapter) && !isHalvardFcAdapter(adapter)) return false;
  int order = compareConvergedVersions(versionBlockOf(node), versionBlockOf(adapter));
  if (order > 0) return true;
  return order == 0 && (run.sw.rewrite || run.sw.downgrade);
}

bool isUpdateNeeded(const RunState& run, const Adapter& adapter, const ImageNode& node,
                    const char* installed) {
  if (isConvergedFamily(adapter)) return isConvergedUpdateNeeded(run, node, adapter);
  return isFcUpdateNeeded(run, fcVersionOf(node.decodedId.c_str()), installed);
}

const char* fcVersionOf(const char* decodedId) {
  std::size_t length = std::strlen(decodedId);
  return decodedId + (length < kTypeCodeLength ? length : kTypeCodeLength);
}

}  // namespace vornup
