#include "core/versions.h"

#include <gtest/gtest.h>

#include "core/adapter.h"
#include "core/image_node.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

struct ParseCase {
  const char* text;
  uint32_t major, minor, release, build;
};

TEST(ParseConvergedVersion, ReadsFourNumbers) {
  const ParseCase cases[] = {
      {"4.0.360.15", 4, 0, 360, 15},
      {"3.2.14.0", 2, 2, 14, 0},  // major 3 is read as 2
      {"4..360.15", 4, 360, 15, 0},
      {"4.0", 4, 0, 0, 0},
      {"", 0, 0, 0, 0},
      {"...", 0, 0, 0, 0},
      {".7.1", 7, 1, 0, 0},
      {"4.x.12b.9", 4, 0, 12, 9},
      {"2.1.5.6.7", 2, 1, 5, 6},
      {"30.1.2.3", 30, 1, 2, 3},
      {"2.3.4.5", 2, 3, 4, 5},  // only the major number changes
      {"99999999999.1", UINT32_MAX, 1, 0, 0},
      // Only the first 31 characters are read.
      {"1.2.3.0000000000000000000000000009", 1, 2, 3, 0},
  };
  for (const ParseCase& c : cases) {
    uint32_t major = 77, minor = 77, release = 77, build = 77;
    parseConvergedVersion(c.text, major, minor, release, build);
    EXPECT_EQ(major, c.major) << c.text;
    EXPECT_EQ(minor, c.minor) << c.text;
    EXPECT_EQ(release, c.release) << c.text;
    EXPECT_EQ(build, c.build) << c.text;
  }
}

struct BlockCase {
  VersionBlock a, b;
  int expected;
};

TEST(CompareConvergedVersions, FirstDifferingValueDecides) {
  const BlockCase cases[] = {
      {{ImageFamily::kx2, 4, 0, 360, 15}, {ImageFamily::kx2, 4, 0, 360, 15}, 0},
      // The image family comes first.
      {{ImageFamily::kx3, 1, 0, 0, 0}, {ImageFamily::kx2, 9, 9, 9, 9}, 1},
      {{ImageFamily::kx2, 9, 9, 9, 9}, {ImageFamily::kx3, 1, 0, 0, 0}, -1},
      {{ImageFamily::kx2, 5, 0, 0, 0}, {ImageFamily::kx2, 4, 9, 9, 9}, 1},
      {{ImageFamily::kx2, 4, 0, 0, 0}, {ImageFamily::kx2, 4, 1, 0, 0}, -1},
      {{ImageFamily::kx2, 4, 1, 361, 0}, {ImageFamily::kx2, 4, 1, 360, 99}, 1},
      {{ImageFamily::kx2, 4, 1, 360, 14}, {ImageFamily::kx2, 4, 1, 360, 15}, -1},
      {{ImageFamily::halvard, 1, 2, 3, 4}, {ImageFamily::halvard, 1, 2, 3, 3}, 1},
      // Unsigned, no wrap to negative.
      {{ImageFamily::halvard, UINT32_MAX, 0, 0, 0}, {ImageFamily::halvard, 1, 0, 0, 0}, 1},
  };
  for (const BlockCase& c : cases) {
    EXPECT_EQ(compareConvergedVersions(c.a, c.b), c.expected);
    EXPECT_EQ(compareConvergedVersions(c.b, c.a), -c.expected);
  }
}

TEST(VersionBlock, AdapterAndNodeGiveTheSameBlock) {
  Adapter a;
  a.imageFamily = ImageFamily::kx3;
  a.CNAMajorVer = 4;
  a.CNAMinorVer = 1;
  a.CNAReleaseVer = 2;
  a.CNABuildVer = 3;
  ImageNode n;
  n.imageFamily = ImageFamily::kx3;
  n.CNAMajorVer = 4;
  n.CNAMinorVer = 1;
  n.CNAReleaseVer = 2;
  n.CNABuildVer = 3;
  EXPECT_EQ(compareConvergedVersions(versionBlockOf(n), versionBlockOf(a)), 0);
  n.CNABuildVer = 4;
  EXPECT_EQ(compareConvergedVersions(versionBlockOf(n), versionBlockOf(a)), 1);
}

TEST(FcSortKey, PadsTheCountToSevenDigits) {
  const struct {
    const char* id;
    const char* key;
  } cases[] = {
      {"XY282A4", "XY282A0000004"},
      {"XY282A12", "XY282A0000012"},
      {"XY282A1234567", "XY282A1234567"},    // 13 characters: its own key
      {"XY282A12345678", "XY282A12345678"},  // longer: no padding
      {"XY2", "XY20000000000"},              // short identifier, nothing past its end
      {"", "0000000000000"},
  };
  for (const auto& c : cases) {
    FixedText<32> key("stale");
    buildFcSortKey(c.id, key);
    EXPECT_STREQ(key.c_str(), c.key) << c.id;
  }
}

TEST(FcSortKey, ComparesCharacterByCharacter) {
  const struct {
    const char* a;
    const char* b;
    bool aAboveB;
    bool bAboveA;
  } cases[] = {
      {"XY282A0000012", "XY282A0000004", true, false},
      {"XY282A0000004", "XY282A0000004", false, false},
      {"XY290A0000001", "XY282A0000009", true, false},
      {"XY282B0000001", "XY282A0000009", true, false},
      {"XZ100A0000001", "XY999B9999999", true, false},
      {"XY282A000000", "XY282A0000001", false, true},  // a shorter key ends first
      {"XY", "XY", false, false},
      // Characters compare as signed: a byte of 0x80 or above sorts low.
      {"XY282A000000\x80", "XY282A0000001", false, true},
      // Only 13 positions count.
      {"XY282A0000004Z", "XY282A0000004A", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isFcSortKeyAbove(c.a, c.b), c.aAboveB) << c.a << " / " << c.b;
    EXPECT_EQ(isFcSortKeyAbove(c.b, c.a), c.bAboveA) << c.b << " / " << c.a;
  }
}

// The sort key of a longer count sorts above that of a shorter one.
TEST(FcSortKey, BuiltKeysOrderByCount) {
  FixedText<32> low, high;
  buildFcSortKey("XY282A4", low);
  buildFcSortKey("XY282A12", high);
  EXPECT_TRUE(isFcSortKeyAbove(high.c_str(), low.c_str()));
  EXPECT_FALSE(isFcSortKeyAbove(low.c_str(), high.c_str()));
}

struct FcCase {
  const char* newVersion;
  const char* installed;
  bool plain;      // neither /rewrite nor /downgrade
  bool rewrite;    // /rewrite
  bool downgrade;  // /downgrade
};

TEST(IsFcUpdateNeeded, EveryTieBreak) {
  const FcCase cases[] = {
      // No installed version: only /downgrade answers true.
      {"282A4", "NONE", false, false, true},
      {"282A4", "N/A", false, false, true},
      // Equal strings.
      {"282A4", "282A4", false, true, true},
      // First character.
      {"310A1", "282A4", true, true, true},
      {"190A9", "282A4", false, false, false},
      // Digit run as a number.
      {"290A1", "282A4", true, true, true},
      {"272A9", "282A4", false, false, false},
      {"2720A1", "272A2", true, true, true},
      {"272A2", "2720A1", false, false, false},
      {"2A4", "282A4", false, false, false},  // empty run counts as 0
      {"2999999999999999999A1", "282A1", true, true, true},
      // Release letters: B above all, A below all, no order between others.
      {"282B1", "282A4", true, true, true},
      {"282X1", "282B4", false, false, false},
      {"282A9", "282B1", false, false, false},
      {"282N1", "282A9", true, true, true},
      {"282B1", "282N9", true, true, true},
      {"282A9", "282N1", false, false, false},
      {"282N4", "282X4", false, false, false},
      {"282X4", "282N4", false, false, false},
      // The count: longer is newer, then the larger value.
      {"282A10", "282A4", true, true, true},
      {"282A4", "282A10", false, false, false},
      {"282A5", "282A4", true, true, true},
      {"282A3", "282A4", false, false, false},
      {"282A0", "282A", true, true, true},
      {"282A", "282A0", false, false, false},
      // Equal at every rule but spelled differently: not newer.
      {"2082A4", "282A4", false, false, false},
      {"282A4", "2082A4", false, false, false},
      {"282", "2082", false, false, false},
      // Empty texts never read past their end.
      {"", "282A4", false, false, false},
      {"282A4", "", true, true, true},
      {"", "", false, true, true},
  };
  for (const FcCase& c : cases) {
    CapturedRun plain;
    EXPECT_EQ(isFcUpdateNeeded(plain.run, c.newVersion, c.installed), c.plain)
        << c.newVersion << " over " << c.installed;
    CapturedRun rewrite;
    rewrite.run.sw.rewrite = true;
    EXPECT_EQ(isFcUpdateNeeded(rewrite.run, c.newVersion, c.installed), c.rewrite)
        << c.newVersion << " over " << c.installed << " /rewrite";
    CapturedRun downgrade;
    downgrade.run.sw.downgrade = true;
    EXPECT_EQ(isFcUpdateNeeded(downgrade.run, c.newVersion, c.installed), c.downgrade)
        << c.newVersion << " over " << c.installed << " /downgrade";
  }
}

Adapter convergedAdapter(int32_t cnaType, uint32_t pciID, ImageFamily imageFamily, uint32_t major,
                         uint32_t minor, uint32_t release, uint32_t build) {
  Adapter a;
  a.cnaType = cnaType;
  a.pciID = pciID;
  a.imageFamily = imageFamily;
  a.CNAMajorVer = major;
  a.CNAMinorVer = minor;
  a.CNAReleaseVer = release;
  a.CNABuildVer = build;
  return a;
}

ImageNode convergedImage(ImageFamily imageFamily, uint32_t major, uint32_t minor, uint32_t release,
                         uint32_t build) {
  ImageNode n;
  n.imageFamily = imageFamily;
  n.CNAMajorVer = major;
  n.CNAMinorVer = minor;
  n.CNAReleaseVer = release;
  n.CNABuildVer = build;
  return n;
}

struct ConvergedCase {
  Adapter adapter;
  ImageNode image;
  bool plain, rewrite, downgrade;
};

TEST(IsConvergedUpdateNeeded, ComparesTheFiveValueBlocks) {
  const ConvergedCase cases[] = {
      // Newer, equal and older images on a KX2 NIC function.
      {convergedAdapter(kCnaTypeNic, 0x3A00, ImageFamily::kx2, 4, 0, 360, 15),
       convergedImage(ImageFamily::kx2, 4, 1, 0, 0), true, true, true},
      {convergedAdapter(kCnaTypeNic, 0x3A00, ImageFamily::kx2, 4, 0, 360, 15),
       convergedImage(ImageFamily::kx2, 4, 0, 360, 15), false, true, true},
      {convergedAdapter(kCnaTypeNic, 0x3A00, ImageFamily::kx2, 4, 1, 0, 0),
       convergedImage(ImageFamily::kx2, 4, 0, 360, 15), false, false, false},
      // The Halvard FC adapter takes the converged rules.
      {convergedAdapter(kCnaTypeFc, 0x6C00, ImageFamily::halvard, 1, 2, 3, 4),
       convergedImage(ImageFamily::halvard, 1, 2, 3, 5), true, true, true},
      {convergedAdapter(kCnaTypeFc, 0x6C00, ImageFamily::halvard, 1, 2, 3, 4),
       convergedImage(ImageFamily::halvard, 1, 2, 3, 4), false, true, true},
      // A plain FC adapter never takes a converged image.
      {convergedAdapter(kCnaTypeFc, 0x7D00, ImageFamily::none, 0, 0, 0, 0),
       convergedImage(ImageFamily::kx2, 9, 9, 9, 9), false, false, false},
      // A higher image family counts as newer.
      {convergedAdapter(kCnaTypeFcoe, 0x3A10, ImageFamily::kx2, 4, 1, 0, 0),
       convergedImage(ImageFamily::kx3, 1, 0, 0, 0), true, true, true},
  };
  for (const ConvergedCase& c : cases) {
    CapturedRun plain;
    EXPECT_EQ(isConvergedUpdateNeeded(plain.run, c.image, c.adapter), c.plain);
    EXPECT_EQ(isUpdateNeeded(plain.run, c.adapter, c.image, "ignored"), c.plain);
    CapturedRun rewrite;
    rewrite.run.sw.rewrite = true;
    EXPECT_EQ(isConvergedUpdateNeeded(rewrite.run, c.image, c.adapter), c.rewrite);
    CapturedRun downgrade;
    downgrade.run.sw.downgrade = true;
    EXPECT_EQ(isConvergedUpdateNeeded(downgrade.run, c.image, c.adapter), c.downgrade);
  }
}

TEST(IsUpdateNeeded, FcAdaptersCompareTheIdentifierWithoutItsTypeCode) {
  CapturedRun r;
  Adapter fc;
  fc.cnaType = kCnaTypeFc;
  fc.pciID = 0x7D00;
  ImageNode image;
  image.imageFamily = ImageFamily::fc;
  image.decodedId.set("XY290A1");
  EXPECT_TRUE(isUpdateNeeded(r.run, fc, image, "282A4"));
  EXPECT_FALSE(isUpdateNeeded(r.run, fc, image, "290A1"));
  EXPECT_FALSE(isUpdateNeeded(r.run, fc, image, "NONE"));
  image.decodedId.set("X");  // shorter than a type code: compared as empty
  EXPECT_FALSE(isUpdateNeeded(r.run, fc, image, "282A4"));
  r.run.sw.rewrite = true;
  image.decodedId.set("XY290A1");
  EXPECT_TRUE(isUpdateNeeded(r.run, fc, image, "290A1"));
}

TEST(IsUpdateNeeded, ConvergedFamilyIgnoresTheInstalledText) {
  CapturedRun r;
  Adapter nic = convergedAdapter(kCnaTypeNic, 0x3A00, ImageFamily::kx2, 4, 0, 360, 15);
  ImageNode image = convergedImage(ImageFamily::kx2, 4, 1, 0, 0);
  image.decodedId.set("4.1.0.0");
  EXPECT_TRUE(isUpdateNeeded(r.run, nic, image, "9.9.9.9"));
  EXPECT_TRUE(isUpdateNeeded(r.run, nic, image, "NONE"));
}

}  // namespace
}  // namespace vornup
