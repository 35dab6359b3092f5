#include "download/baseline_load.h"

#include <cstdlib>
#include <ctime>
#include <vector>

#include "core/output.h"
#include "core/text_compare.h"
#include "platform/crypto.h"
#include "platform/host_names.h"
#include "platform/platform.h"
#include "platform/safe_files.h"

namespace vornup {

const char kTrustedKeysFolder[] = "trusted-keys";
const char kBaselineFileName[] = "baseline.json";

namespace {

constexpr char kSignatureSuffix[] = ".sig";
constexpr char kKeySuffix[] = ".pem";
constexpr std::size_t kMaxKeyFileSize = 16 * 1024;
constexpr std::size_t kMaxTrustedKeys = 64;
constexpr char kRecordKey[] = "SOFTWARE\\Korvane\\Vornup";
constexpr char kRecordValue[] = "BaselineVersion";

constexpr char kIgnoredBaseline[] = "%s: warning: baseline %s ignored: %s\n";
constexpr char kIgnoredKey[] = "%s: warning: trusted key %s ignored: not a P-256 public key\n";
constexpr char kRecordNotKept[] =
    "%s: warning: the accepted baseline version could not be recorded at %s\n";

struct TrustedKey {
  std::string subjectPublicKeyInfo;
  std::string id;  // SHA-256 of the DER key, hex
};

const char* boundedReadReason(BoundedRead read) {
  switch (read) {
    case BoundedRead::missing:
      return "not found";
    case BoundedRead::notRegularFile:
      return "not a regular file";
    case BoundedRead::foreignLink:
      return "a link owned by another user";
    case BoundedRead::tooLarge:
      return "too large";
    case BoundedRead::unreadable:
    case BoundedRead::read:
      break;
  }
  return "cannot be read";
}

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
  const std::size_t length = std::char_traits<char>::length(suffix);
  return text.size() > length && equalsIgnoringCase(text.c_str() + text.size() - length, suffix);
}

// The trusted keys; `present` counts the key files, usable or not.
std::vector<TrustedKey> readTrustedKeys(RunState& run, std::size_t& present) {
  std::string folder = std::string(run.binDirectory.c_str()) + kTrustedKeysFolder + kPathSeparator;
  std::vector<std::string> names;
  run.platform.forEachDirectoryEntry(folder, [&](const DirectoryEntry& entry) {
    if (!entry.isDirectory && endsWithIgnoringCase(entry.name, kKeySuffix)) names.push_back(entry.name);
  });
  present = names.size();
  std::vector<TrustedKey> keys;
  for (const std::string& name : names) {
    if (keys.size() == kMaxTrustedKeys) break;
    std::string pem;
    TrustedKey key;
    Sha256Digest id;
    if (readBoundedFile(folder + name, kMaxKeyFileSize, pem) != BoundedRead::read ||
        !readP256PublicKey(pem, key.subjectPublicKeyInfo) || !sha256Of(key.subjectPublicKeyInfo, id)) {
      run.out.errorOut(kIgnoredKey, run.programName, (folder + name).c_str());
      continue;
    }
    key.id = hexDigest(id);
    keys.push_back(key);
  }
  return keys;
}

// Which trusted key signed `text` with the DER signature `der`; sets
// state.refusal when none did.
void checkSignature(BaselineState& state, const std::vector<TrustedKey>& keys,
                    const std::string& text, const std::string& der) {
  EcdsaSignature signature;
  if (!decodeDerSignature(reinterpret_cast<const uint8_t*>(der.data()), der.size(), signature)) {
    state.refusal = ImageRefusal::signatureInvalid;
    return;
  }
  bool named = false;
  for (const TrustedKey& key : keys) {
    named = named || key.id == state.baseline.keyId;
    if (verifyP256Signature(key.subjectPublicKeyInfo, text, signature)) {
      state.keyId = key.id;
      return;
    }
  }
  const bool namesOtherKey = !state.baseline.keyId.empty() && !named;
  state.refusal = namesOtherKey ? ImageRefusal::unknownKey : ImageRefusal::signatureInvalid;
}

// The host's record: "<version> <digest>"; version 0 when there is none.
void readRecord(Platform& platform, int64_t& version, std::string& digest) {
  version = 0;
  digest.clear();
  std::string value;
  if (!platform.readRegistryString(kRecordKey, kRecordValue, value)) return;
  char* end = nullptr;
  const long long number = std::strtoll(value.c_str(), &end, 10);
  if (end == value.c_str() || *end != ' ' || number < 1) return;
  version = number;
  digest = end + 1;
}

// The rollback and expiry rules of a baseline a trusted key signed; raises
// the record of a baseline newer than it in a run that downloads.
void checkFreshness(RunState& run, const std::string& digest) {
  BaselineState& state = run.baseline;
  std::string recordedDigest;
  readRecord(run.platform, state.acceptedVersion, recordedDigest);
  if (std::time(nullptr) >= state.baseline.expires) {
    state.refusal = ImageRefusal::expired;
  } else if (state.baseline.version < state.acceptedVersion) {
    state.refusal = ImageRefusal::olderVersion;
  } else if (state.baseline.version == state.acceptedVersion && recordedDigest != digest) {
    state.refusal = ImageRefusal::versionReused;
  } else if (state.baseline.version > state.acceptedVersion && !run.sw.preview &&
             !run.platform.writeRegistryString(kRecordKey, kRecordValue,
                                               std::to_string(state.baseline.version) + " " + digest)) {
    run.out.errorOut(kRecordNotKept, run.programName,
                     run.platform.registryValueLocation(kRecordKey, kRecordValue).c_str());
  }
}

}  // namespace

BaselineOutcome loadBaseline(RunState& run, std::string& detail) {
  BaselineState& state = run.baseline;
  state = BaselineState();
  std::size_t keyFiles = 0;
  const std::vector<TrustedKey> keys = readTrustedKeys(run, keyFiles);
  state.signedMode = keyFiles > 0;
  const bool named = !run.baselineSwitch.empty();
  state.file = named ? run.baselineSwitch : std::string(run.binDirectory.c_str()) + kBaselineFileName;

  std::string text;
  const BoundedRead read = readBoundedFile(state.file, kMaxBaselineSize, text);
  std::string why;
  BaselineOutcome outcome = BaselineOutcome::ready;
  if (read == BoundedRead::missing) {
    // Unsigned mode without a baseline is the plain run.
    if (!state.signedMode && !named) return BaselineOutcome::ready;
    outcome = BaselineOutcome::missing;
    why = boundedReadReason(read);
  } else if (read != BoundedRead::read) {
    outcome = BaselineOutcome::unreadable;
    why = boundedReadReason(read);
  } else if (!readBaseline(text, state.baseline, why)) {
    outcome = BaselineOutcome::malformed;
  }
  if (outcome != BaselineOutcome::ready) {
    if (state.signedMode) {
      detail = state.file + ": " + why;
      return outcome;
    }
    run.out.errorOut(kIgnoredBaseline, run.programName, state.file.c_str(), why.c_str());
    return BaselineOutcome::ready;
  }
  state.loaded = true;
  if (!state.signedMode) return BaselineOutcome::ready;

  const std::string signatureFile = state.file + kSignatureSuffix;
  std::string signature;
  const BoundedRead signatureRead = readBoundedFile(signatureFile, kMaxSignatureFileSize, signature);
  if (signatureRead == BoundedRead::missing) {
    state.refusal = ImageRefusal::notSigned;
    return BaselineOutcome::ready;
  }
  if (signatureRead != BoundedRead::read) {
    detail = signatureFile + ": " + boundedReadReason(signatureRead);
    return BaselineOutcome::signatureUnreadable;
  }
  checkSignature(state, keys, text, signature);
  Sha256Digest digest;
  if (state.refusal == ImageRefusal::none) {
    if (!sha256Of(text, digest)) {
      state.refusal = ImageRefusal::signatureInvalid;
    } else {
      checkFreshness(run, hexDigest(digest));
    }
  }
  return BaselineOutcome::ready;
}

}  // namespace vornup
