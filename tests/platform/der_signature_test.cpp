// The DER signature decoder takes exactly the strict encoding of two P-256
// scalars and refuses every other byte string.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/der_signature.h"

namespace vornup {
namespace {

using Bytes = std::vector<uint8_t>;

// A tag, a one-byte length and the concatenated parts. Sized once and
// copied into, which keeps gcc 12's bounds warning on inserts quiet.
Bytes element(uint8_t tag, std::size_t length, const std::vector<const Bytes*>& parts) {
  std::size_t size = 2;
  for (const Bytes* part : parts) size += part->size();
  Bytes out(size);
  out[0] = tag;
  out[1] = static_cast<uint8_t>(length);
  auto at = out.begin() + 2;
  for (const Bytes* part : parts) at = std::copy(part->begin(), part->end(), at);
  return out;
}

Bytes integer(const Bytes& value) { return element(0x02, value.size(), {&value}); }

Bytes sequence(const Bytes& first, const Bytes& second, const Bytes& tail = {}) {
  return element(0x30, first.size() + second.size(), {&first, &second, &tail});
}

Bytes scalar(uint8_t first, std::size_t size = 32) {
  Bytes value(size, 0x11);
  value[0] = first;
  return value;
}

TEST(DerSignature, TakesOnlyTheStrictEncoding) {
  Bytes padded = scalar(0x80, 33);
  padded[0] = 0x00;
  padded[1] = 0x80;
  struct Case {
    const char* label;
    Bytes der;
    bool accepted;
  };
  const Case cases[] = {
      {"two full scalars", sequence(integer(scalar(0x7F)), integer(scalar(0x01))), true},
      {"a high bit behind a zero byte", sequence(integer(padded), integer(scalar(0x01))), true},
      {"a short scalar", sequence(integer({0x05}), integer(scalar(0x01))), true},
      {"a trailing byte", sequence(integer(scalar(0x7F)), integer(scalar(0x01)), {0x00}), false},
      {"an oversized integer", sequence(integer(scalar(0x01, 33)), integer(scalar(0x01))), false},
      {"a negative integer", sequence(integer(scalar(0x80)), integer(scalar(0x01))), false},
      {"a needless zero byte", sequence(integer({0x00, 0x05}), integer(scalar(0x01))), false},
      {"a zero scalar", sequence(integer({0x00}), integer(scalar(0x01))), false},
      {"an empty integer", sequence(integer({}), integer(scalar(0x01))), false},
      {"one integer", sequence(integer(scalar(0x01)), {}), false},
      {"a wrong tag", sequence({0x04, 0x01, 0x05}, integer(scalar(0x01))), false},
      {"nothing", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EcdsaSignature signature;
    EXPECT_EQ(decodeDerSignature(c.der.data(), c.der.size(), signature), c.accepted);
  }
  // r and s come out right-aligned.
  EcdsaSignature signature;
  const Bytes der = sequence(integer({0x05}), integer(padded));
  ASSERT_TRUE(decodeDerSignature(der.data(), der.size(), signature));
  EXPECT_EQ(signature.r[31], 0x05);
  EXPECT_EQ(signature.r[30], 0x00);
  EXPECT_EQ(signature.s[0], 0x80);
  // A cut-off input is never read past its end.
  for (std::size_t size = 0; size < der.size(); ++size) {
    Bytes cut(der.begin(), der.begin() + static_cast<long>(size));
    EXPECT_FALSE(decodeDerSignature(cut.data(), cut.size(), signature)) << size;
  }
}

}  // namespace
}  // namespace vornup
