// Version notations and their comparison.
//
// Fibre Channel firmware and boot code versions are strings without dots
// (2.82A4 is held as 282A4): a major digit, a run of digits, a release letter
// and a count. Converged and Halvard firmware versions are four numbers
// a.b.c.d, compared together with the image family as one five-value block.
#pragma once

#include <cstdint>

#include "core/fixed_text.h"
#include "core/image_family.h"

namespace vornup {

struct Adapter;
struct ImageNode;
struct RunState;

// Splits a converged version text a.b.c.d into its four numbers. Empty fields
// are skipped ("4..360.15" reads as 4.360.15.0), a field without leading digits
// gives 0, missing fields give 0, and a major number of 3 is read as 2 (both
// generations take the same images).
void parseConvergedVersion(const char* text, uint32_t& major, uint32_t& minor, uint32_t& release,
                           uint32_t& build);

// The image family and the four converged numbers, as held by both the
// adapter record and the image list node. The family orders by its number.
struct VersionBlock {
  ImageFamily imageFamily;
  uint32_t major;
  uint32_t minor;
  uint32_t release;
  uint32_t build;
};

VersionBlock versionBlockOf(const Adapter& adapter);
VersionBlock versionBlockOf(const ImageNode& node);

// 1 when `a` is above `b`, -1 when below, 0 when all five values are equal.
int compareConvergedVersions(const VersionBlock& a, const VersionBlock& b);

// Length of the type code at the start of an FC image identifier.
constexpr std::size_t kTypeCodeLength = 2;

// The version part of an FC image identifier: the text after its type code
// (empty for an identifier shorter than a type code).
const char* fcVersionOf(const char* decodedId);

// Length of an FC image's sort key.
constexpr std::size_t kFcSortKeyLength = 13;

// The sort key of an FC image identifier: the type code, the three version
// digits and the release letter, then the trailing count right-aligned and
// zero-padded so that keys of one type order correctly character by character
// (XY282A4 gives XY282A0000004). An identifier of 13 characters or more is its
// own key.
void buildFcSortKey(const char* decodedId, FixedText<32>& key);

// Whether key `a` sorts above key `b` (first differing character of the 13,
// compared as signed characters).
bool isFcSortKeyAbove(const char* a, const char* b);

// Whether the FC version `newVersion` (an image identifier without its type
// code) is to be taken over the `installed` one: newer, or equal under
// /rewrite or /downgrade; an installed "NONE" or "N/A" answers the /downgrade
// switch.
bool isFcUpdateNeeded(const RunState& run, const char* newVersion, const char* installed);

// Whether the image's five-value block is above the adapter's, or equal under
// /rewrite or /downgrade. Plain FC adapters never take converged images.
bool isConvergedUpdateNeeded(const RunState& run, const ImageNode& node, const Adapter& adapter);

// The single comparison the update decision asks: four-number rules for the
// converged family (the adapter's parsed numbers stand for `installed`), FC
// string rules otherwise.
bool isUpdateNeeded(const RunState& run, const Adapter& adapter, const ImageNode& node,
                    const char* installed);

}  // namespace vornup
