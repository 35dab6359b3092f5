// The parts of platform/crypto.h that every host shares: whole texts and
// files through the host's Sha256, and the digest's text.
#include <algorithm>
#include <memory>

#include "platform/crypto.h"
#include "platform/safe_files.h"

namespace vornup {
namespace {

constexpr std::size_t kDigestChunk = 64 * 1024;

}  // namespace

bool sha256Of(const std::string& bytes, Sha256Digest& digest) {
  Sha256 hash;
  return hash.update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) &&
         hash.finish(digest);
}

bool sha256OfFile(const char* path, Sha256Digest& digest) {
  ReadOnlyFile file;
  uint64_t size = 0;
  if (!file.open(path, size)) return false;
  Sha256 hash;
  // As large as the file, at most one chunk; never cleared, since only what
  // was read is hashed.
  const std::size_t chunkSize =
      static_cast<std::size_t>(std::clamp<uint64_t>(size, 1, kDigestChunk));
  const std::unique_ptr<uint8_t[]> chunk(new uint8_t[chunkSize]);
  uint64_t position = 0;
  for (;;) {
    std::size_t arrived = 0;
    if (!file.readAt(position, chunk.get(), chunkSize, arrived)) return false;
    if (arrived == 0) break;
    if (!hash.update(chunk.get(), arrived)) return false;
    position += arrived;
  }
  return hash.finish(digest);
}

std::string hexDigest(const Sha256Digest& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(digest.size() * 2);
  for (uint8_t byte : digest) {
    text.push_back(kHex[byte >> 4]);
    text.push_back(kHex[byte & 0x0F]);
  }
  return text;
}

}  // namespace vornup
