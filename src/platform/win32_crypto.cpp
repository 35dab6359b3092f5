// CNG behind the platform's cryptography (platform/crypto.h): bcrypt.dll
// hashes and checks signatures, crypt32.dll reads the PEM key files.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <cstring>
#include <vector>

#include "platform/crypto.h"

namespace vornup {
namespace {

// The named curve P-256 as the key's algorithm parameters hold it (an OID).
constexpr BYTE kP256CurveOid[] = {0x06, 0x08, 0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};
constexpr char kEcPublicKeyOid[] = "1.2.840.10045.2.1";
// An uncompressed point: 0x04, then x and y of 32 bytes each.
constexpr DWORD kPointSize = 65;
constexpr ULONG kCoordinateSize = 32;

bool succeeded(NTSTATUS status) { return status >= 0; }

// The uncompressed P-256 point of a DER SubjectPublicKeyInfo; false when
// `der` is no such key.
bool p256PointOf(const BYTE* der, DWORD size, std::vector<BYTE>& point) {
  CERT_PUBLIC_KEY_INFO* info = nullptr;
  DWORD infoSize = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, der, size,
                           CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &infoSize)) {
    return false;
  }
  const bool isP256 =
      info->Algorithm.pszObjId != nullptr &&
      std::strcmp(info->Algorithm.pszObjId, kEcPublicKeyOid) == 0 &&
      info->Algorithm.Parameters.cbData == sizeof kP256CurveOid &&
      std::memcmp(info->Algorithm.Parameters.pbData, kP256CurveOid, sizeof kP256CurveOid) == 0 &&
      info->PublicKey.cbData == kPointSize && info->PublicKey.cUnusedBits == 0 &&
      info->PublicKey.pbData[0] == 0x04;
  if (isP256) point.assign(info->PublicKey.pbData, info->PublicKey.pbData + kPointSize);
  LocalFree(info);
  return isP256;
}

}  // namespace

struct Sha256::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~State() {
    if (hash != nullptr) BCryptDestroyHash(hash);
    if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};

Sha256::Sha256() : state_(new State) {
  failed_ =
      !succeeded(BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
      !succeeded(BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() = default;

bool Sha256::update(const uint8_t* data, std::size_t size) {
  while (!failed_ && size > 0) {
    const ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
    failed_ = !succeeded(BCryptHashData(state_->hash, const_cast<PUCHAR>(data), piece, 0));
    data += piece;
    size -= piece;
  }
  return !failed_;
}

bool Sha256::finish(Sha256Digest& digest) {
  if (!failed_) {
    failed_ = !succeeded(BCryptFinishHash(state_->hash, digest.data(),
                                          static_cast<ULONG>(digest.size()), 0));
  }
  return !failed_;
}

bool readP256PublicKey(const std::string& pem, std::string& subjectPublicKeyInfo) {
  if (pem.empty() || pem.size() > 0x100000) return false;
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            nullptr, &size, nullptr, nullptr) ||
      size == 0) {
    return false;
  }
  std::vector<BYTE> der(size);
  std::vector<BYTE> point;
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                            der.data(), &size, nullptr, nullptr) ||
      !p256PointOf(der.data(), size, point)) {
    return false;
  }
  subjectPublicKeyInfo.assign(reinterpret_cast<const char*>(der.data()), size);
  return true;
}

bool verifyP256Signature(const std::string& subjectPublicKeyInfo, const std::string& message,
                         const EcdsaSignature& signature) {
  std::vector<BYTE> point;
  if (subjectPublicKeyInfo.size() > 0x10000 ||
      !p256PointOf(reinterpret_cast<const BYTE*>(subjectPublicKeyInfo.data()),
                   static_cast<DWORD>(subjectPublicKeyInfo.size()), point)) {
    return false;
  }
  Sha256Digest digest;
  if (!sha256Of(message, digest)) return false;

  // The key blob: its header, then x and y.
  std::vector<BYTE> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 2 * kCoordinateSize);
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinateSize};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, point.data() + 1, 2 * kCoordinateSize);
  BYTE rs[2 * kCoordinateSize];
  std::memcpy(rs, signature.r.data(), kCoordinateSize);
  std::memcpy(rs + kCoordinateSize, signature.s.data(), kCoordinateSize);

  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_KEY_HANDLE key = nullptr;
  bool valid = false;
  if (succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0)) &&
      succeeded(BCryptImportKeyPair(algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                    static_cast<ULONG>(blob.size()), 0))) {
    valid = BCryptVerifySignature(key, nullptr, digest.data(), static_cast<ULONG>(digest.size()),
                                  rs, sizeof rs, 0) == 0;
  }
  if (key != nullptr) BCryptDestroyKey(key);
  if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
  return valid;
}

}  // namespace vornup
