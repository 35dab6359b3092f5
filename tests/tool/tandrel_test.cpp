#include "tool/tandrel.h"

#include <gtest/gtest.h>

#include <string>

#include "support/captured_run.h"

namespace vornup {
namespace {

constexpr char kQuenmarDir[] = "SOFTWARE\\Korvane\\Quenmar\\QuenmarDir";
constexpr char kDrumlinDir[] = "SOFTWARE\\Korvane\\Drumlin\\DrumlinDir";

// An absolute directory of this host, with its trailing separator.
std::string hostDirectory(const std::string& relative) {
  const std::string root = kPathSeparator == '\\' ? "C:\\" : "/";
  return root + relative + kPathSeparator;
}

std::string expectedToolPath(const std::string& directory, const char* suite) {
  return "\"" + directory + suite + kPathSeparator + kToolExecutable + "\"";
}

class LocateTandrel : public ::testing::Test {
 protected:
  CapturedRun captured;
  FakePlatform& platform = captured.platform;
  RunState& run = captured.run;
};

TEST_F(LocateTandrel, FirstKeyNamesTheQuenmarTool) {
  platform.registry[kQuenmarDir] = hostDirectory("korvane");
  platform.registry[kDrumlinDir] = hostDirectory("drumlin");
  EXPECT_TRUE(locateTandrel(run));
  std::string path = expectedToolPath(hostDirectory("korvane"), "Quenmar");
  EXPECT_EQ(run.toolPath.c_str(), path);
  EXPECT_EQ(captured.trace(), "\n[locateWindowsTandrel]\nTandrelPath = " + path + "\n");
  EXPECT_EQ(captured.console(), "");
}

TEST_F(LocateTandrel, SecondKeyIsTriedWhenTheFirstIsAbsent) {
  const std::string directory = hostDirectory("Program Files");
  platform.registry[kDrumlinDir] = directory;
  EXPECT_TRUE(locateTandrel(run));
  std::string path = expectedToolPath(directory, "Drumlin");
  EXPECT_EQ(run.toolPath.c_str(), path);
  EXPECT_EQ(captured.trace(), "\n[locateWindowsTandrel]\n\n[locateWindowsTandrel]\nTandrelPath = " +
                                  path + "\n");
}

TEST_F(LocateTandrel, NeitherKeyMeansNotLocated) {
  EXPECT_FALSE(locateTandrel(run));
  EXPECT_TRUE(run.toolPath.empty());
  EXPECT_EQ(captured.trace(), "\n[locateWindowsTandrel]\n\n[locateWindowsTandrel]\n");
}

TEST_F(LocateTandrel, DirectoryWithoutTrailingSeparatorRunsIntoTheSuiteFolder) {
  std::string withoutSeparator = hostDirectory("korvane");
  withoutSeparator.pop_back();
  platform.registry[kQuenmarDir] = withoutSeparator;
  EXPECT_TRUE(locateTandrel(run));
  EXPECT_EQ(run.toolPath.c_str(), expectedToolPath(withoutSeparator, "Quenmar"));
}

TEST_F(LocateTandrel, ToolPathLongerThan255CharactersIsNotLocated) {
  // Quotes, "Quenmar", the separator and the executable name around the value.
  const std::string root = hostDirectory("");
  const std::size_t around = expectedToolPath(root, "Quenmar").size();
  platform.registry[kQuenmarDir] = root + std::string(255 - around, 'q');
  EXPECT_TRUE(locateWindowsTandrel(run, "SOFTWARE\\Korvane\\Quenmar", "QuenmarDir", "Quenmar",
                                   kToolExecutable));
  EXPECT_EQ(run.toolPath.length(), 255u);

  captured.trace();
  platform.registry[kQuenmarDir] = root + std::string(256 - around, 'q');
  EXPECT_FALSE(locateTandrel(run));
  EXPECT_TRUE(run.toolPath.empty());
  EXPECT_EQ(captured.trace(), "\n[locateWindowsTandrel]\n\n[locateWindowsTandrel]\n");

  // The over-long first value does not stop the second key from being used.
  platform.registry[kDrumlinDir] = hostDirectory("drumlin");
  EXPECT_TRUE(locateTandrel(run));
  EXPECT_EQ(run.toolPath.c_str(), expectedToolPath(hostDirectory("drumlin"), "Drumlin"));
}

class ExecuteTandrel : public ::testing::Test {
 protected:
  void SetUp() override {
    captured.usePrivateTemp();
    run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
  }

  // Makes every command reply with `text` and exit with `status`.
  void replyWith(const std::string& text, int status = 0) {
    platform.onCommand = [this, text, status](const std::string&) {
      EXPECT_TRUE(platform.writeToolOutput(text));
      return status;
    };
  }

  bool tempFileExists() {
    std::FILE* file = std::fopen(run.tempFilePath.c_str(), "rb");
    if (file != nullptr) std::fclose(file);
    return file != nullptr;
  }

  CapturedRun captured;
  FakePlatform& platform = captured.platform;
  RunState& run = captured.run;
};

TEST_F(ExecuteTandrel, QuotesTheTempFileAndCapturesTheOutput) {
  replyWith("Port WWN : 10:00:00:00:5E:AA:BB:CC\nFlags : 8000e300\n", 3);
  const ToolStep step = executeTandrel(run, "listhbas local");
  EXPECT_EQ(step.outcome, ToolStepOutcome::ran);
  EXPECT_EQ(step.status, 3);
  ASSERT_EQ(platform.commands.size(), 1u);
  EXPECT_EQ(platform.commands[0], std::string("\"/opt/korvane/Quenmar/Tandrel\" listhbas local > \"") +
                                      run.tempFilePath.c_str() + "\"");
  EXPECT_EQ(run.toolOutput.c_str(),
            std::string("Port WWN : 10:00:00:00:5E:AA:BB:CC\nFlags : 8000e300\n"));
  EXPECT_FALSE(tempFileExists());
  EXPECT_EQ(captured.console(), "");
}

TEST_F(ExecuteTandrel, TracesTheCommandLine) {
  replyWith("ok\n");
  executeTandrel(run, "hbaattrib 10:00:00:00:5E:AA:BB:CC");
  EXPECT_EQ(captured.trace(), "\n[executeTandrel]\n" + platform.commands.at(0) + "\n");
}

TEST_F(ExecuteTandrel, VerboseShowsCommandAndResponse) {
  run.sw.verbose = true;
  replyWith("Complete\n");
  executeTandrel(run, "wakeup 10:00:00:00:5E:AA:BB:CC");
  EXPECT_EQ(captured.console(), "\nvornup.exe : executing command : " + platform.commands.at(0) +
                                    "...\nvornup.exe : command response : \nComplete\n\n");
}

TEST_F(ExecuteTandrel, MissingOutputFileLeavesOutputEmptyAndFailsWith4) {
  replyWith("first reply\n");
  executeTandrel(run, "pcidata 00-11-22-33-44-55");
  ASSERT_FALSE(run.toolOutput.empty());
  platform.onCommand = [](const std::string&) { return 0; };
  captured.console();
  EXPECT_EQ(executeTandrel(run, "pcidata 00-11-22-33-44-55").outcome, ToolStepOutcome::failed);
  EXPECT_TRUE(run.toolOutput.empty());
  // The caller decides what the failure means: no status line here.
  EXPECT_EQ(captured.console(), "");
  EXPECT_EQ(captured.errors(),
            "vornup.exe: the reply of \"pcidata 00-11-22-33-44-55\" is no regular file that can "
            "be read\n");
  EXPECT_FALSE(tempFileExists());
}

TEST_F(ExecuteTandrel, LongOutputIsCutToTheBuffer) {
  std::string line(200, 'x');
  line += '\n';
  std::string reply;
  while (reply.size() < 3 * kToolOutputSize) reply += line;
  replyWith(reply);
  const ToolStep step = executeTandrel(run, "listhbas local");
  EXPECT_EQ(step.outcome, ToolStepOutcome::ran);
  EXPECT_EQ(step.status, 0);
  EXPECT_EQ(run.toolOutput.length(), kToolOutputSize - 1);
  EXPECT_EQ(std::string(run.toolOutput.c_str()), reply.substr(0, kToolOutputSize - 1));
}

TEST_F(ExecuteTandrel, LinesLongerThanTheReadBufferArriveWhole) {
  std::string reply = std::string(700, 'a') + "\nBoot Code : Enabled\n";
  replyWith(reply);
  executeTandrel(run, "wakeup 10:00:00:00:5E:AA:BB:CC");
  EXPECT_EQ(run.toolOutput.c_str(), reply);
}

TEST_F(ExecuteTandrel, CommandLineThatDoesNotFitIsNotRun) {
  replyWith("never\n");
  run.toolOutput.set("previous");
  // The line is the quoted tool path, the arguments, " > " and the quoted
  // temporary file; 761 characters fit the 762-byte buffer.
  const std::size_t fixed = run.toolPath.length() + 1 + 3 + run.tempFilePath.length() + 2;
  std::string fits(761 - fixed, 'a');
  EXPECT_EQ(executeTandrel(run, fits.c_str()).outcome, ToolStepOutcome::ran);
  EXPECT_EQ(platform.commands.size(), 1u);

  std::string tooLong(762 - fixed, 'a');
  captured.console();
  EXPECT_EQ(executeTandrel(run, tooLong.c_str()).outcome, ToolStepOutcome::failed);
  EXPECT_EQ(platform.commands.size(), 1u);
  EXPECT_TRUE(run.toolOutput.empty());
  EXPECT_EQ(captured.console(), "");
  EXPECT_EQ(captured.errors(), "vornup.exe: the command \"" + tooLong +
                                   "\" was not run: no safe command line could be composed for it\n");
}

TEST(ExecuteTandrelWithoutTemp, NothingIsRunOrWritten) {
  CapturedRun captured;
  captured.run.toolPath.set("\"/opt/korvane/Quenmar/Tandrel\"");
  captured.run.toolOutput.set("previous");
  EXPECT_EQ(executeTandrel(captured.run, "listhbas local").outcome, ToolStepOutcome::failed);
  EXPECT_TRUE(captured.platform.commands.empty());
  EXPECT_TRUE(captured.run.toolOutput.empty());
  EXPECT_EQ(captured.console(), "");
  EXPECT_NE(captured.errors().find("\"listhbas local\" was not run"), std::string::npos);
}

}  // namespace
}  // namespace vornup
