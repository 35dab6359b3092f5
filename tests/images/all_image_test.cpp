#include "images/all_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/image_status.h"

namespace vornup {
namespace {

using imagemaker::AllLayout;
using imagemaker::AllSubImageLayout;
using imagemaker::Bytes;
using testing_images::Reader;
using testing_images::ScratchDir;
using testing_images::TraceCapture;
using testing_images::Verdict;

AllSubImageLayout sub(uint32_t kind, uint8_t imageFamily, uint8_t imageId, uint16_t version) {
  AllSubImageLayout s;
  s.kind = kind;
  s.imageFamily = imageFamily;
  s.imageId = imageId;
  s.version = version;
  return s;
}

const AllSubImageLayout kDwcUf = sub(imagemaker::kKindDwc, 7, 121, 0x1234);
const AllSubImageLayout kFwc = sub(imagemaker::kKindFwc, 0, 0x55, 0x2041);
const AllSubImageLayout kAwc = sub(imagemaker::kKindAwc, 0, 0, 0);
const AllSubImageLayout kBwc = sub(imagemaker::kKindBwc, 3, 0x44, 0);

AllLayout allOf(std::vector<AllSubImageLayout> subImages) {
  AllLayout layout;
  layout.subImages = std::move(subImages);
  return layout;
}

Verdict verify(const ScratchDir& dir, const std::string& name, const Bytes& bytes) {
  return verifyImage(Reader::all, dir, name, bytes);
}

TEST(VerifyAllFile, GoodFileTracesEveryStep) {
  ScratchDir dir;
  std::string path = dir.file("fw.all");
  Verdict o = verify(dir, "fw.all", imagemaker::makeAll(allOf({kDwcUf})));
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.id, "UF120X4");
  EXPECT_EQ(o.trace,
            "\n[verifyALL_file]\n"
            "Input file = " + path + "\n"
            "Reading ALL Header...\n"
            "DWC ImageID   = 79\n"
            "DWC ImageType = 7\n"
            "Encoded Type  = UF\n"
            "Version       = 1\n"
            "Revision      = 2\n"
            "Fixlevel      = 0\n"
            "Dist_type     = 3\n"
            "Dist_cnt      = 4\n"
            "Encoded Ver   = 120X4\n");
}

struct AllCase {
  const char* what;
  AllLayout layout;
  const char* name;
  int status;
  const char* result;
  std::vector<std::string> traced;     // lines the trace must hold
  std::vector<std::string> notTraced;  // and lines it must not
};

AllLayout withDeclaredBody(AllSubImageLayout s, uint32_t declared, bool aif) {
  s.declaredBodySize = declared;
  AllLayout layout = allOf({s});
  layout.aifLayout = aif;
  return layout;
}

AllLayout badChecksum() {
  AllLayout layout = allOf({kDwcUf});
  layout.badChecksum = true;
  return layout;
}

AllLayout aifLayout(std::vector<AllSubImageLayout> subImages) {
  AllLayout layout = allOf(std::move(subImages));
  layout.aifLayout = true;
  return layout;
}

AllLayout secondNotNop() {
  AllSubImageLayout second = kFwc;
  second.compressBr = 0xE1A00001;
  return allOf({kDwcUf, second});
}

TEST(VerifyAllFile, StatusesAndTraceLines) {
  const std::string ver = "Encoded Ver   = ";
  const AllCase cases[] = {
      {"DWC then FWC: the DWC's code with the FWC's version", allOf({kDwcUf, kFwc}), "a.ALL", 0,
       "UF201N1",
       {"\n###### FWC IMAGE ######\n", "FWC ImageID   = 55\n", "FWC ImageType = 0\n",
        "Encoded Type  = UF\n", ver + "201N1\n"},
       {}},
      {"FWC alone keeps the caller's empty text", allOf({kFwc}), "a.all", 0, "",
       {"Encoded Type  = \n", ver + "201N1\n"}, {"DWC ImageID"}},
      {"AWC is accepted without trace lines", allOf({kAwc, kDwcUf}), "a.all", 0, "UF120X4", {},
       {"AWC"}},
      {"BWC traces its id and type", allOf({kBwc, kDwcUf}), "a.all", 0, "UF120X4",
       {"\n###### BWC IMAGE ######\nBWC ImageID   = 44\nBWC ImageType = 3\n\n"}, {}},
      {"image type 11 table", allOf({sub(imagemaker::kKindDwc, 11, 41, 0)}), "a.all", 0,
       "UD000N0", {"DWC ImageType = B\n"}, {}},
      {"image type 7 table", allOf({sub(imagemaker::kKindDwc, 7, 41, 0)}), "a.all", 0, "OF000N0",
       {}, {}},
      {"id 18: empty identifier", allOf({sub(imagemaker::kKindDwc, 7, 18, 0x1234)}), "a.all", 0,
       "", {"Encoded Type  = \n", ver + "120X4\n"}, {}},
      {"unknown image type", allOf({sub(imagemaker::kKindDwc, 9, 121, 0)}), "a.all",
       INCOMPAT_IMAGE_ERROR, "",
       {"INVALID_IMAGE_ERROR | ERROR_READING_FILE - Unknown ImageType = 9, Status = FFF90001\n"},
       {"Encoded Type"}},
      {"unknown image id", allOf({sub(imagemaker::kKindDwc, 7, 100, 0)}), "a.all",
       INCOMPAT_IMAGE_ERROR, "", {"Encoded Type = UNKNOWN\n\n"}, {"Encoded Ver"}},
      {"unknown kind", allOf({sub(0xE1A05005, 7, 121, 0)}), "a.all", INCOMPAT_IMAGE_ERROR, "",
       {}, {"ImageID", "ERROR"}},
      {"bad checksum", badChecksum(), "a.all", BAD_CHECKSUM_ERROR, "UF120X4",
       {"BAD_CHECKSUM_ERROR - Checksum = 00000002, Status = FFF80000\n"}, {}},
      {"second header not NOP", secondNotNop(), "a.all", INVALID_IMAGE_READ_ERROR, "UF120X4",
       {"INVALID_IMAGE_ERROR | ERROR_READING_FILE - Aif_header.compress_br != NOP_IMAGE_TYPE, "
        "Status = FFF90001\n"},
       {"FWC"}},
      {"AIF name: no checksum word needed", aifLayout({kDwcUf, kFwc}), "a.aif", 0, "UF201N1", {},
       {"BAD_CHECKSUM"}},
      {"AIF name in capitals", aifLayout({kDwcUf}), "a.AIF", 0, "UF120X4", {}, {}},
      {"AIF layout under an ALL name fails its checksum", aifLayout({kDwcUf}), "a.all",
       BAD_CHECKSUM_ERROR, "UF120X4", {"BAD_CHECKSUM_ERROR - Checksum = "}, {}},
      // A body size that brings the 32-bit running offset back to where it
      // was (or wraps it) ends the walk as a read error instead of a loop.
      {"wrapping body size", withDeclaredBody(kDwcUf, 0xFFFFFF7C, false), "a.all",
       INVALID_IMAGE_READ_ERROR, "UF120X4",
       {"Encoded Ver   = 120X4\nINVALID_IMAGE_ERROR | ERROR_READING_FILE - Status = FFF90001\n"},
       {}},
      {"wrapping body size, AIF name", withDeclaredBody(kDwcUf, 0xFFFFFF80, true), "a.aif",
       INVALID_IMAGE_READ_ERROR, "UF120X4",
       {"INVALID_IMAGE_ERROR | ERROR_READING_FILE - Status = FFF90001\n"}, {}},
      // Bytes missing at the end count as zero, and zero words keep a zero
      // sum zero: a body size reaching past the end is judged by the words
      // that are there.
      {"largest body size that does not wrap", withDeclaredBody(kDwcUf, 0xFFFFFF7B, false),
       "a.all", 0, "UF120X4", {}, {"ERROR"}},
      {"body size past the end of the file", withDeclaredBody(kDwcUf, 0x7FFFFFFF, false),
       "a.all", 0, "UF120X4", {}, {"ERROR"}},
      {"body size past the end, bad checksum", [] {
         AllLayout layout = withDeclaredBody(kDwcUf, 0x7FFFFFFF, false);
         layout.badChecksum = true;
         return layout;
       }(),
       "a.all", BAD_CHECKSUM_ERROR, "UF120X4", {"BAD_CHECKSUM_ERROR - Checksum = "}, {}},
  };
  ScratchDir dir;
  for (const AllCase& c : cases) {
    Verdict o = verify(dir, c.name, imagemaker::makeAll(c.layout));
    EXPECT_EQ(o.status, c.status) << c.what;
    EXPECT_EQ(o.id, c.result) << c.what;
    expectTraced(o, c.traced, c.what);
    expectNotTraced(o, c.notTraced, c.what);
  }
}

TEST(VerifyAllFile, FirstWordDecidesBeforeAnySubImage) {
  ScratchDir dir;
  Bytes bytes = imagemaker::makeAll(allOf({kDwcUf}));
  bytes[3] = 0x01;
  Verdict o = verify(dir, "a.all", bytes);
  EXPECT_EQ(o.status, INCOMPAT_IMAGE_ERROR);
  EXPECT_NE(o.trace.find("Reading ALL Header...\n"
                         "INCOMPAT_IMAGE_ERROR - image_type != NOP_IMAGE_TYPE, Status = FFF70000\n"),
            std::string::npos);
  EXPECT_EQ(o.trace.find("DWC"), std::string::npos);
}

TEST(VerifyAllFile, FileEndingInsideAHeaderIsJudgedByItsChecksum) {
  ScratchDir dir;
  // Extra bytes after a good file: a partial header, dropped; the checksum
  // over the sub-image and its checksum word still holds.
  Bytes good = imagemaker::makeAll(allOf({kDwcUf}));
  Bytes longer = good;
  longer.insert(longer.end(), 60, 0xE1);
  EXPECT_EQ(verify(dir, "a.all", longer).status, 0);
  // Cut inside the second header: the word after the first sub-image is not
  // a checksum word.
  Bytes two = imagemaker::makeAll(allOf({kDwcUf, kFwc}));
  std::size_t firstSubImage = 128 + 64 + 4;
  two.resize(firstSubImage + 100);
  Verdict o = verify(dir, "a.all", two);
  EXPECT_EQ(o.status, BAD_CHECKSUM_ERROR);
  EXPECT_EQ(o.trace.find("FWC"), std::string::npos);
}

TEST(VerifyAllFile, UnreadableFiles) {
  ScratchDir dir;
  std::string missing = dir.file("missing.all");
  Verdict o = verifyImagePath(Reader::all, missing);
  EXPECT_EQ(o.status, OPEN_FILE_ERROR);
  EXPECT_EQ(o.trace, "\n[verifyALL_file]\nOPEN_FILE_ERROR - Could not open image file = " + missing +
                         ", Status = FFFA0000\n");
  for (std::size_t size : {0, 1, 3}) {
    Verdict o = verify(dir, "short.all", Bytes(size, 0xE1));
    EXPECT_EQ(o.status, INVALID_IMAGE_ERROR) << size;
    EXPECT_NE(o.trace.find("Reading ALL Header...\nINVALID_IMAGE_ERROR - Status = FFF90000\n"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace vornup
