#include "images/grp_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/image_status.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using imagemaker::GrpLayout;
using testing_images::Reader;
using testing_images::ScratchDir;
using testing_images::TraceCapture;
using testing_images::Verdict;

Verdict verify(const ScratchDir& dir, const Bytes& bytes, const std::string& name = "fw.grp") {
  return verifyImage(Reader::grp, dir, name, bytes);
}

GrpLayout grp(const std::string& version, uint32_t magic = 0xFEAA0001,
            uint32_t signature = 0xF7A20000) {
  GrpLayout layout;
  layout.version = version;
  layout.magic = magic;
  layout.signature = signature;
  return layout;
}

TEST(VerifyGrpFile, GoodFileTracesEveryStep) {
  ScratchDir dir;
  std::string path = dir.file("fw.grp");
  Verdict o = verify(dir, imagemaker::makeGrp(grp("1.1.43.3 build 7")));
  EXPECT_EQ(o.status, RM_STATUS_OK);
  EXPECT_EQ(o.imageFamily, 4);
  EXPECT_EQ(o.id, "1.1.43.3");
  EXPECT_EQ(o.trace,
            "\n[verifyGRP_file]\n"
            "Input file = " + path + "\n"
            "\n[VerifyGRP_Header]\n"
            "RM_STATUS_OK - Length = 140B, Status = 0\n"
            "RM_STATUS_OK - Halvard firmware file GRP Header magic number is OK = FEAA0001\n"
            "RM_STATUS_OK - Halvard firmware file GRP Header signature is OK    = F7A20000\n"
            "UFI GetHalvardBuildString = 1.1.43.3\n"
            "Halvard firmware version  = 1.1.43.3\n");
}

TEST(VerifyGrpFile, StatusesAndTraceLines) {
  struct Case {
    const char* what;
    GrpLayout layout;
    int status;
    const char* result;
    std::vector<std::string> traced;
    std::vector<std::string> notTraced;
  };
  const std::string magicBad = "RM_STATUS_ERROR - Halvard firmware file GRP Header magic number bad";
  const std::string signatureBad =
      "RM_STATUS_ERROR - Halvard firmware file GRP Header signature bad    = ";
  const std::string decodeBad =
      "RM_STATUS_ERROR - Halvard firmware file GRP Header version decode bad.\n";
  GrpLayout unterminated = grp("2.0.1.7");
  unterminated.unterminatedVersion = true;
  GrpLayout short139 = grp("1.0");
  short139.size = 139;
  const std::string digits31(31, '7');
  const Case cases[] = {
      {"lower signature bits are free", grp("1.2", 0xFEAA0001, 0xF7A2FFFF), RM_STATUS_OK, "1.2",
       {"signature is OK    = F7A2FFFF\n"}, {}},
      {"signature F7A3", grp("1.2", 0xFEAA0001, 0xF7A30000), RM_STATUS_ERROR, "",
       {signatureBad + "F7A30000\n"}, {magicBad, "is OK"}},
      {"bad magic number", grp("1.2", 0xFEAA0002), RM_STATUS_ERROR, "",
       {magicBad + " = FEAA0002\n"}, {signatureBad}},
      {"both bad: both lines", grp("1.2", 0x12345678, 0x0), RM_STATUS_ERROR, "",
       {magicBad + " = 12345678\n" + signatureBad + "0\n"}, {}},
      {"text starting with a letter: empty build text", grp("V1.2"), RM_STATUS_OK, "",
       {"UFI GetHalvardBuildString = \nHalvard firmware version  = \n"}, {}},
      {"version field without an end", unterminated, RM_STATUS_ERROR, "",
       {"UFI GetHalvardBuildString = \n" + decodeBad}, {"Halvard firmware version"}},
      {"31-character build text fits", grp(digits31 + " x"), RM_STATUS_OK, digits31.c_str(), {},
       {decodeBad}},
      {"32-character build text does not fit", grp(digits31 + "7"), RM_STATUS_ERROR, "",
       {decodeBad}, {"Halvard firmware version"}},
      {"139-byte file", short139, RM_STATUS_ERROR_SHORT_FWIMAGE, "",
       {"RM_STATUS_OK - Length = 139B, Status = 0\n"
        "RM_STATUS_ERROR_SHORT_FWIMAGE - GRP fileLength is smaller than the GRP header length! "
        "Status = 197\n"},
       {}},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    Verdict o = verify(dir, imagemaker::makeGrp(c.layout));
    EXPECT_EQ(o.status, c.status) << c.what;
    EXPECT_EQ(o.imageFamily, c.status == 0 ? 4 : -1) << c.what;
    EXPECT_EQ(o.id, c.result) << c.what;
    expectTraced(o, c.traced, c.what);
    expectNotTraced(o, c.notTraced, c.what);
  }
}

TEST(VerifyGrpFile, PreCheckFailures) {
  ScratchDir dir;
  Bytes good = imagemaker::makeGrp(grp("1.2"));
  Verdict o = verify(dir, good, "fw.Grp");
  EXPECT_EQ(o.status, RM_STATUS_ERROR_INCOMP_IMAGE);
  EXPECT_NE(o.trace.find("RM_STATUS_ERROR_INCOMP_IMAGE - Invalid GRP image extension! "
                         "Status = 194\nInvalid GRP Image! Not a Halvard Image!\n"),
            std::string::npos);
  EXPECT_EQ(verify(dir, good, "fw.GRP.bak").status, RM_STATUS_OK);

  TraceCapture trace;
  ImageIdText result;
  std::string missing = dir.file("none.grp");
  EXPECT_EQ(verifyGrpHeader(trace.out, missing.c_str(), result), RM_STATUS_ERROR_READING_RESOURCE);
  EXPECT_NE(trace.text().find("RM_STATUS_ERROR_READING_RESOURCE - Unable to open GRP image! "
                              "Status = 199\n"),
            std::string::npos);

  for (uint64_t size : {uint64_t(16777393), uint64_t(1) << 31, (uint64_t(1) << 32) + 140}) {
    std::string path = dir.write("big.grp", good);
    std::filesystem::resize_file(path, size);
    TraceCapture big;
    EXPECT_EQ(verifyGrpHeader(big.out, path.c_str(), result), RM_STATUS_ERROR_LONG_FWIMAGE);
    EXPECT_NE(big.text().find("RM_STATUS_ERROR_LONG_FWIMAGE - Invalid Halvard length! Status = 196\n"),
              std::string::npos);
  }
}

TEST(ReadGrpHeader, ResultsAndHeaderWords) {
  ScratchDir dir;
  GrpLayout layout = grp("1.2", 0xFEAA0001, 0xF7A21234);
  layout.firstWord = 0x01020304;
  GrpHeader header;
  EXPECT_EQ(readGrpHeader(header, dir.write("a.grp", imagemaker::makeGrp(layout)).c_str()), 0);
  EXPECT_EQ(header.firstWord, 0x01020304u);
  EXPECT_EQ(header.magicNumber, 0xFEAA0001u);
  EXPECT_EQ(header.signature, 0xF7A21234u);
  EXPECT_STREQ(header.version, "1.2");

  layout.magic = 0;
  EXPECT_EQ(readGrpHeader(header, dir.write("a.grp", imagemaker::makeGrp(layout)).c_str()), 1);
  EXPECT_EQ(header.magicNumber, 0u);  // the header as read, for the caller's trace
  EXPECT_EQ(readGrpHeader(header, dir.write("a.grp", Bytes(139, 0)).c_str()), 197);
  EXPECT_EQ(readGrpHeader(header, dir.file("none.grp").c_str()), 199);
}

}  // namespace
}  // namespace vornup
