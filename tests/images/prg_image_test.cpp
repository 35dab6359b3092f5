#include "images/prg_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "image_test_support.h"
#include "images/image_status.h"
#include "images/image_verify.h"

namespace vornup {
namespace {

using imagemaker::Bytes;
using imagemaker::PrgLayout;
using imagemaker::RomLayout;
using testing_images::Reader;
using testing_images::ScratchDir;
using testing_images::TraceCapture;
using testing_images::Verdict;

Verdict verify(const ScratchDir& dir, const Bytes& bytes) {
  return verifyImage(Reader::prg, dir, "boot.prg", bytes);
}

PrgLayout prg(uint8_t imageId, uint16_t romDeviceId) {
  PrgLayout layout;
  layout.imageId = imageId;
  layout.rom->deviceId = romDeviceId;
  return layout;
}

// A PRG of id 121 around a made ROM changed by `edit` (ROM byte order).
template <typename Edit>
Bytes prgWithRom(RomLayout romLayout, Edit edit) {
  Bytes rom = imagemaker::makeRom(romLayout);
  edit(rom);
  return imagemaker::wrapRomInPrg(0x4B505247, imagemaker::imageIdWord(0, 121, 0x1234), rom);
}

TEST(VerifyPrgFile, GoodFileTracesEveryStep) {
  ScratchDir dir;
  std::string path = dir.file("boot.prg");
  Verdict o = verify(dir, imagemaker::makePrg(prg(121, 0x7D80)));
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.id, "FB120X4");
  EXPECT_EQ(o.trace,
            "\n[verifyPRG_file]\n"
            "Input file = " + path + "\n"
            "Reading PRG Header...\n"
            "PRG ImageID   = 79\n"
            "Encoded Type  = FB\n"
            "Version       = 1\n"
            "Revision      = 2\n"
            "Fixlevel      = 0\n"
            "Dist_type     = 3\n"
            "Dist_cnt      = 4\n"
            "Encoded Vers  = 120X4\n");
}

TEST(VerifyPrgFile, RomDeviceIdDecidesTheFamilyLetter) {
  struct Case {
    const char* what;
    Bytes bytes;
    const char* result;
  };
  PrgLayout noRom = prg(121, 0x7D80);
  noRom.rom = std::nullopt;
  RomLayout unaligned;
  unaligned.pciDataOffset = 0x1D;
  RomLayout late;
  late.pciDataOffset = 0xF0;
  late.size = 0x100;
  RomLayout unsigned_;
  unsigned_.signature = false;
  const Case cases[] = {
      {"ROM with 0x7D80", imagemaker::makePrg(prg(121, 0x7D80)), "FB120X4"},
      {"ROM with another id", imagemaker::makePrg(prg(121, 0x7D81)), "UB120X4"},
      {"header only", imagemaker::makePrg(noRom), "UB120X4"},
      {"ROM without signature", imagemaker::makePrg([&] {
         PrgLayout s = prg(121, 0x7D80);
         s.rom = unsigned_;
         return s;
       }()),
       "UB120X4"},
      {"zero data pointer", prgWithRom(RomLayout(), [](Bytes& rom) { rom[24] = 0; }), "UB120X4"},
      {"only the low byte of the pointer counts",
       prgWithRom(RomLayout(), [](Bytes& rom) { rom[25] = 0x01; }), "FB120X4"},
      {"pointer bytes 25..27 alone are not zero",
       prgWithRom(RomLayout(), [](Bytes& rom) {
         rom[24] = 0;
         rom[26] = 0x1C;
       }), "UB120X4"},
      {"data structure at an odd offset", prgWithRom(unaligned, [](Bytes&) {}), "FB120X4"},
      {"data structure near the end of the first 256 bytes", prgWithRom(late, [](Bytes&) {}),
       "FB120X4"},
      {"no PCIR", prgWithRom(RomLayout(), [](Bytes& rom) { rom[0x1C] = 'X'; }), "UB120X4"},
      {"ROM cut inside the data structure",
       prgWithRom(RomLayout(), [](Bytes& rom) { rom.resize(0x1C + 8); }), "UB120X4"},
      {"other families keep their letter", imagemaker::makePrg(prg(25, 0x7D80)), "YB120X4"},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    Verdict o = verify(dir, c.bytes);
    EXPECT_EQ(o.status, 0) << c.what;
    EXPECT_EQ(o.id, c.result) << c.what;
  }
}

TEST(VerifyPrgFile, StatusesAndTraceLines) {
  struct Case {
    const char* what;
    Bytes bytes;
    int status;
    const char* lastLines;  // the end of the trace
  };
  Bytes allFile = imagemaker::makePrg(prg(121, 0x7D80));
  const uint8_t nop[] = {0xE1, 0xA0, 0x00, 0x00};
  std::copy(nop, nop + 4, allFile.begin());
  Bytes twenty = imagemaker::makePrg(prg(121, 0x7D80));
  twenty.resize(20);
  Bytes fortySeven = twenty;
  fortySeven.resize(47, 0);
  const Case cases[] = {
      {"first word of an ALL file", allFile, INCOMPAT_IMAGE_ERROR,
       "Reading PRG Header...\nINCOMPAT_IMAGE_ERROR - Image Type = E1A00000, Status = FFF70000\n"},
      {"20 bytes", twenty, INVALID_IMAGE_END_OF_FILE, "Reading PRG Header...\n"},
      {"47 bytes", fortySeven, INVALID_IMAGE_END_OF_FILE, "Reading PRG Header...\n"},
      {"3 bytes", Bytes(3, 1), INVALID_IMAGE_ERROR,
       "Reading PRG Header...\nINVALID_IMAGE_ERROR - Status = FFF90000\n"},
      {"empty", Bytes(), INVALID_IMAGE_ERROR,
       "Reading PRG Header...\nINVALID_IMAGE_ERROR - Status = FFF90000\n"},
      {"unknown id 39", imagemaker::makePrg(prg(39, 0x7D80)), INCOMPAT_IMAGE_ERROR,
       "PRG ImageID   = 27\nEncoded Type = UNKNOWN\n\nINCOMPAT_IMAGE_ERROR - Status = FFF70000\n"},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    Verdict o = verify(dir, c.bytes);
    EXPECT_EQ(o.status, c.status) << c.what;
    std::string end = c.lastLines;
    ASSERT_GE(o.trace.size(), end.size()) << c.what;
    EXPECT_EQ(o.trace.substr(o.trace.size() - end.size()), end) << c.what << "\n" << o.trace;
  }
}

TEST(VerifyPrgFile, MissingFile) {
  ScratchDir dir;
  std::string path = dir.file("none.prg");
  Verdict o = verifyImagePath(Reader::prg, path);
  EXPECT_EQ(o.status, OPEN_FILE_ERROR);
  EXPECT_EQ(o.trace, "\n[verifyPRG_file]\nOPEN_FILE_ERROR - Could not open image file = " + path +
                         ", Status = FFFA0000\n");
}

TEST(HasPciRomDeviceId, ReturnsToThePositionOnEntry) {
  ScratchDir dir;
  std::string path = dir.write("rom.prg", imagemaker::makePrg(prg(121, 0x7D80)));
  for (uint32_t wanted : {0x7D80u, 0x1234u}) {
    ImageFile file;
    ASSERT_TRUE(file.open(path.c_str()));
    ASSERT_TRUE(file.seek(kPrgHeaderBytes));
    EXPECT_EQ(hasPciRomDeviceId(file, wanted), wanted == 0x7D80);
    EXPECT_EQ(file.position(), kPrgHeaderBytes);
  }
}

// PCI expansion ROMs that nobody here wrote: the network boot ROMs of an
// emulator package, wrapped in the PRG layout. Their device ids are those of
// the emulated network cards.
TEST(HasPciRomDeviceId, ReadsTheDeviceIdsOfRealRoms) {
  struct RealRom {
    const char* file;
    uint32_t deviceId;
  };
  const RealRom roms[] = {
      {"pxe-e1000.rom", 0x100E},    {"pxe-e1000e.rom", 0x10D3},  {"pxe-eepro100.rom", 0x1229},
      {"pxe-pcnet.rom", 0x2000},    {"pxe-rtl8139.rom", 0x8139}, {"pxe-virtio.rom", 0x1041},
      {"pxe-vmxnet3.rom", 0x07B0},  {"efi-e1000.rom", 0x100E},   {"efi-rtl8139.rom", 0x8139},
      {"efi-vmxnet3.rom", 0x07B0},
  };
  const std::filesystem::path romDir = "/usr/lib/ipxe/qemu";
  ScratchDir dir;
  int tested = 0;
  for (const RealRom& r : roms) {
    Bytes rom;
    if (!imagemaker::readWholeFile((romDir / r.file).string(), rom) || rom.empty()) continue;
    ++tested;
    std::string path = dir.write(
        "real.prg", imagemaker::wrapRomInPrg(0x4B505247, imagemaker::imageIdWord(0, 121, 0), rom));
    for (uint32_t wanted : {r.deviceId, r.deviceId ^ 1u, uint32_t(kPrgFamilyFDeviceId)}) {
      ImageFile file;
      ASSERT_TRUE(file.open(path.c_str()));
      ASSERT_TRUE(file.seek(kPrgHeaderBytes));
      EXPECT_EQ(hasPciRomDeviceId(file, wanted), wanted == r.deviceId)
          << r.file << " " << std::hex << wanted;
    }
    Verdict o = verifyImagePath(Reader::prg, path);
    EXPECT_EQ(o.status, 0) << r.file;
    EXPECT_EQ(o.id, "UB000N0") << r.file;
  }
  if (tested == 0) GTEST_SKIP() << "no boot ROMs in " << romDir.string();
}

}  // namespace
}  // namespace vornup
