#include "selection/image_discovery.h"
#include "selection/image_discovery_scan.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "decision_fixture.h"
#include "images/image_status.h"

namespace vornup {
namespace {

using testimages::writeAll;
using testimages::writeGrp;
using testimages::writeJunk;
using testimages::writePrg;
using testimages::writeUfi;

constexpr ImageKind kFw = ImageKind::firmware;
constexpr ImageKind kBoot = ImageKind::bootCode;

// ---- Names ---------------------------------------------------------------

struct NameCase {
  const char* name;
  ImageKind directory;
  bool valid;
  ImageFileKind kind;
};

const NameCase kNameCases[] = {
    {"fw1.all", kFw, true, ImageFileKind::all},
    {"FW2.ALL", kFw, true, ImageFileKind::all},
    {"fw3.All", kFw, false, ImageFileKind::all},
    {"kc20.ufi", kFw, true, ImageFileKind::ufi},
    {"KC20.UFI", kFw, true, ImageFileKind::ufi},
    {"kc20.Ufi", kFw, false, ImageFileKind::all},
    {"kh16.grp", kFw, true, ImageFileKind::grp},
    {"KH16.GRP", kFw, true, ImageFileKind::grp},
    {"x.PRG", kFw, false, ImageFileKind::all},
    {"x.prg", kBoot, true, ImageFileKind::prg},
    {"X.PRG", kBoot, true, ImageFileKind::prg},
    {"x.ALL", kBoot, false, ImageFileKind::all},
    {"x.Prg", kBoot, false, ImageFileKind::all},
    {"both.ALL.UFI", kFw, true, ImageFileKind::all},  // ALL is tried first
    {"both.UFI.GRP", kFw, true, ImageFileKind::ufi},
    {"mid.ALL.bak", kFw, true, ImageFileKind::all},  // anywhere in the name
    {"noextension", kFw, false, ImageFileKind::all},
    {"", kBoot, false, ImageFileKind::all},
};

TEST(ClassifyImageName, TakesTheExtensionsOfItsDirectoryOnly) {
  for (const NameCase& t : kNameCases) {
    ImageFileKind kind = ImageFileKind::all;
    EXPECT_EQ(classifyImageName(t.name, t.directory, kind), t.valid) << t.name;
    if (t.valid) {
      EXPECT_EQ(kind, t.kind) << t.name;
    }
  }
}

TEST(ImageExtensionTable, EveryEntryIsConsistent) {
  ASSERT_EQ(kImageExtensionCount, 4u);
  for (std::size_t i = 0; i < kImageExtensionCount; ++i) {
    const ImageExtension& e = kImageExtensions[i];
    const std::string upper = e.upper;
    const std::string lower = e.lower;
    ASSERT_EQ(upper.size(), 4u) << i;
    ASSERT_EQ(lower.size(), 4u) << i;
    EXPECT_EQ(upper[0], '.') << i;
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_EQ(upper[k], std::toupper(static_cast<unsigned char>(lower[k]))) << i;
      EXPECT_EQ(lower[k], std::tolower(static_cast<unsigned char>(upper[k]))) << i;
    }
    // Boot code comes in PRG files only, firmware never does.
    EXPECT_EQ(e.imageKind == kBoot, e.kind == ImageFileKind::prg) << i;
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(upper, kImageExtensions[j].upper) << i;
  }
}

// ---- Verification and nodes ---------------------------------------------

class ImageFiles : public DecisionFixture {};

TEST_F(ImageFiles, VerifyImageFileRunsTheReaderOfTheKind) {
  writeAll(firmwarePath("tf.all"), testimages::kAllIdTF, "282A4");
  writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, "510A3");
  writeUfi(firmwarePath("kx2.ufi"), "4.1.0.0", imagemaker::UfiChip::kx2);
  writeUfi(firmwarePath("kx3.ufi"), "4.2.10.1", imagemaker::UfiChip::kx3);
  writeGrp(firmwarePath("kh.grp"), "1.1.43.3");
  struct Case {
    std::string path;
    ImageFileKind kind;
    const char* id;
    ImageFamily family;
  };
  const Case cases[] = {
      {firmwarePath("tf.all"), ImageFileKind::all, "TF282A4", ImageFamily::fc},
      {bootPath("tu.prg"), ImageFileKind::prg, "TU510A3", ImageFamily::fc},
      {firmwarePath("kx2.ufi"), ImageFileKind::ufi, "4.1.0.0", ImageFamily::kx2},
      {firmwarePath("kx3.ufi"), ImageFileKind::ufi, "4.2.10.1", ImageFamily::kx3},
      {firmwarePath("kh.grp"), ImageFileKind::grp, "1.1.43.3", ImageFamily::halvard},
  };
  for (const Case& t : cases) {
    ImageIdText result;
    ImageFamily family = static_cast<ImageFamily>(99);
    EXPECT_EQ(verifyImageFile(c.run.out, t.path.c_str(), result, t.kind, family), 0) << t.path;
    EXPECT_STREQ(result.c_str(), t.id) << t.path;
    EXPECT_EQ(family, t.family) << t.path;
  }
}

TEST_F(ImageFiles, VerifyImageFileRefusesAnUnknownKindAndBadFiles) {
  writeJunk(firmwarePath("junk.ufi"));
  ImageIdText result;
  ImageFamily family = ImageFamily::none;
  EXPECT_EQ(verifyImageFile(c.run.out, firmwarePath("junk.ufi").c_str(), result,
                            static_cast<ImageFileKind>(9), family),
            kUnknownImageFileKind);
  EXPECT_NE(verifyImageFile(c.run.out, firmwarePath("junk.ufi").c_str(), result,
                            ImageFileKind::ufi, family),
            0);
  EXPECT_EQ(verifyImageFile(c.run.out, firmwarePath("absent.all").c_str(), result,
                            ImageFileKind::all, family),
            OPEN_FILE_ERROR);
}

TEST_F(ImageFiles, InitFileImageFillsTheNodeOfAGoodFile) {
  writeAll(firmwarePath("Tf282a12.all"), testimages::kAllIdTF, "282A12");
  ImageNode node;
  EXPECT_EQ(initFileImage(c.run, node, c.run.firmwareDirectory.c_str(), "Tf282a12.all", kFw).status, 0);
  EXPECT_STREQ(node.actualFileName.c_str(), "Tf282a12.all");
  EXPECT_STREQ(node.sortedFileName.c_str(), "TF282A12.ALL");
  EXPECT_STREQ(node.decodedId.c_str(), "TF282A12");
  EXPECT_STREQ(node.fcSortKey.c_str(), "TF282A0000012");
  EXPECT_EQ(node.imageFamily, ImageFamily::fc);
  EXPECT_EQ(node.CNAMajorVer + node.CNAMinorVer + node.CNAReleaseVer + node.CNABuildVer, 0u);
}

TEST_F(ImageFiles, InitFileImageReadsConvergedVersionsWithMajorThreeAsTwo) {
  writeUfi(firmwarePath("kc.ufi"), "3.2.14.0");
  ImageNode node;
  EXPECT_EQ(initFileImage(c.run, node, c.run.firmwareDirectory.c_str(), "kc.ufi", kFw).status, 0);
  EXPECT_STREQ(node.decodedId.c_str(), "3.2.14.0");
  EXPECT_STREQ(node.fcSortKey.c_str(), "N/A");
  EXPECT_EQ(node.imageFamily, ImageFamily::kx2);
  EXPECT_EQ(node.CNAMajorVer, 2u);
  EXPECT_EQ(node.CNAMinorVer, 2u);
  EXPECT_EQ(node.CNAReleaseVer, 14u);
  EXPECT_EQ(node.CNABuildVer, 0u);
}

TEST_F(ImageFiles, InitFileImageRejectsNamesOfTheWrongKindAndUnsafeNames) {
  writePrg(firmwarePath("fw.PRG"), testimages::kPrgIdTU, "510A3");
  writeAll(firmwarePath("fw%1.all"), testimages::kAllIdTF, "282A4");
  for (const char* name : {"fw.PRG", "fw%1.all"}) {
    ImageNode node;
    node.actualFileName.set("untouched");
    const ImageCheckResult checked =
        initFileImage(c.run, node, c.run.firmwareDirectory.c_str(), name, kFw);
    EXPECT_EQ(checked.status, 1) << name;
    EXPECT_EQ(checked.check, ImageCheck::notAnImageName) << name;
    EXPECT_STREQ(node.actualFileName.c_str(), "untouched");
    EXPECT_EQ(c.trace(),
              std::string("ERROR: [initFileImage] - Skipping invalid file = ") + name + "\n");
  }
}

TEST_F(ImageFiles, InitFileImagePassesOnTheVerifierStatus) {
  writeJunk(firmwarePath("junk.all"));
  ImageNode node;
  node.actualFileName.set("untouched");
  const char* dir = c.run.firmwareDirectory.c_str();
  EXPECT_EQ(initFileImage(c.run, node, dir, "absent.all", kFw).status, OPEN_FILE_ERROR);
  const ImageCheckResult junk = initFileImage(c.run, node, dir, "junk.all", kFw);
  EXPECT_NE(junk.status, 0);
  EXPECT_NE(junk.status, 1);
  EXPECT_EQ(junk.check, ImageCheck::invalid);
  const ImageCheckResult absent = initFileImage(c.run, node, dir, "absent.ufi", kFw);
  EXPECT_EQ(absent.status, RM_STATUS_ERROR_READING_RESOURCE);
  EXPECT_EQ(absent.check, ImageCheck::unreadable);
  EXPECT_STREQ(node.actualFileName.c_str(), "untouched");
}

TEST_F(ImageFiles, InitFileImageNeverOpensADirectory) {
  ASSERT_TRUE(std::filesystem::create_directory(firmwarePath("dir.all")));
  ImageNode node;
  EXPECT_EQ(initFileImage(c.run, node, c.run.firmwareDirectory.c_str(), "dir.all", kFw).status,
            OPEN_FILE_ERROR);
}

TEST(FillImageNode, ANameThatAlsoSaysUfiGetsNoSortKey) {
  ImageNode node;
  fillImageNode(node, "tf.all.ufi", ImageIdText("TF282A4"), ImageFamily::fc);
  EXPECT_STREQ(node.sortedFileName.c_str(), "TF.ALL.UFI");
  EXPECT_STREQ(node.fcSortKey.c_str(), "N/A");
  fillImageNode(node, "tf.prg", ImageIdText("TU510A3"), ImageFamily::fc);
  EXPECT_STREQ(node.fcSortKey.c_str(), "TU510A0000003");
}

// ---- Sorted insertion ------------------------------------------------------

ImageNode fcNode(const char* name, const char* id) {
  ImageNode node;
  fillImageNode(node, name, ImageIdText(id), ImageFamily::fc);
  return node;
}

ImageNode convergedNode(const char* name, const char* version, ImageFamily family) {
  ImageNode node;
  fillImageNode(node, name, ImageIdText(version), family);
  return node;
}

std::vector<std::string> namesOf(const ImageList& list) {
  std::vector<std::string> names;
  for (const ImageNode& node : list) names.push_back(node.actualFileName.c_str());
  return names;
}

TEST(InsertImageSorted, FcImagesFirstByKeyThenConvergedByFamilyAndVersion) {
  ImageList list;
  insertImageSorted(list, convergedNode("kx2old.ufi", "4.0.360.15", ImageFamily::kx2));
  insertImageSorted(list, fcNode("tf4.all", "TF282A4"));
  insertImageSorted(list, convergedNode("kh.grp", "1.1.43.3", ImageFamily::halvard));
  insertImageSorted(list, fcNode("lf.all", "LF300A1"));
  insertImageSorted(list, convergedNode("kx2new.ufi", "4.1.0.0", ImageFamily::kx2));
  insertImageSorted(list, fcNode("tf12.all", "TF282A12"));
  insertImageSorted(list, convergedNode("kx3.ufi", "4.0.0.0", ImageFamily::kx3));
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"tf12.all", "tf4.all", "lf.all", "kh.grp",
                                                     "kx3.ufi", "kx2new.ufi", "kx2old.ufi"}));
}

TEST(InsertImageSorted, EqualVersionsKeepTheOrderTheyCameIn) {
  ImageList list;
  insertImageSorted(list, fcNode("first.all", "TF282A4"));
  insertImageSorted(list, convergedNode("first.ufi", "4.1.0.0", ImageFamily::kx2));
  insertImageSorted(list, fcNode("second.all", "TF282A4"));
  insertImageSorted(list, convergedNode("second.ufi", "4.1.0.0", ImageFamily::kx2));
  insertImageSorted(list, fcNode("third.all", "TF282A4"));
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"first.all", "second.all", "third.all",
                                                     "first.ufi", "second.ufi"}));
}

// Sorting a whole directory's nodes at once gives exactly the list that
// inserting them one by one gives, ties included, for every order the files
// may come in (FC keys that differ only past their compared part, short and
// odd identifiers, equal converged versions of several families).
TEST(FillSortedList, EqualsInsertingOneByOne) {
  std::vector<ImageNode> nodes;
  const char* fcIds[] = {"TF282A4", "TF282A12", "TF282A4", "LF300A1", "TF282A4",  "ZF290A1",
                         "ZF290A1", "TF",       "T",       "",        "TF282A40", "TF282A4X",
                         "BF210A6", "ZF290A10", "zf290a1", "TF282B4", "\xC3TF"};
  for (std::size_t i = 0; i < sizeof fcIds / sizeof fcIds[0]; ++i) {
    nodes.push_back(fcNode(("fc" + std::to_string(i) + ".all").c_str(), fcIds[i]));
  }
  const struct {
    const char* version;
    ImageFamily family;
  } converged[] = {{"4.1.0.0", ImageFamily::kx2},     {"4.1.0.0", ImageFamily::kx3},
                   {"4.1.0.0", ImageFamily::kx2},     {"1.1.43.3", ImageFamily::halvard},
                   {"4.0.360.15", ImageFamily::kx2},  {"4.1.0.0", ImageFamily::kx2},
                   {"junk", ImageFamily::kx3},        {"", ImageFamily::halvard},
                   {"1.1.43.3", ImageFamily::halvard}};
  for (std::size_t i = 0; i < sizeof converged / sizeof converged[0]; ++i) {
    nodes.push_back(convergedNode(("cv" + std::to_string(i) + ".ufi").c_str(), converged[i].version,
                                  converged[i].family));
  }
  unsigned seed = 12345;
  for (int round = 0; round < 200; ++round) {
    // A fresh order of the same nodes (a small linear congruential shuffle,
    // so every run tests the same orders).
    for (std::size_t i = nodes.size() - 1; i > 0; --i) {
      seed = seed * 1103515245u + 12345u;
      std::swap(nodes[i], nodes[(seed >> 8) % (i + 1)]);
    }
    ImageList inserted;
    for (const ImageNode& node : nodes) insertImageSorted(inserted, node);
    ImageList sorted(nodes.begin(), nodes.end());
    sortImageList(sorted);
    ASSERT_EQ(namesOf(sorted), namesOf(inserted)) << "round " << round;
  }
}

// ---- Directory scan --------------------------------------------------------

class Discovery : public DecisionFixture {
 protected:
  DirectoryScanOutcome discoverFirmware(ImageList& list) {
    return discoverImages(c.run, c.run.firmwareDirectory.c_str(), kFw, list);
  }
  static std::string skipped(const std::string& name) {
    return "ERROR: [AutoFileDisco] - Skipping invalid file = " + name + "\n\n";
  }
};

TEST_F(Discovery, TakesBothSpellingsOfAnExtensionAndSkipsMixedCase) {
  writeAll(firmwarePath("fw1.all"), testimages::kAllIdTF, "282A4");
  writeAll(firmwarePath("FW2.ALL"), testimages::kAllIdTF, "290A1");
  writeAll(firmwarePath("fw3.All"), testimages::kAllIdTF, "300A1");
  ImageList list;
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::accepted);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"FW2.ALL", "fw1.all"}));
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, skipped("fw3.All"))) << trace;
  EXPECT_EQ(occurrences(trace, "Skipping invalid file"), 1) << trace;
}

TEST_F(Discovery, EachDirectoryTakesItsOwnKindOnly) {
  writePrg(firmwarePath("x.PRG"), testimages::kPrgIdTU, "510A3");
  writeAll(bootPath("x.ALL"), testimages::kAllIdTF, "282A4");
  writePrg(bootPath("y.prg"), testimages::kPrgIdTU, "510A3");
  ImageList firmware;
  EXPECT_EQ(discoverFirmware(firmware), DirectoryScanOutcome::nothing);
  EXPECT_TRUE(firmware.empty());
  ImageList boot;
  EXPECT_EQ(discoverImages(c.run, c.run.bootDirectory.c_str(), kBoot, boot),
            DirectoryScanOutcome::accepted);
  EXPECT_EQ(namesOf(boot), (std::vector<std::string>{"y.prg"}));
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, skipped("x.PRG"))) << trace;
  EXPECT_TRUE(holds(trace, skipped("x.ALL"))) << trace;
}

TEST_F(Discovery, NamesOfThirtyTwoCharactersAreSkipped) {
  const std::string name31 = std::string(27, 'a') + ".all";
  const std::string name32 = std::string(28, 'b') + ".all";
  writeAll(firmwarePath(name31), testimages::kAllIdTF, "282A4");
  writeAll(firmwarePath(name32), testimages::kAllIdTF, "282A4");
  ImageList list;
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::accepted);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{name31}));
  EXPECT_TRUE(holds(c.trace(), skipped(name32)));
}

TEST_F(Discovery, AFileThatFailsVerificationIsLeftOutSilently) {
  writeJunk(firmwarePath("junk.all"));
  writeAll(firmwarePath("good.all"), testimages::kAllIdTF, "282A4");
  ImageList list;
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::accepted);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"good.all"}));
  EXPECT_FALSE(holds(c.trace(), "Skipping invalid file"));
}

TEST_F(Discovery, SortsHighestFirstWithFcBeforeConverged) {
  writeUfi(firmwarePath("kc4036015.ufi"), "4.0.360.15");
  writeAll(firmwarePath("tf282a4.all"), testimages::kAllIdTF, "282A4");
  writeUfi(firmwarePath("kc4100.ufi"), "4.1.0.0");
  writeAll(firmwarePath("tf282a12.all"), testimages::kAllIdTF, "282A12");
  writeGrp(firmwarePath("kh.grp"), "1.1.43.3");
  writeAll(firmwarePath("lf.all"), testimages::kAllIdLF, "390A1");
  ImageList list;
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::accepted);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"tf282a12.all", "tf282a4.all", "lf.all",
                                                     "kh.grp", "kc4100.ufi", "kc4036015.ufi"}));
}

TEST_F(Discovery, SubdirectoriesAreSkippedWithoutATraceLine) {
  ASSERT_TRUE(std::filesystem::create_directory(firmwarePath("sub.all")));
  ImageList list;
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::nothing);
  EXPECT_FALSE(holds(c.trace(), "Skipping"));
}

TEST_F(Discovery, AMissingDirectoryIsToldApartFromAnEmptyOne) {
  ImageList list;
  list.push_back(ImageNode());
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::nothing);
  EXPECT_TRUE(list.empty());
  list.push_back(ImageNode());
  const std::string missing = c.scratch.path() + "nowhere" + kPathSeparator;
  EXPECT_EQ(discoverImages(c.run, missing.c_str(), kFw, list), DirectoryScanOutcome::noDirectory);
  EXPECT_TRUE(list.empty());
}

TEST_F(Discovery, NamesThatCouldBreakOutOfACommandLineAreSkipped) {
  writeAll(firmwarePath("good name & more.all"), testimages::kAllIdTF, "282A4");
  std::vector<std::string> unsafe = {"per%cent%.all"};
  if (kPathSeparator == '/') {
    // Characters the POSIX shell expands inside double quotes, and those no
    // Windows file name can hold.
    unsafe.insert(unsafe.end(), {"a$HOME.all", "b`id`.all", "c\\d.all", "e\"f.all", "g\th.all"});
  }
  for (const std::string& name : unsafe) {
    writeAll(firmwarePath(name), testimages::kAllIdTF, "290A1");
  }
  ImageList list;
  EXPECT_EQ(discoverFirmware(list), DirectoryScanOutcome::accepted);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"good name & more.all"}));
  const std::string trace = c.trace();
  for (const std::string& name : unsafe) EXPECT_TRUE(holds(trace, skipped(name))) << name;
}

// ---- The automatic-mode step -------------------------------------------------

class AutoDiscovery : public DecisionFixture {
 protected:
  void SetUp() override {
    DecisionFixture::SetUp();
    c.run.sw.autoMode = true;
    writeAll(firmwarePath("tf.all"), testimages::kAllIdTF, "282A4");
    writePrg(bootPath("tu.prg"), testimages::kPrgIdTU, "510A3");
  }
  void removeDirectory(const FixedText<256>& directory) {
    std::filesystem::remove_all(directory.c_str());
  }
};

struct SwitchCase {
  const char* description;
  bool Switches::*flag;
  bool firmware;
  bool boot;
};

const SwitchCase kSwitchCases[] = {
    {"/ff", &Switches::forceFw, true, false},         {"/fb", &Switches::forceBootCode, false, true},
    {"/update", &Switches::update, true, true},       {"/rewrite", &Switches::rewrite, true, true},
    {"/downgrade", &Switches::downgrade, true, true}, {"/q alone", &Switches::query, false, false},
};

TEST_F(AutoDiscovery, SearchesOnlyTheDirectoriesTheOperationNeeds) {
  for (const SwitchCase& t : kSwitchCases) {
    c.run.sw = Switches();
    c.run.sw.autoMode = true;
    c.run.sw.*t.flag = 1;
    c.run.firmwareList.clear();
    c.run.bootList.clear();
    EXPECT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::done) << t.description;
    EXPECT_EQ(c.run.firmwareList.size(), t.firmware ? 1u : 0u) << t.description;
    EXPECT_EQ(c.run.bootList.size(), t.boot ? 1u : 0u) << t.description;
    const std::string trace = c.trace();
    EXPECT_EQ(holds(trace, "\n[Auto Firmware Discovery]\n"), t.firmware) << t.description;
    EXPECT_EQ(holds(trace, "\n[Auto Boot Code Discovery]\n"), t.boot) << t.description;
  }
}

TEST_F(AutoDiscovery, DoesNothingOutsideAutomaticMode) {
  c.run.sw.autoMode = false;
  c.run.sw.update = true;
  EXPECT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::done);
  EXPECT_TRUE(c.run.firmwareList.empty());
  EXPECT_EQ(c.trace(), "");
}

TEST_F(AutoDiscovery, TracesBothLists) {
  c.run.sw.update = true;
  ASSERT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::done);
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, "\n[Firmware List]\nActual  = tf.all\nDecoded = TF282A4\n\n")) << trace;
  EXPECT_TRUE(holds(trace, "\n[Boot Code List]\nActual  = tu.prg\nDecoded = TU510A3\n\n")) << trace;
}

TEST_F(AutoDiscovery, EmptyDirectoriesAreNoError) {
  std::filesystem::remove(firmwarePath("tf.all"));
  std::filesystem::remove(bootPath("tu.prg"));
  c.run.sw.update = true;
  EXPECT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::done);
  EXPECT_TRUE(c.run.firmwareList.empty());
  EXPECT_TRUE(c.run.bootList.empty());
  EXPECT_EQ(occurrences(c.trace(), "File List is null!\n"), 2);
}

TEST_F(AutoDiscovery, AMissingFirmwareDirectoryEndsTheStep) {
  removeDirectory(c.run.firmwareDirectory);
  c.run.sw.update = true;
  EXPECT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::firmwareDirectoryMissing);
  const std::string trace = c.trace();
  EXPECT_TRUE(holds(trace, "\n[Firmware List]\nFile List is null!\n")) << trace;
  EXPECT_FALSE(holds(trace, "[Auto Boot Code Discovery]")) << trace;
}

TEST_F(AutoDiscovery, AMissingBootDirectoryIsReported) {
  removeDirectory(c.run.bootDirectory);
  c.run.sw.update = true;
  EXPECT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::bootDirectoryMissing);
  EXPECT_EQ(c.run.firmwareList.size(), 1u);
}

TEST_F(AutoDiscovery, AMissingDirectoryThatIsNotNeededDoesNotMatter) {
  removeDirectory(c.run.bootDirectory);
  c.run.sw.forceFw = true;
  EXPECT_EQ(autoDiscovery(c.run), AutoDiscoveryOutcome::done);
}

TEST(TraceImageList, ShowsConvergedVersionsAndTheEmptyList) {
  CapturedRun c;
  ImageList list;
  traceImageList(c.run, list);
  EXPECT_EQ(c.trace(), "File List is null!\n");
  list.push_back(fcNode("tf.all", "TF282A4"));
  list.push_back(convergedNode("kc.ufi", "3.2.14.0", ImageFamily::kx2));
  traceImageList(c.run, list);
  EXPECT_EQ(c.trace(),
            "Actual  = tf.all\nDecoded = TF282A4\n\n"
            "Actual  = kc.ufi\nDecoded = 3.2.14.0\nCNA Ver = 2.2.14.0\n\n");
}

}  // namespace
}  // namespace vornup
