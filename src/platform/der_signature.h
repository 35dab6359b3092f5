// The DER form of an ECDSA signature (SEQUENCE of two INTEGERs, as OpenSSL
// writes it) taken apart into the fixed-size r and s a P-256 check needs.
// The decoder is strict: one encoding per signature, no trailing bytes,
// no integer longer than the curve's 32 bytes, no negative or zero value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vornup {

// r then s, each 32 bytes big-endian.
struct EcdsaSignature {
  std::array<uint8_t, 32> r{};
  std::array<uint8_t, 32> s{};
};

// The longest DER P-256 signature: 2 + 2 * (2 + 33) bytes.
constexpr std::size_t kMaxDerSignatureSize = 72;

// False when `der` is not exactly one strict DER ECDSA P-256 signature.
bool decodeDerSignature(const uint8_t* der, std::size_t size, EcdsaSignature& signature);

}  // namespace vornup
