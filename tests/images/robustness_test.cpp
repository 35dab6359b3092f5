// Damaged images: every prefix of a small valid image of each format, and
// random single-byte changes, give a status of the format or a clean accept.
// A crash, an overrun (under the sanitizers) or an endless loop fails them.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "image_test_support.h"
#include "images/image_status.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using testing_images::Reader;
using testing_images::ScratchDir;

struct Format {
  const char* fileName;
  Bytes image;
  Reader reader;
  std::set<int> statuses;  // every status the reader may give, 0 included
  // Any prefix shorter than this is refused (0: a prefix may pass).
  std::size_t refusedBelow;
};

std::vector<Format> smallImages() {
  imagemaker::UfiLayout ufi;
  ufi.chip = imagemaker::UfiChip::kx2;
  ufi.size = 300;  // the flash directory is cut after its device ids
  imagemaker::GrpLayout grp;
  grp.size = 160;
  imagemaker::AllLayout all;
  all.subImages.resize(2);
  all.subImages[0].bodySize = 16;
  all.subImages[1].kind = imagemaker::kKindFwc;
  all.subImages[1].bodySize = 16;
  const std::set<int> smallCodes = {RM_STATUS_OK,
                                    RM_STATUS_ERROR,
                                    RM_STATUS_ERROR_INCOMP_IMAGE,
                                    RM_STATUS_ERROR_LONG_FWIMAGE,
                                    RM_STATUS_ERROR_SHORT_FWIMAGE,
                                    RM_STATUS_ERROR_READING_RESOURCE};
  const std::set<int> fcCodes = {0,
                                 OPEN_FILE_ERROR,
                                 INVALID_IMAGE_ERROR,
                                 INVALID_IMAGE_READ_ERROR,
                                 INVALID_IMAGE_END_OF_FILE,
                                 BAD_CHECKSUM_ERROR,
                                 INCOMPAT_IMAGE_ERROR};
  return {
      // The header states the length.
      {"fw.ufi", imagemaker::makeUfi(ufi), Reader::ufi, smallCodes, 300},
      {"fw.grp", imagemaker::makeGrp(grp), Reader::grp, smallCodes, 140},
      // The checksum word comes last.
      {"fw.all", imagemaker::makeAll(all), Reader::all, fcCodes, 300},
      {"fw.aif", imagemaker::makeAll([&] {
         imagemaker::AllLayout aif = all;
         aif.aifLayout = true;
         return aif;
       }()),
       Reader::all, fcCodes, 0},  // a header cut at the end of an AIF file is dropped
      {"boot.prg", imagemaker::makePrg(imagemaker::PrgLayout()), Reader::prg, fcCodes, 48},
  };
}

int verifyBytes(const ScratchDir& dir, const Format& format, const Bytes& bytes) {
  return verifyImage(format.reader, dir, format.fileName, bytes).status;
}

TEST(DamagedImages, EveryPrefixGivesAStatus) {
  ScratchDir dir;
  for (const Format& format : smallImages()) {
    ASSERT_EQ(verifyBytes(dir, format, format.image), 0) << format.fileName;
    for (std::size_t length = 0; length < format.image.size(); ++length) {
      Bytes prefix(format.image.begin(), format.image.begin() + length);
      int status = verifyBytes(dir, format, prefix);
      EXPECT_EQ(format.statuses.count(status), 1u) << format.fileName << " " << length;
    }
  }
}

TEST(DamagedImages, ShortPrefixesAreRefused) {
  ScratchDir dir;
  for (const Format& format : smallImages()) {
    ASSERT_LE(format.refusedBelow, format.image.size()) << format.fileName;
    for (std::size_t length = 0; length < format.refusedBelow; ++length) {
      Bytes prefix(format.image.begin(), format.image.begin() + length);
      EXPECT_NE(verifyBytes(dir, format, prefix), 0) << format.fileName << " " << length;
    }
  }
}

TEST(DamagedImages, RandomSingleByteChangesGiveAStatus) {
  ScratchDir dir;
  std::mt19937 random(20240611);
  for (const Format& format : smallImages()) {
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
      Bytes damaged = format.image;
      std::size_t at = random() % damaged.size();
      uint8_t value = static_cast<uint8_t>(random());
      if (damaged[at] == value) value ^= 0xFF;
      damaged[at] = value;
      int status = verifyBytes(dir, format, damaged);
      EXPECT_EQ(format.statuses.count(status), 1u) << format.fileName << " @" << at;
      refused += status != 0;
    }
    // Each format checks enough of its bytes that some changes are caught.
    EXPECT_GT(refused, 0) << format.fileName;
  }
}

TEST(DamagedImages, AnyChangedByteOfAnAllFileIsCaughtByItsChecksum) {
  ScratchDir dir;
  for (const Format& format : smallImages()) {
    if (std::string(format.fileName) != "fw.all") continue;
    for (std::size_t at = 0; at < format.image.size(); ++at) {
      Bytes damaged = format.image;
      damaged[at] ^= 0x10;
      EXPECT_NE(verifyBytes(dir, format, damaged), 0) << at;
    }
  }
}

// A directory under an image name opens on some systems and then fails every
// read; the file layer turns the library's read error into missing bytes.
TEST(DamagedImages, DirectoryInPlaceOfAnImageGivesAStatus) {
  ScratchDir dir;
  for (const Format& format : smallImages()) {
    std::string path = dir.file(std::string("dir_") + format.fileName);
    std::filesystem::create_directories(path);
    int status = testing_images::verifyImagePath(format.reader, path).status;
    EXPECT_NE(status, 0) << format.fileName;
    EXPECT_EQ(format.statuses.count(status), 1u) << format.fileName << " " << status;
  }
}

}  // namespace
}  // namespace vornup
