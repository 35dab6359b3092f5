// Hashes and signature checks from the operating system's own cryptography:
// libcrypto on POSIX hosts, CNG (bcrypt.dll, crypt32.dll for the key files)
// on Windows. Nothing here is computed by the program itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/der_signature.h"

namespace vornup {

using Sha256Digest = std::array<uint8_t, 32>;

// SHA-256 over data given in pieces.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // False once the system's hash failed; the digest is then unusable.
  bool update(const uint8_t* data, std::size_t size);
  bool finish(Sha256Digest& digest);

  struct State;

 private:
  std::unique_ptr<State> state_;
  bool failed_ = false;
};

// SHA-256 of `bytes`; false when the system's hash failed.
bool sha256Of(const std::string& bytes, Sha256Digest& digest);

// SHA-256 of the regular file at `path`, read without blocking on a FIFO or
// device; false when it cannot be opened or read.
bool sha256OfFile(const char* path, Sha256Digest& digest);

// Lowercase hexadecimal text of a digest.
std::string hexDigest(const Sha256Digest& digest);

// Reads a PEM public key ("-----BEGIN PUBLIC KEY-----", as `openssl ec
// -pubout` writes it) into its DER SubjectPublicKeyInfo. False unless it is
// an elliptic-curve key on P-256.
bool readP256PublicKey(const std::string& pem, std::string& subjectPublicKeyInfo);

// Whether `signature` is a valid ECDSA P-256 / SHA-256 signature of
// `message` by the key `subjectPublicKeyInfo` (from readP256PublicKey).
bool verifyP256Signature(const std::string& subjectPublicKeyInfo, const std::string& message,
                         const EcdsaSignature& signature);

}  // namespace vornup
