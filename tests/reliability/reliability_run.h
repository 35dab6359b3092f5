// Test support for the reliability tests: the mixed host's install
// (tests/e2e/mixed/) laid out in a scratch directory whose paths hold blanks,
// whole runs of the program on it, in process (the tool simulator answering
// through the platform stand-in) or as child processes, and the checks every
// run must pass whatever went wrong: a documented exit code and status line,
// an empty temporary directory, and no download of anything but a verified
// image of the install's own directories.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/main_flow.h"
#include "e2e/documented_outcomes.h"
#include "e2e/e2e_host.h"
#include "e2e/mixed_install.h"
#include "support/fake_platform.h"
#include "platform/host_names.h"
#include "sim/download_image.h"
#include "sim/fake_tool.h"
#include "sim/simulation.h"
#include "support/captured_run.h"
#include "support/host_registry.h"

namespace vornup {

// The mixed install's source folder, as the host names it.
inline std::string mixedSourceDirectory() { return E2eHost::hostPath(VORNUP_MIXED_DIR); }

// The mixed host's description.
inline std::string mixedHostText() {
  std::string text;
  EXPECT_TRUE(mixedinstall::readText(mixedSourceDirectory() + "host.txt", text));
  return text;
}

// Lays the mixed install out below `installDirectory` (with the separator).
inline void layOutMixedInstall(const std::string& installDirectory) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::u8path(installDirectory + "firmware"),
                                      ignored);
  std::filesystem::create_directories(std::filesystem::u8path(installDirectory + "boot"), ignored);
  std::string error;
  ASSERT_TRUE(mixedinstall::writeInstall(mixedSourceDirectory(), installDirectory, error)) << error;
}

// The mixed install's fwmatrix.txt.
inline std::string mixedFwmatrix() {
  std::string text;
  EXPECT_TRUE(mixedinstall::readText(mixedSourceDirectory() + "fwmatrix.txt", text));
  return text;
}

// The mixed table with its KF1602 entry replaced by `lines`.
inline std::string withFirstLine(const std::string& lines) {
  const std::string table = mixedFwmatrix();
  const std::size_t first = table.find("KF1602");
  const std::size_t next = table.find('\n', first);
  return table.substr(0, first) + lines + table.substr(next + 1);
}

struct ObservedRun {
  int exitCode = -1;
  std::string console;
  // The tool calls, one line each, arguments joined by blanks.
  std::vector<std::string> calls;
  bool tempDirectoryEmpty = false;
  // In process only: the limits each command line ran with, in call order.
  std::vector<CommandLimits> limits;
};

// True when a download of the run names `image`.
// The file name of `path` and the name of the directory holding it.
inline void splitLastTwo(const std::string& path, std::string& directory, std::string& name) {
  const std::size_t nameStart = path.find_last_of("/\\");
  name = nameStart == std::string::npos ? path : path.substr(nameStart + 1);
  directory.clear();
  if (nameStart == std::string::npos || nameStart == 0) return;
  const std::size_t directoryStart = path.find_last_of("/\\", nameStart - 1);
  directory = path.substr(directoryStart == std::string::npos ? 0 : directoryStart + 1,
                          nameStart - (directoryStart == std::string::npos ? 0 : directoryStart + 1));
}

// Whether a download's path is the private copy of an image: a file of a
// run's private directory ("vornup-<pid>-XXXXXX").
inline bool isPrivateCopy(const std::string& path, std::string& name) {
  std::string directory;
  splitLastTwo(path, directory, name);
  return directory.compare(0, 7, "vornup-") == 0;
}

// Whether the run downloaded `image`: a file name or a part of one (the
// tool was given the private copy of a file whose name holds it), or a path
// of the install (the copy of a file of that name, and the file at that
// path is a good image).
inline bool downloads(const ObservedRun& run, const std::string& image) {
  std::string directory;
  std::string wanted;
  splitLastTwo(image, directory, wanted);
  const bool isPath = wanted != image;
  if (isPath && !tandrelsim::describeDownloadImage(image).accepted) return false;
  for (const std::string& call : run.calls) {
    if (call.compare(0, 9, "download ") != 0) continue;
    const std::size_t blank = call.find(' ', 9);
    std::string name;
    if (blank == std::string::npos || !isPrivateCopy(call.substr(blank + 1), name)) continue;
    if (isPath ? name == wanted : name.find(wanted) != std::string::npos) return true;
  }
  return false;
}

// Checks the end of a run: a documented exit code and final status line, no
// temporary file left, and every download naming the private copy (in a
// run's private directory, under the same name) of an image of the
// install's firmware or boot directory that the readers accept.
inline void expectSoundEnd(const ObservedRun& run, const std::string& installDirectory,
                           const std::string& label) {
  EXPECT_TRUE(outcomes::isDocumentedExitCode(run.exitCode)) << label << ": " << run.exitCode;
  EXPECT_TRUE(outcomes::endsWithDocumentedStatus(run.console, run.exitCode))
      << label << ": exit " << run.exitCode << ", last status line \""
      << outcomes::lastStatusLine(run.console) << "\"";
  EXPECT_TRUE(run.tempDirectoryEmpty) << label << ": temporary directory not empty";
  const std::string firmware = installDirectory + "firmware" + kPathSeparator;
  const std::string boot = installDirectory + "boot" + kPathSeparator;
  for (const std::string& call : run.calls) {
    if (call.compare(0, 9, "download ") != 0) continue;
    const std::size_t blank = call.find(' ', 9);
    const std::string path = blank == std::string::npos ? std::string() : call.substr(blank + 1);
    std::string name;
    EXPECT_TRUE(isPrivateCopy(path, name)) << label << ": " << call;
    const bool inFirmware = tandrelsim::describeDownloadImage(firmware + name).accepted;
    const bool inBoot = tandrelsim::describeDownloadImage(boot + name).accepted;
    EXPECT_TRUE(inFirmware || inBoot) << label << ": " << call;
  }
}

// The mixed install run in process: the program's directory and the
// temporary directory lie in a scratch directory, with blanks in their names.
class InProcessInstall {
 public:
  InProcessInstall()
      : install_(scratch_.file("install dir") + kPathSeparator),
        temp_(scratch_.file("temp dir") + kPathSeparator) {
    layOutMixedInstall(install_);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::u8path(temp_), ignored);
    hostText_ = mixedHostText();
    modulePath = install_ + kProgramName;
  }

  const std::string& installDirectory() const { return install_; }
  // A file of the install ("firmware/x.all", '/' between folders).
  std::string path(const std::string& relativePath) const { return install_ + relativePath; }
  void write(const std::string& relativePath, const std::string& content) const {
    EXPECT_TRUE(mixedinstall::writeText(path(relativePath), content)) << relativePath;
  }
  // The program's file name, as the platform reports it.
  std::string modulePath;

  // The first argument of the runs; the program's file name when empty.
  std::string argv0;

  // One run with `args` on a fresh simulated host whose `failCall`-th call
  // fails in `mode` (0: no call fails).
  ObservedRun run(const std::vector<std::string>& args, unsigned long failCall = 0,
                 tandrelsim::FaultMode mode = tandrelsim::FaultMode::none) {
    tandrelsim::Simulation simulation;
    std::string error;
    EXPECT_TRUE(tandrelsim::parseHost(hostText_, simulation.host, error)) << error;
    simulation.host.failCall.call = failCall;
    simulation.host.failCall.mode = mode;
    FakePlatform platform;
    platform.modulePath = modulePath;
    platform.environment["TEMP"] = temp_;
    platform.registry["SOFTWARE\\Korvane\\Quenmar\\QuenmarDir"] = install_;
    tandrelsim::attachSimulation(platform, simulation);

    std::vector<std::string> argvText = {argv0.empty() ? modulePath : argv0};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText) argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    ObservedRun outcome;
    std::FILE* console = std::tmpfile();
    EXPECT_NE(console, nullptr);
    if (console == nullptr) return outcome;
    outcome.exitCode = runVornup(static_cast<int>(argvText.size()), argv.data(), platform, console);
    std::rewind(console);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, console)) > 0) {
      outcome.console.append(buffer, got);
    }
    std::fclose(console);
    outcome.calls = simulation.commandLog;
    outcome.limits = platform.commandLimits;
    std::error_code ignored;
    outcome.tempDirectoryEmpty = std::filesystem::is_empty(std::filesystem::u8path(temp_), ignored);
    return outcome;
  }

 private:
  ScratchDirectory scratch_;
  std::string install_;
  std::string temp_;
  std::string hostText_;
};

// The mixed install as the program's own install directory (with a blank in
// its path) beside the tool simulator, both run as child processes; the
// fault chosen through the simulator's environment.
class ProcessInstall {
 public:
  ProcessInstall() {
    host.installTool(TANDREL_SIM_PATH);
    host.writeInstallFile("Quenmar/host.txt", mixedHostText());
    layOutMixedInstall(host.installDirectory());
    host.setEnvironment("TANDREL_SIM_LOG", host.workDirectory() + "tool.log");
    host.unsetEnvironment("TANDREL_SIM_HOST");
    host.unsetEnvironment("TANDREL_SIM_STATE");
  }

  // One run from a fresh simulated host whose call is damaged as `fault`
  // says ("N mode", or "" for none).
  ObservedRun run(std::initializer_list<std::string> args, const std::string& fault = "") {
    return run(std::vector<std::string>(args), fault);
  }
  ObservedRun run(const std::vector<std::string>& args, const std::string& fault = "") {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(host.installDirectory() + "Quenmar" +
                                                    kPathSeparator + "host.txt.state"),
                            ignored);
    std::filesystem::remove(std::filesystem::u8path(host.workDirectory() + "tool.log"), ignored);
    host.setEnvironment("TANDREL_SIM_FAIL_CALL", fault);
    RunResult result = host.run(args);
    ObservedRun outcome;
    outcome.exitCode = result.exitCode;
    outcome.console = result.console;
    outcome.calls = lines(host.readWorkFile("tool.log"));
    outcome.tempDirectoryEmpty = host.tempDirectoryIsEmpty();
    return outcome;
  }

  // The lines of a text, without their line ends.
  static std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      result.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return result;
  }

  E2eHost host;
};

}  // namespace vornup
