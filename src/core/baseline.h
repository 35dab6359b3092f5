// A baseline: the administrator's list of the images this host may flash,
// with its version, its expiry and the image digests that must never be
// flashed. Reading checks its form only; whether it may be trusted is the
// signature's business (download/baseline_load.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/image_kind.h"

namespace vornup {

struct BaselineImage {
  std::string sha256;  // 64 lowercase hexadecimal digits
  std::string file;    // the file's own name, without folders
  ImageKind kind = ImageKind::firmware;
  std::vector<std::string> models;  // empty: any adapter model
};

struct Baseline {
  int64_t version = 0;           // 1 or more
  int64_t expires = 0;           // seconds since 1970-01-01 UTC
  std::string expiresText;       // as written
  std::string keyId;             // the signer's key id when named, else ""
  std::vector<BaselineImage> images;
  std::vector<std::string> blocked;  // digests, lowercase
};

// The largest baseline file read, and the largest signature file.
constexpr std::size_t kMaxBaselineSize = 1024 * 1024;
constexpr std::size_t kMaxSignatureFileSize = 1024;

// Reads the JSON text of a baseline. False with `error` saying what is wrong
// (malformed JSON, a duplicate or unknown key, a wrong type, a number out of
// range, a digest that is not 64 hexadecimal digits, a time that is not RFC
// 3339); `baseline` is then unchanged.
bool readBaseline(const std::string& text, Baseline& baseline, std::string& error);

// Seconds since 1970-01-01 UTC of an RFC 3339 date-time
// ("2027-01-31T12:00:00Z", fractions and offsets allowed); false for any
// other text.
bool readRfc3339Time(const std::string& text, int64_t& seconds);

}  // namespace vornup
