// Status codes of the image verifiers.
//
// UFI and GRP verification return small positive codes; ALL and PRG
// verification return negative codes that carry a failure class in the upper
// 16 bits and flags in the low bits (the trace prints them with %X, e.g.
// 0xFFF90001). Callers decide on the ImageCheck a status stands for.
#pragma once

namespace vornup {

// UFI and GRP files.
constexpr int RM_STATUS_OK = 0;
constexpr int RM_STATUS_ERROR = 1;
constexpr int RM_STATUS_ERROR_INCOMP_IMAGE = 194;
constexpr int RM_STATUS_ERROR_LONG_FWIMAGE = 196;
constexpr int RM_STATUS_ERROR_SHORT_FWIMAGE = 197;
constexpr int RM_STATUS_ERROR_READING_RESOURCE = 199;

// ALL and PRG files: classes (upper 16 bits) ...
constexpr int OPEN_FILE_ERROR = -0x60000;       // 0xFFFA0000
constexpr int INVALID_IMAGE_ERROR = -0x70000;   // 0xFFF90000
constexpr int BAD_CHECKSUM_ERROR = -0x80000;    // 0xFFF80000
constexpr int INCOMPAT_IMAGE_ERROR = -0x90000;  // 0xFFF70000
// ... and flags (low bits).
constexpr int ERROR_READING_FILE = 0x1;
constexpr int ERROR_END_OF_FILE = 0x2;

constexpr int INVALID_IMAGE_READ_ERROR = INVALID_IMAGE_ERROR + ERROR_READING_FILE;  // 0xFFF90001
constexpr int INVALID_IMAGE_END_OF_FILE = INVALID_IMAGE_ERROR + ERROR_END_OF_FILE;  // 0xFFF90002

// The bit pattern of a status, as the trace prints it with %X.
constexpr unsigned statusBits(int status) { return static_cast<unsigned>(status); }

// What the check of one image file came to, for the caller to decide on;
// the product's status number stays beside it for the trace.
enum class ImageCheck {
  good,
  notAnImageName,  // no extension of the kind's directory, or unsafe on a command line
  unopenable,      // OPEN_FILE_ERROR: absent, or not a regular file
  unreadable,      // RM_STATUS_ERROR_READING_RESOURCE
  invalid,         // any other status of a reader
};

struct ImageCheckResult {
  ImageCheck check = ImageCheck::good;
  int status = RM_STATUS_OK;

  bool good() const { return check == ImageCheck::good; }
};

// The result that a reader's status stands for.
constexpr ImageCheckResult imageCheckOf(int status) {
  return status == RM_STATUS_OK                       ? ImageCheckResult{ImageCheck::good, status}
         : status == OPEN_FILE_ERROR                  ? ImageCheckResult{ImageCheck::unopenable, status}
         : status == RM_STATUS_ERROR_READING_RESOURCE ? ImageCheckResult{ImageCheck::unreadable, status}
                                                      : ImageCheckResult{ImageCheck::invalid, status};
}

}  // namespace vornup
