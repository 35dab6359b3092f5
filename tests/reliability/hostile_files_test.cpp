// Hostile files beside the program: a fwmatrix.txt with very long lines, ten
// thousand lines, binary junk or no final line end, and image directories
// holding a thousand files, empty files, sub-directories and names of 31 and
// 32 characters. Whole runs on the mixed host, in process; each must end
// soundly, and the good entries among the bad must still do their work.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reliability/reliability_run.h"

namespace vornup {
namespace {

const std::vector<std::string> kForce = {"/f"};
const std::vector<std::string> kAutoUpdate = {"/auto", "/update"};

// Every image of the mixed install is downloaded and the run succeeds.
void expectEveryImageDownloaded(const ObservedRun& run, const InProcessInstall& install,
                                const std::string& label) {
  expectSoundEnd(run, install.installDirectory(), label);
  EXPECT_EQ(run.exitCode, 0) << label << "\n" << run.console;
  for (const char* image : {"zf290a1.all", "zu520a0.prg", "bf220a1.all", "bb440a0.prg",
                            "kc2100.ufi", "kh3201.grp"}) {
    EXPECT_TRUE(downloads(run, image)) << label << ": " << image;
  }
}

// ---- fwmatrix.txt ---------------------------------------------------------

struct TableCase {
  const char* name;
  std::string text;
};

// Every byte value but Ctrl-Z, which ends a text file for the Windows runtime
// (fwmatrix.txt is read in text mode): lines after one are never read there.
std::string binaryJunk(std::size_t size) {
  std::string junk;
  uint32_t state = 0x2545F491;
  while (junk.size() < size) {
    state = state * 1103515245u + 12345u;
    const char c = static_cast<char>(state >> 24);
    if (c != '\x1a') junk += c;
  }
  return junk;
}

std::string repeated(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

TEST(HostileFwmatrix, GoodLinesAmongBadOnesStillWork) {
  std::string table = mixedFwmatrix();
  std::string withoutFinalLineEnd = table.substr(0, table.size() - 1);
  const TableCase cases[] = {
      {"very long lines", std::string(100000, 'K') + "\n" + std::string(70000, ' ') +
                              "\n" + table + std::string(5000, '\t') + "x.all\n"},
      {"ten thousand lines", repeated("KX9999 unknown.all unknown.prg\n", 10000) + table},
      {"ten thousand comment lines", table + repeated("/ comment\n", 10000)},
      {"binary junk first", binaryJunk(65536) + "\n" + table},
      {"binary junk last", table + binaryJunk(65536)},
      {"no final line end", withoutFinalLineEnd},
  };
  for (const TableCase& c : cases) {
    InProcessInstall install;
    install.write("fwmatrix.txt", c.text);
    expectEveryImageDownloaded(install.run(kForce), install, c.name);
  }
}

TEST(HostileFwmatrix, TablesWithoutAGoodLineEndSoundly) {
  const TableCase cases[] = {
      {"binary junk only", binaryJunk(100000)},
      {"NUL bytes only", std::string(4096, '\0')},
      {"one endless line", std::string(1 << 20, 'A')},
      {"empty", ""},
      {"line ends only", std::string(10000, '\n')},
  };
  for (const TableCase& c : cases) {
    InProcessInstall install;
    install.write("fwmatrix.txt", c.text);
    ObservedRun run = install.run(kForce);
    expectSoundEnd(run, install.installDirectory(), c.name);
    EXPECT_NE(run.exitCode, 0) << c.name;
  }
}

TEST(HostileFwmatrix, TheWholeTableTwoThousandTimesOverStillDownloadsEveryImage) {
  InProcessInstall install;
  install.write("fwmatrix.txt", repeated(mixedFwmatrix(), 2000));
  expectEveryImageDownloaded(install.run(kForce), install, "repeated table");
}

// Every matching line counts the adapter as known once more: with 65,527
// lines for one adapter, beside the five ports the model table knows and the
// four other entries, a 16-bit count that wrapped would read 0 and end the
// run as if no adapter were supported, after its downloads.
TEST(HostileFwmatrix, SoManyMatchingLinesThatTheKnownCountWouldWrap) {
  InProcessInstall install;
  install.write("fwmatrix.txt", withFirstLine(repeated("KF1602 zf290a1.all zu520a0.prg\n", 65527)));
  ObservedRun run = install.run(kForce);
  expectEveryImageDownloaded(run, install, "65,527 matching lines");
}

// ---- image directories ----------------------------------------------------

TEST(HostileImageDirectories, AThousandBadFilesBesideTheGoodOnes) {
  InProcessInstall install;
  for (int i = 0; i < 1000; ++i) {
    const std::string number = std::to_string(1000 + i);
    // Junk under image names of every kind, and files of no image kind.
    const char* const names[] = {".all", ".ufi", ".grp", ".txt"};
    install.write("firmware/junk" + number + names[i % 4], std::string(16, 'Z'));
  }
  for (int i = 0; i < 1000; ++i) {
    install.write("boot/junk" + std::to_string(1000 + i) + (i % 2 ? ".prg" : ".bin"),
                  std::string(48, 'Z'));
  }
  expectEveryImageDownloaded(install.run(kAutoUpdate), install, "a thousand files");
}

TEST(HostileImageDirectories, EmptyFilesAndDirectoriesNamedLikeImagesAreSkipped) {
  InProcessInstall install;
  for (const char* name : {"firmware/empty.all", "firmware/empty.ufi", "firmware/empty.grp",
                           "boot/empty.prg"}) {
    install.write(name, "");
  }
  for (const char* name : {"firmware/folder.all", "firmware/folder.ufi", "firmware/folder.grp",
                           "boot/folder.prg"}) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::u8path(install.path(name) + "/inner.all"),
                                        ignored);
  }
  ObservedRun run = install.run(kAutoUpdate);
  expectEveryImageDownloaded(run, install, "empty files and folders");
  EXPECT_FALSE(downloads(run, "empty.")) << run.console;
  EXPECT_FALSE(downloads(run, "folder.")) << run.console;
}

TEST(HostileImageDirectories, FwmatrixNamingEmptyFilesAndFoldersFailsThoseDownloads) {
  InProcessInstall install;
  install.write("firmware/empty.all", "");
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::u8path(install.path("boot/folder.prg")),
                                      ignored);
  install.write("fwmatrix.txt", withFirstLine("KF1602 empty.all folder.prg\n"));
  ObservedRun run = install.run(kForce);
  expectSoundEnd(run, install.installDirectory(), "empty file and folder named");
  EXPECT_FALSE(downloads(run, "empty.all"));
  EXPECT_FALSE(downloads(run, "folder.prg"));
  EXPECT_TRUE(downloads(run, "bf220a1.all"));
  // The two downloads of that adapter failed, the others succeeded.
  EXPECT_EQ(run.exitCode, 3) << run.console;
}

// A file name of 31 characters is taken, one of 32 is not, even when it holds
// the newer image.
const std::string kName31 = "zf-firmware-31-characters-x.all";
const std::string kName32 = "zf-firmware-32-characters-xy.all";

TEST(HostileImageDirectories, NamesOf31CharactersAreTakenAnd32Skipped) {
  ASSERT_EQ(kName31.size(), 31u);
  ASSERT_EQ(kName32.size(), 32u);
  InProcessInstall install;
  std::filesystem::rename(std::filesystem::u8path(install.path("firmware/zf290a1.all")),
                          std::filesystem::u8path(install.path("firmware/" + kName31)));
  std::string error;
  ASSERT_TRUE(mixedinstall::makeImage(install.installDirectory(),
                                      "firmware/" + kName32 + " all --sub dwc,7,225,0x2951,64",
                                      error))
      << error;
  ObservedRun run = install.run(kAutoUpdate);
  expectSoundEnd(run, install.installDirectory(), "31 and 32 characters");
  EXPECT_EQ(run.exitCode, 0) << run.console;
  EXPECT_TRUE(downloads(run, kName31)) << run.console;
  EXPECT_FALSE(downloads(run, kName32)) << run.console;
}

TEST(HostileImageDirectories, FwmatrixNamesOf31CharactersAreTakenAnd32Refused) {
  InProcessInstall install;
  std::filesystem::copy_file(std::filesystem::u8path(install.path("firmware/zf290a1.all")),
                             std::filesystem::u8path(install.path("firmware/" + kName31)));
  std::filesystem::copy_file(std::filesystem::u8path(install.path("firmware/bf220a1.all")),
                             std::filesystem::u8path(install.path("firmware/" + kName32)));
  install.write("fwmatrix.txt", "KF1602 " + kName31 + " zu520a0.prg\nKF810 " + kName32 +
                                    " bb440a0.prg\nKC2100-NIC kc2100.ufi\n"
                                    "KC2100-FCoE kc2100.ufi\nKH3201 kh3201.grp\n");
  ObservedRun run = install.run(kForce);
  expectSoundEnd(run, install.installDirectory(), "fwmatrix names of 31 and 32 characters");
  EXPECT_TRUE(downloads(run, kName31)) << run.console;
  EXPECT_FALSE(downloads(run, kName32)) << run.console;
  EXPECT_TRUE(downloads(run, "bb440a0.prg")) << run.console;
  // The 32-character name is an invalid file: that download failed.
  EXPECT_EQ(run.exitCode, 3) << run.console;
}

}  // namespace
}  // namespace vornup
