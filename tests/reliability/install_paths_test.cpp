// Where the program is installed: a directory whose path holds blanks, and
// one whose path is longer than the program keeps (its directory, separator
// included, may have 220 characters; a longer one, or a first argument longer
// than 220 characters, makes it work from the current directory instead,
// where it then looks for fwmatrix.txt and the image directories).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reliability/reliability_run.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kLongestBinDirectory = 220;

// The current directory is `directory` while this lives.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& directory) : previous_(fs::current_path()) {
    fs::current_path(fs::u8path(directory));
  }
  ~CurrentDirectory() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  fs::path previous_;
};

// A directory path below `base` (which ends with a separator) of exactly
// `length` characters, separator included, made of folders of at most 50
// characters.
std::string directoryOfLength(const std::string& base, std::size_t length) {
  std::string path = base;
  while (path.size() < length) {
    const std::size_t left = length - path.size();
    // Never leave a last folder without a character of its own.
    std::size_t folder = left > 51 ? (left - 51 > 1 ? 50 : 49) : left - 1;
    path += std::string(folder, 'd') + kPathSeparator;
  }
  return path;
}

const std::string kCurrentDirectory = std::string(".") + kPathSeparator;

TEST(InstallPaths, ProgramInADirectoryWithBlanksUpdatesEverything) {
  ProcessInstall install;
  const std::string directory = install.host.installDirectory();
  ASSERT_NE(directory.find(' '), std::string::npos);
  for (auto args : {std::initializer_list<std::string>{"/auto", "/update"},
                    std::initializer_list<std::string>{"/f"}}) {
    const ObservedRun run = install.run(args);
    expectSoundEnd(run, directory, "install dir");
    EXPECT_EQ(run.exitCode, 0) << run.console;
    EXPECT_TRUE(downloads(run, directory + "firmware" + kPathSeparator + "zf290a1.all"));
    EXPECT_TRUE(downloads(run, directory + "boot" + kPathSeparator + "bb440a0.prg"));
  }
}

TEST(InstallPaths, ADirectoryOf220CharactersIsTheProgramsOwn) {
  InProcessInstall work;
  ScratchDirectory scratch;
  const std::string directory = directoryOfLength(scratch.path(), kLongestBinDirectory);
  ASSERT_EQ(directory.size(), kLongestBinDirectory);
  layOutMixedInstall(directory);
  work.modulePath = directory + kProgramName;
  // Started by its bare name: its full path, longer than 220 characters, as
  // the first argument would mean the current directory on its own.
  work.argv0 = kProgramName;
  CurrentDirectory inWork(work.installDirectory());
  const ObservedRun run = work.run({"/f"});
  expectSoundEnd(run, directory, "220 characters");
  EXPECT_EQ(run.exitCode, 0) << run.console;
  EXPECT_TRUE(downloads(run, directory + "firmware" + kPathSeparator + "zf290a1.all"));
}

TEST(InstallPaths, ALongerDirectoryMeansTheCurrentOne) {
  InProcessInstall work;
  ScratchDirectory scratch;
  // The program's directory would hold a table naming nothing it has.
  const std::string directory = directoryOfLength(scratch.path(), kLongestBinDirectory + 1);
  fs::create_directories(fs::u8path(directory));
  ASSERT_TRUE(mixedinstall::writeText(directory + "fwmatrix.txt", "KF1602 no.all no.prg\n"));
  work.modulePath = directory + kProgramName;
  work.argv0 = kProgramName;
  CurrentDirectory inWork(work.installDirectory());
  for (const char* args : {"/f", "/auto"}) {
    const ObservedRun run =
        args == std::string("/f") ? work.run({"/f"}) : work.run({"/auto", "/update"});
    expectSoundEnd(run, kCurrentDirectory, args);
    EXPECT_EQ(run.exitCode, 0) << run.console;
    EXPECT_TRUE(downloads(run, kCurrentDirectory + "firmware" + kPathSeparator + "zf290a1.all"))
        << run.console;
  }
}

TEST(InstallPaths, AFirstArgumentLongerThan220CharactersMeansTheCurrentDirectory) {
  InProcessInstall work;
  ScratchDirectory elsewhere;
  work.argv0 = std::string(kLongestBinDirectory + 1, 'v');
  CurrentDirectory inElsewhere(elsewhere.path());
  // The current directory holds no fwmatrix.txt, the program's does.
  const ObservedRun run = work.run({"/f"});
  expectSoundEnd(run, kCurrentDirectory, "long first argument");
  EXPECT_EQ(run.exitCode, 2) << run.console;
  EXPECT_NE(run.console.find("fwmatrix update table not found"), std::string::npos);
  EXPECT_TRUE(run.calls.empty());
}

// The real program copied into a directory deeper than the limit, run from
// a work directory that holds the mixed install (POSIX only: the path is
// longer than Windows programs are commonly started from).
TEST(InstallPaths, InstalledProgramInALongDirectoryWorksFromTheCurrentOne) {
  if (kWindowsHost) GTEST_SKIP() << "POSIX paths only";
  ScratchDirectory scratch;
  const std::string directory = directoryOfLength(scratch.path(), 300);
  fs::create_directories(fs::u8path(directory));
  fs::copy_file(fs::u8path(VORNUP_PROGRAM_PATH), fs::u8path(directory + kProgramName));
  const std::string work = scratch.file("work dir") + kPathSeparator;
  const std::string temp = scratch.file("temp") + kPathSeparator;
  const std::string registry = scratch.file("registry");
  const std::string suite = scratch.file("suite") + kPathSeparator;
  fs::create_directories(fs::u8path(temp));
  fs::create_directories(fs::u8path(registry));
  fs::create_directories(fs::u8path(suite + "Quenmar"));
  fs::copy_file(fs::u8path(TANDREL_SIM_PATH), fs::u8path(suite + "Quenmar/" + kToolExecutable));
  ASSERT_TRUE(mixedinstall::writeText(suite + "Quenmar/host.txt", mixedHostText()));
  ASSERT_TRUE(HostRegistry::setString("SOFTWARE\\Korvane\\Quenmar", "QuenmarDir", suite,
                                      fs::u8path(registry)));
  layOutMixedInstall(work);

  const std::string command = "cd '" + work + "' && VORNUP_REGISTRY_ROOT='" + registry +
                              "' VORNUP_TEST_LOCK_DIRECTORY='" + work + "' TEMP='" + temp +
                              "' TANDREL_SIM_LOG='" + temp + "../tool.log'" +
                              " TANDREL_SIM_FAIL_CALL= '" + directory + kProgramName + "' /f > '" +
                              scratch.file("console.txt") + "' 2>&1";
  ObservedRun run;
  run.exitCode = hostPlatform().runCommand(command);
  run.console = scratch.read("console.txt");
  run.calls = ProcessInstall::lines(scratch.read("tool.log"));
  run.tempDirectoryEmpty = fs::is_empty(fs::u8path(temp));
  {
    CurrentDirectory inWork(work);
    expectSoundEnd(run, kCurrentDirectory, "long install directory");
    EXPECT_TRUE(downloads(run, "./firmware/zf290a1.all")) << run.console;
  }
  EXPECT_EQ(run.exitCode, 0) << run.console;
}

}  // namespace
}  // namespace vornup
