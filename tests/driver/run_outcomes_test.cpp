#include "driver/run_outcomes.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/interrupts.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

struct OutcomeCase {
  RunOutcome outcome;
  const char* detail;
  const char* console;  // with the program name "vornup.exe"
  int code;
};

// Every outcome that ends a run: the exact line and the exit code.
// clang-format off
const OutcomeCase kEnding[] = {
    {DriverOutcome::insufficientPrivileges, "", "\nvornup.exe: Error - insufficient privileges - Return Code=2\n\n", 2},
    {DriverOutcome::invalidSwitchOptions, "", "\nvornup.exe: Error - invalid switch options - Return Code=2\n\n", 2},
    {DriverOutcome::toolNotInstalled, "", "\nvornup.exe: Error - Korvane command line application kit not installed - Return Code=4\n\n", 4},
    {DriverOutcome::noAdapters, "", "\nvornup.exe: Error - no supported Korvane HBAs found - Return Code=5\n\n", 5},
    {DriverOutcome::operationComplete, "", "\n\nvornup.exe: Operation complete - Return Code=0\n\n", 0},
    {SwitchOutcome::unknownSwitch, "/zz", "\nvornup.exe: Error - Unknown switch = /zz - Return Code=4\n\n", 4},
    {SwitchOutcome::malformedLogSwitch, "/lo=x", "\nvornup.exe: Error - Unknow switch = /lo=x - Return Code=4\n\n", 4},
    {SwitchOutcome::multipleLogFiles, "", "\nvornup.exe: Error - cannot open multiple log files - Return Code=4\n\n", 4},
    {SwitchOutcome::logFileUnopenable, "a.log", "\nvornup.exe: Error - unable to open logfile a.log - Return Code=4\n\n", 4},
    {SwitchOutcome::noSwitch, "", "", 4},
    {SwitchOutcome::multipleReports, "", "\nvornup.exe: Error - cannot write multiple run reports - Return Code=4\n\n", 4},
    {SwitchOutcome::reportUnwritable, "r.json", "\nvornup.exe: Error - unable to write run report r.json - Return Code=4\n\n", 4},
    {FwmatrixOutcome::notFound, "", "\nvornup.exe: Error - fwmatrix update table not found - Return Code=2\n\n", 2},
    {AutoDiscoveryOutcome::firmwareDirectoryMissing, "", "\nvornup.exe: Error - the firmware subdirectory was not found - Return Code=6\n\n", 6},
    {AutoDiscoveryOutcome::bootDirectoryMissing, "", "\nvornup.exe: Error - the boot subdirectory was not found - Return Code=6\n\n", 6},
    {DiscoveryOutcome::toolFailed, "", "\nvornup.exe : error - unable to process TANDREL - Return Code=4\n\n", 4},
    {DiscoveryOutcome::replyUnreadable, "", "\nvornup.exe : error - unable to open temp file - Return Code=4\n\n", 4},
    {DiscoveryOutcome::driverNotLoaded, "", "\nvornup.exe: Error - QTRD driver is not loaded - Return Code=4\n\n", 4},
    {DiscoveryOutcome::serviceNotRunning, "", "\nvornup.exe: Error - brackmond is not running - Return Code=4\n\n", 4},
    {DriverOutcome::programDirectoryUnusable, "", "\nvornup.exe: Error - unusable program directory - Return Code=4\n\n", 4},
    {DiscoveryOutcome::interrupted, "", "", exitStatus(ExitCode::interrupted)},
};
// clang-format on

TEST(RunOutcomes, EachEndingOutcomeHasItsLineAndCode) {
  for (const OutcomeCase& c : kEnding) {
    SCOPED_TRACE(c.console);
    CapturedRun captured;
    ASSERT_NE(findOutcome(c.outcome), nullptr);
    EXPECT_EQ(reportOutcome(captured.run, c.outcome, c.detail), c.code);
    EXPECT_EQ(exitStatus(exitCodeOf(c.outcome)), c.code);
    EXPECT_EQ(captured.console(), c.console);
  }
}

// Refusals that come before the run may touch its files go to standard
// error, never to the console or the log.
TEST(RunOutcomes, RefusalsOfTheHostGoToStandardError) {
  // A lock that can never be taken is a setup error, not a busy host.
  const OutcomeCase cases[] = {
      {DriverOutcome::anotherRunInProgress, "",
       "\nvornup.exe: Error - another vornup run is in progress - Return Code=", kHostBusyExitCode},
      {DriverOutcome::hostLockUnavailable, "/run/x.lock",
       "\nvornup.exe: Error - unable to take the host-wide lock /run/x.lock - Return Code=", 4},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.console);
    CapturedRun captured;
    EXPECT_EQ(reportOutcome(captured.run, c.outcome, c.detail), c.code);
    EXPECT_EQ(captured.errors(), std::string(c.console) + std::to_string(c.code) + "\n\n");
    EXPECT_EQ(captured.console(), "");
  }
}

// The interrupted run ends with the code of the interrupt recorded: a
// closed output is 141 on POSIX, not Ctrl-C's 130.
TEST(RunOutcomes, AnInterruptedRunEndsWithTheRecordedCode) {
  clearInterruptRequest();
  recordClosedOutput();
  const int recorded = interruptExitCode();
  ASSERT_NE(recorded, 0);
  CapturedRun captured;
  EXPECT_EQ(reportOutcome(captured.run, DriverOutcome::interrupted), recorded);
  EXPECT_EQ(captured.console(),
            "\n\nvornup.exe: Error - run interrupted - Return Code=" + std::to_string(recorded) +
                "\n\n");
  clearInterruptRequest();
}

TEST(RunOutcomes, OutcomesThatLetTheRunGoOnHaveNoRow) {
  const RunOutcome goingOn[] = {SwitchOutcome::accepted, FwmatrixOutcome::opened,
                                FwmatrixOutcome::notUsed, AutoDiscoveryOutcome::done,
                                DiscoveryOutcome::listed};
  for (const RunOutcome& outcome : goingOn) {
    CapturedRun captured;
    EXPECT_EQ(findOutcome(outcome), nullptr);
    EXPECT_EQ(reportOutcome(captured.run, outcome), 0);
    EXPECT_EQ(captured.console(), "");
  }
}

TEST(ExitCodes, TheCodesDeploymentToolsKnow) {
  const bool windows = kPathSeparator == '\\';
  EXPECT_EQ(exitStatus(ExitCode::anotherRunInProgress), windows ? 1618 : 75);
  EXPECT_EQ(exitStatus(ExitCode::interrupted), windows ? 1602 : 130);
}

}  // namespace
}  // namespace vornup
