// The DER signature decoder: any bytes are refused or give r and s that
// encode back to exactly the input; never a read past the input.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/der_signature.h"

namespace {

// The strict DER encoding of one 32-byte big-endian scalar.
void encodeScalar(const std::array<uint8_t, 32>& scalar, std::vector<uint8_t>& out) {
  std::size_t first = 0;
  while (first < scalar.size() - 1 && scalar[first] == 0) ++first;
  const bool pad = (scalar[first] & 0x80) != 0;
  out.push_back(0x02);
  out.push_back(static_cast<uint8_t>(scalar.size() - first + (pad ? 1 : 0)));
  if (pad) out.push_back(0);
  out.insert(out.end(), scalar.begin() + static_cast<long>(first), scalar.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that a read past it is seen.
  std::vector<uint8_t> input(data, data + size);
  vornup::EcdsaSignature signature;
  if (!vornup::decodeDerSignature(input.data(), input.size(), signature)) return 0;
  std::vector<uint8_t> body;
  encodeScalar(signature.r, body);
  encodeScalar(signature.s, body);
  std::vector<uint8_t> again = {0x30, static_cast<uint8_t>(body.size())};
  again.insert(again.end(), body.begin(), body.end());
  if (again != input) std::abort();
  return 0;
}
