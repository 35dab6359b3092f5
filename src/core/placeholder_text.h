// The texts that stand in for a value the program does not have. They show in
// query lines, result lines, traces and the run report, and the version rules
// recognise them.
#pragma once

#include <cstring>

namespace vornup {

// A value the tool did not report: a missing label, version or serial number,
// and the sort key of an image that has none.
constexpr char kNotAvailableText[] = "N/A";
// No such thing: no boot code installed, no image found, no file named.
constexpr char kNoneText[] = "NONE";
// An fwmatrix.txt file name too long for its field.
constexpr char kInvalidFileText[] = "INVALID_FILE";
// The model of a device ID that the model table lacks.
constexpr char kUnknownModelText[] = "UNKNOWN_MODEL";

// Whether a text (a version, an address) is the placeholder "N/A" or "NONE".
inline bool isPlaceholderText(const char* text) {
  return std::strcmp(text, kNotAvailableText) == 0 || std::strcmp(text, kNoneText) == 0;
}

}  // namespace vornup
