// The image maker's command line, checked through the readers: what it
// writes is what the options asked for.
#include "maker_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/image_status.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using imagemaker::MakerRequest;
using testing_images::Reader;
using testing_images::ScratchDir;
using testing_images::Verdict;

Bytes make(const std::vector<std::string>& args) {
  MakerRequest request;
  std::string error;
  Bytes image;
  EXPECT_TRUE(imagemaker::parseMakerArguments(args, request, error)) << error;
  EXPECT_TRUE(imagemaker::buildRequestedImage(request, image, error)) << error;
  return image;
}

std::string refusal(const std::vector<std::string>& args) {
  MakerRequest request;
  std::string error;
  Bytes image;
  if (imagemaker::parseMakerArguments(args, request, error) &&
      imagemaker::buildRequestedImage(request, image, error)) {
    return "";
  }
  return error;
}

// The reader for a file name's extension.
Reader readerFor(const std::string& name) {
  const std::string extension = name.substr(name.rfind('.') + 1);
  if (extension == "ufi") return Reader::ufi;
  if (extension == "grp") return Reader::grp;
  if (extension == "prg") return Reader::prg;
  return Reader::all;
}

TEST(ImageMaker, CommandLinesMakeTheImagesTheyName) {
  struct Case {
    std::vector<std::string> args;
    const char* name;
    int status;
    int imageFamily;  // -1: not set by the reader
    const char* id;
  };
  const Case cases[] = {
      {{"ufi", "--chip", "kx2", "--version", "4.2.324.0", "-o", "x"}, "a.ufi", 0, 2, "4.2.324.0"},
      {{"ufi", "--version", "XY4.1.2.3", "--device-id", "0x1", "--device-id", "0x3A14", "-o", "x"},
       "a.ufi", 0, 3, "4.1.2.3"},
      {{"ufi", "--chip", "kx2", "--cookie-at", "112", "-o", "x"}, "a.ufi",
       RM_STATUS_ERROR_INCOMP_IMAGE, -1, "4.1.0.0"},
      {{"ufi", "--no-cookie", "-o", "x"}, "a.ufi", RM_STATUS_ERROR_INCOMP_IMAGE, -1, "4.1.0.0"},
      {{"ufi", "--size", "4096", "-o", "x"}, "a.ufi", 0, 3, "4.1.0.0"},
      {{"ufi", "--header-length", "100", "-o", "x"}, "a.ufi", RM_STATUS_ERROR_LONG_FWIMAGE, -1, ""},
      {{"grp", "--version", "3.1.2.0 (lab)", "--out", "x"}, "a.grp", 0, 4, "3.1.2.0"},
      {{"grp", "--signature", "0xF7A3FFFF", "-o", "x"}, "a.grp", RM_STATUS_ERROR, -1, ""},
      {{"grp", "--magic", "1", "-o", "x"}, "a.grp", RM_STATUS_ERROR, -1, ""},
      {{"grp", "--unterminated-version", "-o", "x"}, "a.grp", RM_STATUS_ERROR, -1, ""},
      {{"grp", "--size", "139", "-o", "x"}, "a.grp", RM_STATUS_ERROR_SHORT_FWIMAGE, -1, ""},
      {{"all", "--sub", "dwc,7,121,0x1234,64", "--sub", "fwc,0,0,0x2041,8", "-o", "x"}, "a.all",
       0, -1, "UF201N1"},
      {{"all", "--sub", "awc,0,0,0,8", "--sub", "dwc,11,41,0,4", "-o", "x"}, "a.all", 0, -1,
       "UD000N0"},
      {{"all", "--sub", "0xE1A05005,7,121,0,4", "-o", "x"}, "a.all", INCOMPAT_IMAGE_ERROR, -1, ""},
      {{"all", "--bad-checksum", "-o", "x"}, "a.all", BAD_CHECKSUM_ERROR, -1, "UF120X4"},
      {{"all", "--aif", "-o", "x"}, "a.aif", 0, -1, "UF120X4"},
      {{"all", "--sub", "dwc,7,121,0,8,0xFFFFFF7C", "-o", "x"}, "a.all", INVALID_IMAGE_READ_ERROR,
       -1, "UF000N0"},
      {{"prg", "--image-id", "121", "--version", "0xFFFF", "-o", "x"}, "a.prg", 0, -1,
       "FB15153X15"},
      {{"prg", "--rom-device-id", "0x7D81", "-o", "x"}, "a.prg", 0, -1, "UB120X4"},
      {{"prg", "--no-rom-signature", "-o", "x"}, "a.prg", 0, -1, "UB120X4"},
      {{"prg", "--no-rom", "-o", "x"}, "a.prg", 0, -1, "UB120X4"},
      {{"prg", "--pci-data-at", "0x41", "--rom-size", "256", "-o", "x"}, "a.prg", 0, -1, "FB120X4"},
      {{"prg", "--image-id", "39", "-o", "x"}, "a.prg", INCOMPAT_IMAGE_ERROR, -1, ""},
      {{"prg", "--first-word", "0xE1A00000", "-o", "x"}, "a.prg", INCOMPAT_IMAGE_ERROR, -1, ""},
      {{"prg", "--truncate", "20", "-o", "x"}, "a.prg", INVALID_IMAGE_END_OF_FILE, -1, ""},
      {{"grp", "--set", "4=0", "-o", "x"}, "a.grp", RM_STATUS_ERROR, -1, ""},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    Verdict v = verifyImage(readerFor(c.name), dir, c.name, make(c.args));
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(v.status, c.status) << line;
    EXPECT_EQ(v.imageFamily, c.imageFamily) << line;
    if (c.status == 0) {
      EXPECT_EQ(v.id, c.id) << line;
    }
  }
}

TEST(ImageMaker, OutputPathAndDamageOptions) {
  MakerRequest request;
  std::string error;
  ASSERT_TRUE(imagemaker::parseMakerArguments(
      {"grp", "--size", "200", "--truncate", "150", "--set", "0x10=0xAB", "--set", "3=7", "-o",
       "out/fw.grp"},
      request, error))
      << error;
  EXPECT_EQ(request.outPath, "out/fw.grp");
  Bytes image;
  ASSERT_TRUE(imagemaker::buildRequestedImage(request, image, error)) << error;
  EXPECT_EQ(image.size(), 150u);
  EXPECT_EQ(image[0x10], 0xAB);
  EXPECT_EQ(image[3], 7);
}

TEST(ImageMaker, BadCommandLinesAreRefusedWithAReason) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {{}, "no image format given"},
      {{"bin", "-o", "x"}, "unknown image format: bin"},
      {{"ufi"}, "no output file given (-o FILE)"},
      {{"ufi", "--magic", "1", "-o", "x"}, "unknown option for ufi: --magic"},
      {{"grp", "--magic", "0x1FFFFFFFF", "-o", "x"}, "bad value for --magic: 0x1FFFFFFFF"},
      {{"grp", "--magic", "12z", "-o", "x"}, "bad value for --magic: 12z"},
      {{"grp", "--magic"}, "missing value after --magic"},
      {{"ufi", "--chip", "kx4", "-o", "x"}, "bad value for --chip: kx4"},
      {{"all", "--sub", "dwc,7,121", "-o", "x"}, "bad value for --sub: dwc,7,121"},
      {{"all", "--sub", "dwc,7,256,0,4", "-o", "x"}, "bad value for --sub: dwc,7,256,0,4"},
      {{"prg", "--set", "9999=1", "-o", "x"}, "--set offset 9999 lies beyond the image"},
      {{"prg", "--set", "1=256", "-o", "x"}, "bad value for --set: 1=256"},
      {{"prg", "--rom-file", "/nonexistent/rom", "-o", "x"}, "cannot read ROM file /nonexistent/rom"},
      {{"ufi", "--device-id", "1", "--device-id", "2", "--device-id", "3", "--device-id", "4",
        "--device-id", "5", "--device-id", "6", "--device-id", "7", "--device-id", "8",
        "--device-id", "9", "-o", "x"},
       "bad value for --device-id: 9"},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal(c.args), c.reason);
}

}  // namespace
}  // namespace vornup
