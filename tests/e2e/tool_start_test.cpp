// The tool started directly: a tool folder and TEMP whose names a command
// interpreter would act on still give a whole run, and the tool inherits no
// descriptor of the program's (log, trace, report, lock).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/rack_fixture.h"
#include "platform/host_names.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

// Blanks, '&', '^', parentheses, '!', ';' and a non-ASCII letter: all of
// them allowed on a command line, none of them acted on.
constexpr char kOddName[] = "odd & touch pwned ^(1) !x; \xC3\xA9";

class ToolStart : public RackTest {};

TEST_F(ToolStart, OddToolAndTempFoldersGiveAWholeRunAndTheToolInheritsNothing) {
  const std::string suite = host.workDirectory() + kOddName + " suite" + kPathSeparator;
  const std::string temp = host.workDirectory() + kOddName + " temp";
  // Narrow names, as the program's own (the ANSI code page on Windows).
  fs::create_directories(fs::path(suite + "Quenmar"));
  fs::create_directories(fs::path(temp));
  fs::copy_file(fs::path(E2eHost::hostPath(TANDREL_SIM_PATH)),
                fs::path(suite + "Quenmar" + kPathSeparator + kToolExecutable));
  fs::copy_file(fs::path(host.installPath("Quenmar/host.txt")),
                fs::path(suite + "Quenmar" + kPathSeparator + "host.txt"));
  host.setRegistryString("SOFTWARE\\Korvane\\Quenmar", "QuenmarDir", suite);
  host.setEnvironment("TEMP", temp);
  // The report's checks expect the tool below the install directory.
  host.setReportChecks(false);
  const bool listsDescriptors = kPathSeparator == '/';
  if (listsDescriptors) {
    host.setEnvironment("TANDREL_SIM_DESCRIPTORS", host.workDirectory() + "descriptors.txt");
  }

  const RunResult run = host.run({"/auto", "/update", "/v", "/xv", "/log=run.log"});
  EXPECT_EQ(run.exitCode, 0) << run.console;
  // The command lines shown are the ones an administrator would type.
  EXPECT_NE(run.console.find("executing command : \"" + suite + "Quenmar" + kPathSeparator +
                             kToolExecutable + "\" hbaattrib 10:00:00:00:C9:7D:00:01 > \"" + temp +
                             kPathSeparator + "vornup-"),
            std::string::npos)
      << run.console;
  EXPECT_EQ(resultLines(beforeSummary(run.console)).size(), 5u) << run.console;
  EXPECT_FALSE(fs::exists(fs::path(host.workDirectory() + "pwned")));
  EXPECT_TRUE(fs::is_empty(fs::path(temp)));
  if (listsDescriptors) {
    const std::string seen = host.readWorkFile("descriptors.txt");
    std::string expected;
    for (std::size_t calls = takeToolCommands().size(); calls > 0; --calls) expected += "none\n";
    EXPECT_EQ(seen, expected);
  }
}

}  // namespace
}  // namespace vornup
