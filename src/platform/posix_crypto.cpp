// libcrypto behind the platform's cryptography (platform/crypto.h). The
// library's configuration file is never read: a variable that names
// another one could otherwise load modules into a program run as root.
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/ecdsa.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstring>

#include "platform/crypto.h"

namespace vornup {
namespace {

constexpr char kP256GroupName[] = "prime256v1";

// The algorithms are fetched from the default provider by name, so the
// library's old table of every cipher and digest is not built (it costs a
// run more than all its hashing), and nothing is freed at exit that the
// process's end frees anyway.
constexpr uint64_t kInitialisation = OPENSSL_INIT_NO_LOAD_CONFIG | OPENSSL_INIT_NO_ADD_ALL_CIPHERS |
                                     OPENSSL_INIT_NO_ADD_ALL_DIGESTS | OPENSSL_INIT_NO_ATEXIT;

bool initialised() {
  static const bool done = OPENSSL_init_crypto(kInitialisation, nullptr) == 1;
  return done;
}

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

bool isP256Key(EVP_PKEY* key) {
  char group[64] = {};
  std::size_t length = 0;
  return EVP_PKEY_is_a(key, "EC") == 1 &&
         EVP_PKEY_get_group_name(key, group, sizeof group, &length) == 1 &&
         std::strcmp(group, kP256GroupName) == 0;
}

}  // namespace

struct Sha256::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(new State) {
  state_->context = initialised() ? EVP_MD_CTX_new() : nullptr;
  failed_ = state_->context == nullptr ||
            EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1;
}

Sha256::~Sha256() = default;

bool Sha256::update(const uint8_t* data, std::size_t size) {
  if (!failed_ && size > 0) failed_ = EVP_DigestUpdate(state_->context, data, size) != 1;
  return !failed_;
}

bool Sha256::finish(Sha256Digest& digest) {
  unsigned int length = 0;
  if (failed_ || EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 ||
      length != digest.size()) {
    failed_ = true;
  }
  return !failed_;
}

bool readP256PublicKey(const std::string& pem, std::string& subjectPublicKeyInfo) {
  if (!initialised() || pem.size() > static_cast<std::size_t>(INT32_MAX)) return false;
  BIO* text = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  if (text == nullptr) return false;
  Key key(PEM_read_bio_PUBKEY(text, nullptr, nullptr, nullptr));
  BIO_free(text);
  if (key == nullptr || !isP256Key(key.get())) return false;
  unsigned char* der = nullptr;
  const int length = i2d_PUBKEY(key.get(), &der);
  if (length <= 0) return false;
  subjectPublicKeyInfo.assign(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
  OPENSSL_free(der);
  return true;
}

bool verifyP256Signature(const std::string& subjectPublicKeyInfo, const std::string& message,
                         const EcdsaSignature& signature) {
  if (!initialised()) return false;
  const unsigned char* at = reinterpret_cast<const unsigned char*>(subjectPublicKeyInfo.data());
  Key key(d2i_PUBKEY(nullptr, &at, static_cast<long>(subjectPublicKeyInfo.size())));
  if (key == nullptr || !isP256Key(key.get())) return false;

  // The strictly decoded r and s, encoded once more as the library takes them.
  ECDSA_SIG* parts = ECDSA_SIG_new();
  BIGNUM* r = BN_bin2bn(signature.r.data(), static_cast<int>(signature.r.size()), nullptr);
  BIGNUM* s = BN_bin2bn(signature.s.data(), static_cast<int>(signature.s.size()), nullptr);
  if (parts == nullptr || r == nullptr || s == nullptr || ECDSA_SIG_set0(parts, r, s) != 1) {
    BN_free(r);
    BN_free(s);
    ECDSA_SIG_free(parts);
    return false;
  }
  unsigned char* der = nullptr;
  const int derLength = i2d_ECDSA_SIG(parts, &der);
  ECDSA_SIG_free(parts);
  if (derLength <= 0) return false;

  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const bool valid =
      context != nullptr &&
      EVP_DigestVerifyInit(context, nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
      EVP_DigestVerify(context, der, static_cast<std::size_t>(derLength),
                       reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
  EVP_MD_CTX_free(context);
  OPENSSL_free(der);
  return valid;
}

}  // namespace vornup
