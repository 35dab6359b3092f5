// Which images a run may flash under its baseline: the state the run found
// its baseline in, and the rule that judges one image by its digest.
//
// Signed mode (a trusted key installed) flashes only what a trusted,
// current, not rolled-back baseline lists; unsigned mode flashes everything
// as before, except what an unsigned baseline blocks.
#pragma once

#include <cstdint>
#include <string>

#include "core/baseline.h"
#include "core/image_kind.h"

namespace vornup {

// Why an image is not flashed; none: it may be.
enum class ImageRefusal {
  none,
  notSigned,         // the baseline has no signature file
  signatureInvalid,  // no trusted key verifies the signature
  unknownKey,        // the baseline names a signer that is not trusted
  expired,           // the baseline expired
  olderVersion,      // the host accepted a newer baseline
  versionReused,     // the host accepted another baseline of this version
  notListed,         // its digest, file name and kind are not listed
  modelNotAllowed,   // listed, but not for the adapter's model
  blocked,           // the baseline blocks its digest
};

struct BaselineState {
  bool signedMode = false;  // a trusted key is installed
  bool loaded = false;      // `baseline` was read (its form is sound)
  std::string file;         // where it was looked for
  Baseline baseline;
  // Why the baseline as a whole is not trusted (signed mode); none: it is.
  ImageRefusal refusal = ImageRefusal::none;
  std::string keyId;            // the trusted key that signed it
  int64_t acceptedVersion = 0;  // the highest this host accepted before
};

// Judges the image with digest `sha256` (lowercase hex), file name `file`
// (without folders), kind `kind` for an adapter of model `model`.
ImageRefusal judgeImage(const BaselineState& state, const std::string& sha256, const char* file,
                        ImageKind kind, const char* model);

// The refusal in words ("baseline expired at 2026-01-01T00:00:00Z"), and its
// name in the run report ("expired").
std::string refusalText(ImageRefusal refusal, const BaselineState& state);
const char* refusalName(ImageRefusal refusal);

}  // namespace vornup
