// Where the management tool is looked for: only an absolute registry value
// that passes the command line path rule and names an existing, regular,
// executable file counts; otherwise the next key is tried, and when neither
// names one the run ends with exit 4 and says on standard error where it
// looked. Whatever the value holds, no command runs from it: the stand-in
// tools here are scripts that leave a marker file when run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "e2e_host.h"
#include "support/host_registry.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

constexpr char kKorvaneKey[] = "SOFTWARE\\Korvane\\";
constexpr char kNotInstalled[] =
    "\nvornup: Error - Korvane command line application kit not installed - Return Code=4\n\n\n\n";

// What the registry value of the first key is made of. `suiteDir` is the
// directory that holds Quenmar/Tandrel; `marker` the file a started tool
// would create.
struct LocationCase {
  const char* description;
  // Lays out the directory and returns the value to register.
  std::string (*prepare)(const std::string& suiteDir, const std::string& marker);
  // What the stderr note says about the path.
  const char* why;
};

// A tool script that leaves `marker` behind when it runs.
std::string toolScript(const std::string& marker) {
  return "#!/bin/sh\ntouch '" + marker + "'\n";
}

void writeTool(const std::string& directory, const std::string& marker, bool executable) {
  fs::create_directories(directory + "Quenmar");
  const std::string path = directory + "Quenmar/Tandrel";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string text = toolScript(marker);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  ::chmod(path.c_str(), executable ? 0755 : 0644);
}

// clang-format off
const LocationCase kRefused[] = {
    {"a directory that does not exist",
     [](const std::string& dir, const std::string&) { return dir + "nowhere/"; },
     "no executable file there"},
    {"a tool file that may not be run",
     [](const std::string& dir, const std::string& marker) {
       writeTool(dir, marker, false);
       return dir;
     },
     "no executable file there"},
    {"a directory in place of the tool",
     [](const std::string& dir, const std::string&) {
       fs::create_directories(dir + "Quenmar/Tandrel");
       return dir;
     },
     "no executable file there"},
    {"a value without its trailing separator",
     [](const std::string& dir, const std::string& marker) {
       writeTool(dir, marker, true);
       return dir.substr(0, dir.size() - 1);
     },
     "no executable file there"},
    {"a relative value naming a real tool",
     // The run's current directory is the work directory, where the test
     // puts a runnable tool below "relative/".
     [](const std::string&, const std::string&) { return std::string("relative/"); },
     "not an absolute path"},
    {"$(...) in the value",
     [](const std::string& dir, const std::string& marker) {
       const std::string hostile = dir + "$(touch '" + marker + "')/";
       writeTool(hostile, marker + ".unused", true);
       return hostile;
     },
     "holds characters that may not stand on a command line"},
    {"a backtick in the value",
     [](const std::string& dir, const std::string& marker) {
       const std::string hostile = dir + "`touch " + marker + "`/";
       writeTool(hostile, marker + ".unused", true);
       return hostile;
     },
     "holds characters that may not stand on a command line"},
    {"a double quote in the value",
     [](const std::string& dir, const std::string& marker) {
       const std::string hostile = dir + "q\"; touch " + marker + "; \"/";
       writeTool(hostile, marker + ".unused", true);
       return hostile;
     },
     "holds characters that may not stand on a command line"},
    {"a percent sign in the value",
     [](const std::string& dir, const std::string& marker) {
       const std::string hostile = dir + "%PATH%/";
       writeTool(hostile, marker, true);
       return hostile;
     },
     "holds characters that may not stand on a command line"},
};
// clang-format on

TEST(ToolLocation, UnusableValuesAreNotLocatedAndNothingRuns) {
  if (kWindowsHost) GTEST_SKIP() << "the stand-in tools are shell scripts";
  for (const LocationCase& c : kRefused) {
    SCOPED_TRACE(c.description);
    E2eHost host;
    host.writeInstallFile("fwmatrix.txt", "KV7100 fw.all boot.prg\n");
    const std::string suiteDir = host.installDirectory() + "suite/";
    const std::string marker = host.workDirectory() + "marker";
    // The relative case: a runnable tool below the current directory.
    writeTool(host.workDirectory() + "relative/", marker, true);
    const std::string value = c.prepare(suiteDir, marker);
    host.setRegistryString(std::string(kKorvaneKey) + "Quenmar", "QuenmarDir", value);

    RunResult result = host.run({"/q"});
    EXPECT_EQ(result.exitCode, 4);
    // Standard error first (where it looked), then the status line.
    EXPECT_TRUE(result.console.size() >= std::strlen(kNotInstalled) &&
                result.console.compare(result.console.size() - std::strlen(kNotInstalled),
                                       std::string::npos, kNotInstalled) == 0)
        << result.console;
    EXPECT_FALSE(fs::exists(marker)) << "a command ran";
    // Where it looked: both keys, the path tried and why it was refused.
    EXPECT_NE(result.console.find("SOFTWARE/Korvane/Quenmar/QuenmarDir: "), std::string::npos)
        << result.console;
    EXPECT_NE(result.console.find(c.why), std::string::npos) << result.console;
    EXPECT_NE(result.console.find("SOFTWARE/Korvane/Drumlin/DrumlinDir: not set"),
              std::string::npos)
        << result.console;
    EXPECT_TRUE(host.tempDirectoryIsEmpty());
  }
}

TEST(ToolLocation, TheSecondKeyIsTriedWhenTheFirstNamesNoUsableTool) {
  if (kWindowsHost) GTEST_SKIP() << "the stand-in tools are shell scripts";
  E2eHost host;
  host.writeInstallFile("fwmatrix.txt", "KV7100 fw.all boot.prg\n");
  const std::string marker = host.workDirectory() + "marker";
  const std::string broken = host.installDirectory() + "broken/";
  writeTool(broken, marker + ".first", false);
  host.setRegistryString(std::string(kKorvaneKey) + "Quenmar", "QuenmarDir", broken);
  const std::string good = host.installDirectory() + "good/";
  fs::create_directories(good + "Drumlin");
  writeTool(good, marker, true);
  fs::rename(good + "Quenmar/Tandrel", good + "Drumlin/Tandrel");
  host.setRegistryString(std::string(kKorvaneKey) + "Drumlin", "DrumlinDir", good);

  RunResult result = host.run({"/q"});
  // The script lists no adapter.
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_TRUE(fs::exists(marker));
  EXPECT_FALSE(fs::exists(marker + ".first"));
  EXPECT_EQ(result.console.find("looked for"), std::string::npos) << result.console;
}

// A tool that the command interpreter cannot start is a tool failure (4),
// never "no adapters" (5).
TEST(ToolLocation, AToolThatCannotBeStartedIsAToolFailure) {
  if (kWindowsHost) GTEST_SKIP() << "the stand-in tools are shell scripts";
  const struct {
    const char* description;
    const char* script;
  } cases[] = {
      {"interpreter not found (127)", "#!/nonexistent/interpreter\n"},
      {"interpreter not executable (126)", "#!/etc/passwd\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    E2eHost host;
    host.writeInstallFile("fwmatrix.txt", "KV7100 fw.all boot.prg\n");
    const std::string dir = host.installDirectory() + "suite/";
    fs::create_directories(dir + "Quenmar");
    const std::string tool = dir + "Quenmar/Tandrel";
    std::FILE* file = std::fopen(tool.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(c.script, file);
    std::fclose(file);
    ::chmod(tool.c_str(), 0755);
    host.setRegistryString(std::string(kKorvaneKey) + "Quenmar", "QuenmarDir", dir);

    RunResult result = host.run({"/q"});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_NE(result.console.find(
                  "\nvornup : error - unable to process TANDREL - Return Code=4\n\n\n\n"),
              std::string::npos)
        << result.console;
    EXPECT_NE(result.console.find("could not be started"), std::string::npos) << result.console;
    EXPECT_TRUE(host.tempDirectoryIsEmpty());
  }
}

}  // namespace
}  // namespace vornup
