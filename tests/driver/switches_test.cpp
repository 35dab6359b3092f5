#include "driver/switches.h"
#include "driver/run_outcomes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/arguments.h"
#include "support/captured_run.h"

namespace vornup {
namespace {

// The flags as one comparable text, in a fixed order.
std::string flagsOf(const Switches& sw) {
  std::string text;
  const int flags[] = {sw.autoMode, sw.downgrade, sw.forceFw, sw.forceBootCode, sw.preview,
                       sw.query,    sw.remote,    sw.rewrite, sw.update,    sw.verbose,
                       sw.silent,   sw.help,      sw.debugTraceRequested};
  for (int flag : flags) text += static_cast<char>('0' + flag);
  return text;
}

Switches only(bool Switches::*flag, bool Switches::*alsoFlag = nullptr) {
  Switches sw;
  sw.*flag = 1;
  if (alsoFlag != nullptr) sw.*alsoFlag = 1;
  return sw;
}

TEST(SwitchTable, NamesAreLowerCaseUniqueAndLeaveTheLogAndTraceFormsFree) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < kSwitchTableSize; ++i) {
    const SwitchName& entry = kSwitchTable[i];
    SCOPED_TRACE(entry.name);
    ASSERT_NE(entry.flag, nullptr);
    EXPECT_TRUE(seen.insert(entry.name).second);
    for (const char* c = entry.name; *c != '\0'; ++c) {
      EXPECT_EQ(*c, std::tolower(static_cast<unsigned char>(*c)));
    }
    EXPECT_NE(entry.name[0], 'l');
    EXPECT_STRNE(entry.name, "xv");
    EXPECT_NE(entry.flag, &Switches::debugTraceRequested);
  }
  EXPECT_EQ(seen.size(), 25u);
}

struct SwitchCase {
  const char* argument;
  Switches expected;
};

TEST(ParseSwitches, EveryNameSetsItsFlagsWithoutRegardToCase) {
  const SwitchCase cases[] = {
      {"/auto", only(&Switches::autoMode)},      {"/A", only(&Switches::autoMode)},
      {"/downgrade", only(&Switches::downgrade)}, {"/Down", only(&Switches::downgrade)},
      {"/d", only(&Switches::downgrade)},        {"/G", only(&Switches::downgrade)},
      {"/rewrite", only(&Switches::rewrite)},    {"/e", only(&Switches::rewrite)},
      {"/FF", only(&Switches::forceFw)},         {"/fb", only(&Switches::forceBootCode)},
      {"/f", only(&Switches::forceFw, &Switches::forceBootCode)},
      {"/remote", only(&Switches::remote)},      {"/Preview", only(&Switches::preview)},
      {"/p", only(&Switches::preview)},          {"/Update", only(&Switches::update)},
      {"/UP", only(&Switches::update)},          {"/u", only(&Switches::update)},
      {"/query", only(&Switches::query)},        {"/Q", only(&Switches::query)},
      {"/verbose", only(&Switches::verbose)},    {"/v", only(&Switches::verbose)},
      {"/s", only(&Switches::silent)},           {"/?", only(&Switches::help)},
      {"/HELP", only(&Switches::help)},          {"/h", only(&Switches::help)},
  };
  for (const SwitchCase& c : cases) {
    SCOPED_TRACE(c.argument);
    CapturedRun captured;
    Arguments args{c.argument};
    EXPECT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
    EXPECT_EQ(flagsOf(captured.run.sw), flagsOf(c.expected));
    EXPECT_EQ(captured.console(), "");
  }
}

TEST(ParseSwitches, EmptyCommandLineAsksForHelp) {
  CapturedRun captured;
  Arguments args{};
  EXPECT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
  EXPECT_EQ(flagsOf(captured.run.sw), flagsOf(only(&Switches::help)));
}

TEST(ParseSwitches, FlagsAreClearedWhenParsingBegins) {
  CapturedRun captured;
  captured.run.sw.update = true;
  captured.run.sw.silent = true;
  Arguments args{"/q"};
  EXPECT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
  EXPECT_EQ(flagsOf(captured.run.sw), flagsOf(only(&Switches::query)));
  EXPECT_FALSE(captured.run.out.silent);
}

struct RejectCase {
  const char* argument;
  const char* message;
};

TEST(ParseSwitches, UnknownSwitchesEndTheParseWith4) {
  const RejectCase cases[] = {
      {"/upd", "\nvornup.exe: Error - Unknown switch = /upd - Return Code=4\n\n"},
      {"/updates", "\nvornup.exe: Error - Unknown switch = /updates - Return Code=4\n\n"},
      {"/qu", "\nvornup.exe: Error - Unknown switch = /qu - Return Code=4\n\n"},
      {"-q", "\nvornup.exe: Error - Unknown switch = -q - Return Code=4\n\n"},
      {"q", "\nvornup.exe: Error - Unknown switch = q - Return Code=4\n\n"},
      {"/", "\nvornup.exe: Error - Unknown switch = / - Return Code=4\n\n"},
      {"/xvv", "\nvornup.exe: Error - Unknown switch = /xvv - Return Code=4\n\n"},
      {"/logfile=run.log", "\nvornup.exe: Error - Unknow switch = /logfile=run.log - Return Code=4\n\n"},
      {"/lo=run.log", "\nvornup.exe: Error - Unknow switch = /lo=run.log - Return Code=4\n\n"},
  };
  for (const RejectCase& c : cases) {
    SCOPED_TRACE(c.argument);
    CapturedRun captured;
    // Nothing after the rejected switch is looked at.
    Arguments args{"/q", c.argument, "/update"};
    EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(captured.run, args.argc(), args.argv()))), 4);
    EXPECT_EQ(captured.console(), c.message);
    EXPECT_EQ(captured.run.sw.update, 0);
    EXPECT_EQ(captured.run.out.logFile, nullptr);
  }
}

TEST(ParseSwitches, LogSwitchOpensTheFileForAppending) {
  const char* forms[] = {"/log=", "/LOG=", "/l=", "/L="};
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    CapturedRun captured;
    std::string path = captured.scratch.file("run.log");
    captured.scratch.write("run.log", "earlier run\n");
    Arguments args{"/q", std::string(form) + path};
    EXPECT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
    ASSERT_NE(captured.run.out.logFile, nullptr);
    captured.run.out.consoleOut("%s", "this run\n");
    captured.run.out.closeLog();
    EXPECT_EQ(captured.scratch.readText("run.log"), "earlier run\nthis run\n");
  }
}

TEST(ParseSwitches, LogSwitchWithoutFileNameReportsAnEmptyName) {
  const char* forms[] = {"/l", "/log", "/log="};
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    CapturedRun captured;
    Arguments args{form};
    EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(captured.run, args.argc(), args.argv()))), 4);
    EXPECT_EQ(captured.console(), "\nvornup.exe: Error - unable to open logfile  - Return Code=4\n\n");
  }
}

TEST(ParseSwitches, UnopenableLogIsReportedAndParsingGoesOn) {
  CapturedRun captured;
  std::string path = captured.scratch.file("missing") + kPathSeparator + "run.log";
  Arguments args{"/log=" + path, "/update"};
  EXPECT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
  EXPECT_EQ(captured.run.sw.update, 1);
  EXPECT_EQ(captured.console(),
            "\nvornup.exe: Error - unable to open logfile " + path + " - Return Code=4\n\n");

  // As the last result-setting switch it makes the parse result 4.
  CapturedRun last;
  Arguments lastArgs{"/update", "/log=" + path};
  EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(last.run, lastArgs.argc(), lastArgs.argv()))), 4);
}

TEST(ParseSwitches, SecondLogFileIsRefused) {
  CapturedRun captured;
  Arguments args{"/log=" + captured.scratch.file("a.log"), "/l=" + captured.scratch.file("b.log"),
                 "/q"};
  EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(captured.run, args.argc(), args.argv()))), 4);
  EXPECT_EQ(captured.console(),
            "\nvornup.exe: Error - cannot open multiple log files - Return Code=4\n\n");
  EXPECT_EQ(captured.run.sw.query, 0);
  captured.run.out.closeLog();
  // The first log file received the message too.
  EXPECT_EQ(captured.scratch.readText("a.log"),
            "\nvornup.exe: Error - cannot open multiple log files - Return Code=4\n\n");
}

TEST(ParseSwitches, SilentMutesLaterMessagesButTheLogGetsThem) {
  CapturedRun captured;
  Arguments args{"/s", "/log=" + captured.scratch.file("run.log"), "/bogus"};
  EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(captured.run, args.argc(), args.argv()))), 4);
  EXPECT_EQ(captured.console(), "");
  captured.run.out.closeLog();
  EXPECT_EQ(captured.scratch.readText("run.log"),
            "\nvornup.exe: Error - Unknown switch = /bogus - Return Code=4\n\n");
}

// Runs a test body with the current directory set to `directory`.
class InDirectory {
 public:
  explicit InDirectory(const std::string& directory) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(std::filesystem::u8path(directory));
  }
  ~InDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

constexpr char kTracedQuery[] =
    "[Command line switches]\nauto      : 0\ndowngrade : 0\nforceFw   : 0\nforceBios : 0\n"
    "preview   : 0\nquery     : 1\nremote    : 0\nrewrite   : 0\nupdate    : 0\nverbose   : 0\n\n";

TEST(ParseSwitches, DebugTraceGoesToDbgLogInTheCurrentDirectory) {
  CapturedRun captured;
  captured.run.out.closeTrace();
  {
    InDirectory inScratch(captured.scratch.path());
    Arguments args{"/xv", "/q", "/XV"};
    EXPECT_EQ(parseSwitches(captured.run, args.argc(), args.argv()), SwitchOutcome::accepted);
    EXPECT_EQ(captured.run.sw.debugTraceRequested, 1);
    captured.run.out.closeTrace();
  }
  EXPECT_EQ(captured.scratch.readText("dbg.log"), kTracedQuery);
}

TEST(ParseSwitches, TraceSwitchAloneGives4AfterTracing) {
  CapturedRun captured;
  captured.run.out.closeTrace();
  {
    InDirectory inScratch(captured.scratch.path());
    Arguments args{"/xv"};
    EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(captured.run, args.argc(), args.argv()))), 4);
    captured.run.out.closeTrace();
  }
  std::string trace = captured.scratch.readText("dbg.log");
  EXPECT_EQ(trace.rfind("[Command line switches]\n", 0), 0u);
  EXPECT_NE(trace.find("query     : 0\n"), std::string::npos);
  EXPECT_EQ(captured.console(), "");
}

TEST(ParseSwitches, UnopenableTraceIsReportedOnceAfterAllArguments) {
  CapturedRun captured;
  captured.run.out.closeTrace();
  // A directory named dbg.log cannot be opened as the trace.
  std::filesystem::create_directory(std::filesystem::u8path(captured.scratch.file("dbg.log")));
  {
    InDirectory inScratch(captured.scratch.path());
    Arguments args{"/xv", "/q", "/bogus"};
    EXPECT_EQ(exitStatus(exitCodeOf(parseSwitches(captured.run, args.argc(), args.argv()))), 4);
    Arguments good{"/xv", "/q"};
    captured.console();
    EXPECT_EQ(parseSwitches(captured.run, good.argc(), good.argv()), SwitchOutcome::accepted);
  }
  EXPECT_EQ(captured.console(), "\nvornup.exe: Error - unable to open dbg.log!\n");
}

TEST(ParseSwitches, TimeoutSetsTheDownloadLimitInWholeMinutes) {
  using std::chrono::minutes;
  const struct {
    const char* argument;
    int timeoutMinutes;  // 0: rejected as an unknown switch
  } cases[] = {
      {"/timeout=1", 1},    {"/timeout=60", 60}, {"/TimeOut=7", 7},  {"/timeout=1440", 1440},
      {"/timeout=007", 7},  {"/timeout=0", 0},   {"/timeout=", 0},   {"/timeout", 0},
      {"/timeout=1441", 0}, {"/timeout=-5", 0},  {"/timeout=+5", 0}, {"/timeout=1.5", 0},
      {"/timeout=5m", 0},   {"/timeout= 5", 0},  {"/timeout=99999999999999999999", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    CapturedRun captured;
    Arguments args{"/q", c.argument};
    const SwitchOutcome outcome = parseSwitches(captured.run, args.argc(), args.argv());
    if (c.timeoutMinutes == 0) {
      EXPECT_EQ(outcome, SwitchOutcome::unknownSwitch);
      EXPECT_EQ(captured.console(), std::string("\nvornup.exe: Error - Unknown switch = ") +
                                        c.argument + " - Return Code=4\n\n");
      EXPECT_EQ(captured.run.toolTimeLimits.download, minutes(60));
    } else {
      EXPECT_EQ(outcome, SwitchOutcome::accepted);
      EXPECT_EQ(captured.run.sw.timeoutMinutes, c.timeoutMinutes);
      EXPECT_EQ(captured.run.toolTimeLimits.download, minutes(c.timeoutMinutes));
      EXPECT_EQ(captured.run.toolTimeLimits.query, minutes(c.timeoutMinutes < 5 ? c.timeoutMinutes : 5));
      EXPECT_EQ(captured.console(), "");
    }
  }
}

TEST(ParseSwitches, MetricsSwitchNamesAFileAndTheLastOneCounts) {
  const struct {
    std::vector<const char*> arguments;
    const char* metricsPath;  // nullptr: rejected as an unknown switch
  } cases[] = {
      {{"/q", "/prom=m.prom"}, "m.prom"},
      {{"/q", "/PROM=a b.prom"}, "a b.prom"},
      {{"/q", "/prom=1.prom", "/prom=2.prom"}, "2.prom"},
      {{"/q", "/prom="}, nullptr},
      {{"/q", "/prom"}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    CapturedRun captured;
    std::vector<char*> argv = {const_cast<char*>("vornup.exe")};
    for (const char* argument : c.arguments) argv.push_back(const_cast<char*>(argument));
    const SwitchOutcome outcome =
        parseSwitches(captured.run, static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(outcome, c.metricsPath != nullptr ? SwitchOutcome::accepted
                                                : SwitchOutcome::unknownSwitch);
    EXPECT_EQ(captured.run.hostRecords.metricsPath, c.metricsPath != nullptr ? c.metricsPath : "");
  }
}

}  // namespace
}  // namespace vornup
