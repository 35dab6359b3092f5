#include "platform/der_signature.h"

#include <algorithm>

namespace vornup {
namespace {

constexpr uint8_t kSequenceTag = 0x30;
constexpr uint8_t kIntegerTag = 0x02;
constexpr std::size_t kScalarSize = 32;

// Reads one INTEGER at `der[at]` into `scalar`, right-aligned; moves `at`
// past it. Only the minimal, positive, non-zero encoding of at most 32
// bytes of value is taken.
bool readScalar(const uint8_t* der, std::size_t size, std::size_t& at,
                std::array<uint8_t, kScalarSize>& scalar) {
  if (size - at < 2 || der[at] != kIntegerTag) return false;
  const std::size_t length = der[at + 1];
  at += 2;
  // Short-form lengths only: a P-256 integer needs at most 33 bytes.
  if (length == 0 || length > kScalarSize + 1 || size - at < length) return false;
  const uint8_t* value = der + at;
  std::size_t valueSize = length;
  if ((value[0] & 0x80) != 0) return false;  // negative
  if (value[0] == 0) {
    // A leading zero only where the next byte would read as negative.
    if (length == 1 || (value[1] & 0x80) == 0) return false;
    ++value;
    --valueSize;
  }
  if (valueSize > kScalarSize) return false;
  scalar.fill(0);
  std::copy(value, value + valueSize, scalar.begin() + (kScalarSize - valueSize));
  at += length;
  return std::any_of(scalar.begin(), scalar.end(), [](uint8_t b) { return b != 0; });
}

}  // namespace

bool decodeDerSignature(const uint8_t* der, std::size_t size, EcdsaSignature& signature) {
  if (der == nullptr || size < 2 || size > kMaxDerSignatureSize || der[0] != kSequenceTag) {
    return false;
  }
  // The whole input is the sequence: its short-form length covers the rest.
  if (der[1] != size - 2) return false;
  std::size_t at = 2;
  return readScalar(der, size, at, signature.r) && readScalar(der, size, at, signature.s) &&
         at == size;
}

}  // namespace vornup
