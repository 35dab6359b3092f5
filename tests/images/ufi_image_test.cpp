#include "images/ufi_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/image_status.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using imagemaker::UfiChip;
using imagemaker::UfiLayout;
using testing_images::Reader;
using testing_images::ScratchDir;
using testing_images::TraceCapture;
using testing_images::Verdict;

Verdict verify(const ScratchDir& dir, const Bytes& bytes, const std::string& name = "fw.ufi") {
  return verifyImage(Reader::ufi, dir, name, bytes);
}

UfiLayout ufi(UfiChip chip, std::vector<uint32_t> ids = {}) {
  UfiLayout layout;
  layout.chip = chip;
  layout.deviceIds = std::move(ids);
  return layout;
}

TEST(VerifyUfiFile, GoodKx2FileTracesEveryStep) {
  ScratchDir dir;
  std::string path = dir.file("fw.ufi");
  Verdict o = verify(dir, imagemaker::makeUfi(ufi(UfiChip::kx2)));
  EXPECT_EQ(o.status, RM_STATUS_OK);
  EXPECT_EQ(o.imageFamily, 2);
  EXPECT_EQ(o.id, "4.1.0.0");
  EXPECT_EQ(o.trace,
            "\n[verifyUFI_file]\n"
            "Input file = " + path + "\n"
            "\n[VerifyKX2Firmware]\n"
            "RM_STATUS_OK - Length = 2352B, Status = 0\n"
            "UFI buildVersionString = 4.1.0.0\n"
            "CLU buildVersionString = 4.1.0.0\n"
            "\n[printUFIHeaderFlashDirectory]\n"
            "ufi_flash_dir->deviceId1 = 3A00\n"
            "ufi_flash_dir->deviceId2 = 0\n"
            "ufi_flash_dir->deviceId3 = 0\n"
            "ufi_flash_dir->deviceId4 = 0\n"
            "ufi_flash_dir->deviceId5 = 0\n"
            "ufi_flash_dir->deviceId6 = 0\n"
            "ufi_flash_dir->deviceId7 = 0\n"
            "ufi_flash_dir->deviceId8 = 0\n");
}

TEST(VerifyUfiFile, Kx3FileIsTriedAsKx2First) {
  ScratchDir dir;
  Verdict o = verify(dir, imagemaker::makeUfi(ufi(UfiChip::kx3, {0x3A12})));
  EXPECT_EQ(o.status, RM_STATUS_OK);
  EXPECT_EQ(o.imageFamily, 3);
  EXPECT_NE(o.trace.find("\n[VerifyKX2Firmware]\nRM_STATUS_OK - Length = 2368B, Status = 0\n"
                         "UFI buildVersionString = 4.1.0.0\nCLU buildVersionString = 4.1.0.0\n"
                         "RM_STATUS_ERROR_INCOMP_IMAGE - KX2 gmIdentifier not found!\n"
                         "\n[VerifyKX3Firmware]\n"),
            std::string::npos)
      << o.trace;
  EXPECT_NE(o.trace.find("ufi_flash_dir->deviceId1 = 3A12\n"), std::string::npos);
}

TEST(VerifyUfiFile, StatusesAndTraceLines) {
  struct Case {
    const char* what;
    UfiLayout layout;
    int status;
    int imageFamily;
    std::vector<std::string> traced;
  };
  auto withLength = [](uint32_t length) {
    UfiLayout s = ufi(UfiChip::kx2);
    s.size = 2352;
    s.headerLength = length;
    return s;
  };
  auto noCookie = [] {
    UfiLayout s = ufi(UfiChip::kx2);
    s.cookie = false;
    return s;
  };
  auto cookieCutByTheEnd = [] {
    UfiLayout s = ufi(UfiChip::kx2);
    s.size = 96 + 32 * 20 + 20;  // the cookie's block lacks its last 12 bytes
    s.cookieOffset = 96 + 32 * 20;
    return s;
  };
  auto cutDirectory = [] {
    UfiLayout s = ufi(UfiChip::kx3, {0x3A14});
    s.size = 112 + 56;  // the directory ends right after device id 1
    return s;
  };
  const Case cases[] = {
      {"file one byte shorter than its header says", withLength(2353),
       RM_STATUS_ERROR_SHORT_FWIMAGE, -1,
       {"RM_STATUS_ERROR_SHORT_FWIMAGE - KX2 UFI Header too short! Status = 197\n",
        "RM_STATUS_ERROR_SHORT_FWIMAGE - KX3 UFI Header too short! Status = 197\n"}},
      {"file one byte longer than its header says", withLength(2351),
       RM_STATUS_ERROR_LONG_FWIMAGE, -1,
       {"RM_STATUS_ERROR_LONG_FWIMAGE - KX2 UFI Header too long! Status = 196\n",
        "RM_STATUS_ERROR_LONG_FWIMAGE - KX3 UFI Header too long! Status = 196\n"}},
      {"no cookie: both searches run to the end", noCookie(), RM_STATUS_ERROR_INCOMP_IMAGE, -1,
       {"RM_STATUS_ERROR_INCOMP_IMAGE - KX2 gmIdentifier not found!\n",
        "RM_STATUS_ERROR_INCOMP_IMAGE - KX3 gmIdentifier not found!\n"}},
      {"cookie cut off by the end of the file", cookieCutByTheEnd(),
       RM_STATUS_ERROR_INCOMP_IMAGE, -1, {"KX2 gmIdentifier not found!\n"}},
      {"no matching device id", ufi(UfiChip::kx2, {0x3A10, 0x3A06}),
       RM_STATUS_ERROR_INCOMP_IMAGE, -1,
       {"ufi_flash_dir->deviceId2 = 3A06\n",
        "RM_STATUS_ERROR_INCOMP_IMAGE - Invalid KX2 UFI flash directory!\n",
        "RM_STATUS_ERROR_INCOMP_IMAGE - KX3 gmIdentifier not found!\n"}},
      {"only the eighth device id matches",
       ufi(UfiChip::kx2, {0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x3A04}), RM_STATUS_OK, 2,
       {"ufi_flash_dir->deviceId8 = 3A04\n"}},
      {"directory cut off after its first device id", cutDirectory(), RM_STATUS_OK, 3,
       {"ufi_flash_dir->deviceId1 = 3A14\nufi_flash_dir->deviceId2 = 0\n"}},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    Verdict o = verify(dir, imagemaker::makeUfi(c.layout));
    EXPECT_EQ(o.status, c.status) << c.what;
    EXPECT_EQ(o.imageFamily, c.imageFamily) << c.what;
    expectTraced(o, c.traced, c.what);
  }
}

TEST(VerifyUfiFile, CookieBlocksDifferBetweenTheChips) {
  struct Case {
    uint64_t cookieOffset;
    int kx2Status;
    int kx3Status;
  };
  const Case cases[] = {
      {96, RM_STATUS_OK, RM_STATUS_ERROR_INCOMP_IMAGE},
      {112, RM_STATUS_ERROR_INCOMP_IMAGE, RM_STATUS_OK},
      {128, RM_STATUS_OK, RM_STATUS_ERROR_INCOMP_IMAGE},
      {16, RM_STATUS_ERROR_INCOMP_IMAGE, RM_STATUS_OK},
      {64, RM_STATUS_ERROR_INCOMP_IMAGE, RM_STATUS_ERROR_INCOMP_IMAGE},
      {100, RM_STATUS_ERROR_INCOMP_IMAGE, RM_STATUS_ERROR_INCOMP_IMAGE},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    // Both chips' ids; the KX3 id first, where a directory at offset 16
    // keeps it clear of the header's version field.
    UfiLayout layout = ufi(UfiChip::kx2, {0x3A10, 0x3A00});
    layout.cookieOffset = c.cookieOffset;
    layout.version = "4.2.324.0";
    std::string path = dir.write("fw.ufi", imagemaker::makeUfi(layout));
    TraceCapture trace;
    ImageIdText version;
    EXPECT_EQ(verifyKx2Firmware(trace.out, version, path.c_str()), c.kx2Status) << c.cookieOffset;
    EXPECT_EQ(verifyKx3Firmware(trace.out, version, path.c_str()), c.kx3Status) << c.cookieOffset;
  }
}

TEST(VerifyUfiFile, BuildVersionText) {
  struct Case {
    const char* field;
    const char* version;
  };
  const Case cases[] = {
      {"4.2.324.0", "4.2.324.0"},
      {"XY4.2.324.0", "4.2.324.0"},
      {"10.2.3.4", ".2.3.4"},  // only the second character is looked at
      {"", ""},
      {"X", ""},
      {"1.234567890123456789012345", "1.2345678901234567890123"},  // the field holds 24
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    UfiLayout layout = ufi(UfiChip::kx2);
    layout.version = c.field;
    Verdict o = verify(dir, imagemaker::makeUfi(layout));
    EXPECT_EQ(o.status, RM_STATUS_OK) << c.field;
    EXPECT_EQ(o.id, c.version) << c.field;
    std::string field = std::string(c.field).substr(0, 24);
    EXPECT_NE(o.trace.find("UFI buildVersionString = " + field + "\nCLU buildVersionString = " +
                           c.version + "\n"),
              std::string::npos)
        << o.trace;
  }
}

TEST(VerifyUfiFile, ExtensionIsASubstringOfThePath) {
  ScratchDir dir;
  Bytes good = imagemaker::makeUfi(ufi(UfiChip::kx2));
  EXPECT_EQ(verify(dir, good, "image.UFI.old").status, RM_STATUS_OK);
  std::filesystem::create_directories(dir.file("set.ufi"));
  EXPECT_EQ(verify(dir, good, "set.ufi/image.bin").status, RM_STATUS_OK);
  Verdict o = verify(dir, good, "image.Ufi");
  EXPECT_EQ(o.status, RM_STATUS_ERROR_INCOMP_IMAGE);
  EXPECT_NE(o.trace.find("\n[VerifyKX3Firmware]\n"
                         "RM_STATUS_ERROR_INCOMP_IMAGE - Invalid UFI image extension! Status = 194\n"
                         "Invalid KX3 Image! Not a Quarrel Image!\n"),
            std::string::npos)
      << o.trace;
}

TEST(VerifyUfiFile, MissingFile) {
  ScratchDir dir;
  Verdict o = verifyImagePath(Reader::ufi, dir.file("none.ufi"));
  EXPECT_EQ(o.status, RM_STATUS_ERROR_READING_RESOURCE);
  EXPECT_NE(o.trace.find("RM_STATUS_ERROR_READING_RESOURCE - Unable to open UFI image! Status = 199\n"
                         "Invalid KX2 Image! Not a Brindle Image!\n"),
            std::string::npos);
}

TEST(VerifyUfiFile, LargestKx2FileAndOneByteMore) {
  ScratchDir dir;
  UfiLayout layout = ufi(UfiChip::kx2);
  layout.size = 8388704;
  Verdict o = verify(dir, imagemaker::makeUfi(layout));
  EXPECT_EQ(o.status, RM_STATUS_OK);
  EXPECT_EQ(o.imageFamily, 2);
  // One byte more is too long for KX2, and goes on to the KX3 checks.
  layout.size = 8388705;
  layout.deviceIds = {0x3A00, 0x3A10};
  layout.cookieOffset = 112;
  o = verify(dir, imagemaker::makeUfi(layout));
  EXPECT_EQ(o.status, RM_STATUS_OK);
  EXPECT_EQ(o.imageFamily, 3);
  EXPECT_NE(o.trace.find("RM_STATUS_ERROR_LONG_FWIMAGE - Invalid KX2 length! Status = 196\n"
                         "Invalid KX2 Image! Not a Brindle Image!\n\n[VerifyKX3Firmware]\n"
                         "RM_STATUS_OK - Length = 8388705B, Status = 0\n"),
            std::string::npos)
      << o.trace;
}

// The pre-check alone, on sparse files of any size.
TEST(UfiPreCheck, SizeLimitsAre64BitComparisons) {
  struct Limit {
    const vornup::UfiChip& chip;
    uint64_t size;
    int status;
    const char* line;
  };
  const Limit cases[] = {
      {kKx2Chip, 8388704, RM_STATUS_OK, "RM_STATUS_OK - Length = 8388704B, Status = 0\n"},
      {kKx2Chip, 8388705, RM_STATUS_ERROR_LONG_FWIMAGE,
       "RM_STATUS_ERROR_LONG_FWIMAGE - Invalid KX2 length! Status = 196\n"},
      {kKx3Chip, 16777392, RM_STATUS_OK, "RM_STATUS_OK - Length = 16777392B, Status = 0\n"},
      {kKx3Chip, 16777393, RM_STATUS_ERROR_LONG_FWIMAGE,
       "RM_STATUS_ERROR_LONG_FWIMAGE - Invalid KX3 length! Status = 196\n"},
      {kKx3Chip, 0, RM_STATUS_OK, "RM_STATUS_OK - Length = 0B, Status = 0\n"},
      // 2 GiB and more is too long, also where the low 32 bits look small.
      {kKx3Chip, uint64_t(1) << 31, RM_STATUS_ERROR_LONG_FWIMAGE, "Invalid KX3 length!"},
      {kKx3Chip, (uint64_t(1) << 32) + 100, RM_STATUS_ERROR_LONG_FWIMAGE, "Invalid KX3 length!"},
      {kKx2Chip, (uint64_t(1) << 32) + 100, RM_STATUS_ERROR_LONG_FWIMAGE, "Invalid KX2 length!"},
  };
  ScratchDir dir;
  for (const Limit& c : cases) {
    std::string path = dir.write("sparse.ufi", Bytes());
    std::filesystem::resize_file(path, c.size);
    TraceCapture trace;
    EXPECT_EQ(checkImageFile(trace.out, path.c_str(), c.chip.check), c.status) << c.size;
    EXPECT_NE(trace.text().find(c.line), std::string::npos) << c.size << "\n" << trace.text();
  }
}

}  // namespace
}  // namespace vornup
