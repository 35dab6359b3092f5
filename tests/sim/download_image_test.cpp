// What a simulated download installs: the image read with the program's own
// readers, its identifier turned into the version the tool then reports.
#include "sim/download_image.h"

#include <gtest/gtest.h>

#include <string>

#include "support/captured_run.h"
#include "support/image_files.h"

namespace tandrelsim {
namespace {

using vornup::ScratchDirectory;
namespace images = vornup::testimages;

TEST(ToolVersionText, FibreChannelIdentifiersLoseTheirTypeCode) {
  struct Case {
    const char* decodedId;
    bool fibreChannel;
    const char* shown;
  };
  const Case cases[] = {
      {"ZF290A1", true, "2.90A1"},
      {"ZU520A1", true, "5.20A1"},
      {"BF2150X12", true, "2.150X12"},
      {"290A1", true, "2.90A1"},  // no type code
      {"ZF", true, ""},
      {"", true, ""},
      {"4.1.0.0", false, "4.1.0.0"},
      {"3.2.10.4", false, "3.2.10.4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toolVersionText(c.decodedId, c.fibreChannel), c.shown) << c.decodedId;
  }
}

TEST(DescribeDownloadImage, EachFormatIsReadForItsVersion) {
  ScratchDirectory scratch;
  images::writeAll(scratch.file("zf fw.all"), 225, "290A1");
  images::writePrg(scratch.file("zu boot.prg"), 231, "520A1");
  images::writeUfi(scratch.file("kc21.ufi"), "4.1.0.0");
  images::writeUfi(scratch.file("kc32.ufi"), "4.2.7.1", vornup::imagemaker::UfiChip::kx3);
  images::writeGrp(scratch.file("kh.grp"), "3.2.10.4 build 7");
  // The name does not decide: a PRG file under a firmware name is boot code.
  images::writePrg(scratch.file("misnamed.all"), 231, "521A0");
  struct Case {
    const char* name;
    bool bootCode;
    const char* version;
  };
  const Case cases[] = {
      {"zf fw.all", false, "2.90A1"}, {"zu boot.prg", true, "5.20A1"},
      {"kc21.ufi", false, "4.1.0.0"}, {"kc32.ufi", false, "4.2.7.1"},
      {"kh.grp", false, "3.2.10.4"},  {"misnamed.all", true, "5.21A0"},
  };
  for (const Case& c : cases) {
    DownloadImage image = describeDownloadImage(scratch.file(c.name));
    EXPECT_TRUE(image.accepted) << c.name << ": " << image.problem;
    EXPECT_EQ(image.bootCode, c.bootCode) << c.name;
    EXPECT_EQ(image.version, c.version) << c.name;
    EXPECT_EQ(image.problem, "") << c.name;
  }
}

TEST(DescribeDownloadImage, MissingOrDamagedFilesAreRefused) {
  ScratchDirectory scratch;
  images::writeJunk(scratch.file("junk.all"));
  vornup::imagemaker::AllLayout badSum;
  badSum.badChecksum = true;
  images::writeBytes(scratch.file("sum.all"), vornup::imagemaker::makeAll(badSum));
  vornup::imagemaker::UfiLayout noCookie;
  noCookie.cookie = false;
  images::writeBytes(scratch.file("nocookie.ufi"), vornup::imagemaker::makeUfi(noCookie));
  for (const char* name : {"junk.all", "sum.all", "nocookie.ufi"}) {
    DownloadImage image = describeDownloadImage(scratch.file(name));
    EXPECT_FALSE(image.accepted) << name;
    EXPECT_EQ(image.version, "") << name;
    EXPECT_EQ(image.problem,
              scratch.file(name) + " is not a valid Korvane firmware or boot code image");
  }
  DownloadImage missing = describeDownloadImage(scratch.file("absent.all"));
  EXPECT_FALSE(missing.accepted);
  EXPECT_EQ(missing.problem, "cannot open the image file " + scratch.file("absent.all"));
  DownloadImage directory = describeDownloadImage(scratch.path());
  EXPECT_FALSE(directory.accepted);
}

}  // namespace
}  // namespace tandrelsim
