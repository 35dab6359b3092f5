#include "driver/switches.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/text_compare.h"
#include "driver/run_outcomes.h"
#include "driver/switch_check.h"
#include "platform/safe_files.h"
#include "report/run_report.h"
#include "tool/tool_runner.h"

namespace vornup {

const SwitchName kSwitchTable[] = {
    {"auto", &Switches::autoMode, nullptr},
    {"a", &Switches::autoMode, nullptr},
    {"downgrade", &Switches::downgrade, nullptr},
    {"down", &Switches::downgrade, nullptr},
    {"d", &Switches::downgrade, nullptr},
    {"g", &Switches::downgrade, nullptr},
    {"rewrite", &Switches::rewrite, nullptr},
    {"e", &Switches::rewrite, nullptr},
    {"ff", &Switches::forceFw, nullptr},
    {"fb", &Switches::forceBootCode, nullptr},
    {"f", &Switches::forceFw, &Switches::forceBootCode},
    {"remote", &Switches::remote, nullptr},
    {"preview", &Switches::preview, nullptr},
    {"p", &Switches::preview, nullptr},
    {"update", &Switches::update, nullptr},
    {"up", &Switches::update, nullptr},
    {"u", &Switches::update, nullptr},
    {"query", &Switches::query, nullptr},
    {"q", &Switches::query, nullptr},
    {"verbose", &Switches::verbose, nullptr},
    {"v", &Switches::verbose, nullptr},
    {"s", &Switches::silent, nullptr},
    {"?", &Switches::help, nullptr},
    {"help", &Switches::help, nullptr},
    {"h", &Switches::help, nullptr},
};
const std::size_t kSwitchTableSize = sizeof kSwitchTable / sizeof kSwitchTable[0];

namespace {

constexpr char kUnableToOpenTrace[] = "\n%s: Error - unable to open %s!\n";
constexpr char kReportReason[] = "%s: run report %s: %s\n";
constexpr char kReportSwitch[] = "json=";
constexpr char kBaselineSwitch[] = "baseline=";
constexpr char kMetricsSwitch[] = "prom=";
constexpr char kDebugTraceName[] = "dbg.log";
constexpr char kDebugTraceSwitch[] = "xv";
// "/log" and "/l": the characters before "=" in a log switch, slash included.
constexpr std::size_t kLongLogSwitchLength = 4;
constexpr std::size_t kShortLogSwitchLength = 2;

const SwitchName* findSwitch(const char* text) {
  for (std::size_t i = 0; i < kSwitchTableSize; ++i) {
    if (equalsIgnoringCase(text, kSwitchTable[i].name)) return &kSwitchTable[i];
  }
  return nullptr;
}

void applySwitch(RunState& run, const SwitchName& found) {
  run.sw.*found.flag = true;
  if (found.alsoFlag != nullptr) run.sw.*found.alsoFlag = true;
  run.out.silent = run.sw.silent;
}

bool isLogSwitch(const char* text) {
  return std::tolower(static_cast<unsigned char>(*text)) == 'l';
}

SwitchOutcome rejectSwitch(RunState& run, SwitchOutcome outcome, const char* detail = "") {
  reportOutcome(run, outcome, detail);
  return outcome;
}

// A log switch: "/log=FILE" or "/l=FILE". Returns false when the parse ends
// at once; `result` is the parse result either way.
bool parseLogSwitch(RunState& run, const char* argument, SwitchOutcome& result) {
  if (run.out.logFile != nullptr) {
    result = rejectSwitch(run, SwitchOutcome::multipleLogFiles);
    return false;
  }
  const char* equals = std::strchr(argument, '=');
  std::size_t nameLength =
      equals != nullptr ? static_cast<std::size_t>(equals - argument) : std::strlen(argument);
  if (nameLength != kLongLogSwitchLength && nameLength != kShortLogSwitchLength) {
    result = rejectSwitch(run, SwitchOutcome::malformedLogSwitch, argument);
    return false;
  }
  result = SwitchOutcome::accepted;
  const char* fileName = equals != nullptr ? equals + 1 : "";
  // Never through another user's link, never a FIFO or device.
  if (*fileName != '\0') run.out.logFile = openFileForWriting(fileName, WriteMode::append, true);
  if (run.out.logFile == nullptr) {
    result = rejectSwitch(run, SwitchOutcome::logFileUnopenable, fileName);
  }
  return true;
}

// The text after "timeout=" (any case): whole minutes from 1 to
// kMaxTimeoutMinutes, digits only. False when `text` is no such switch.
bool parseTimeoutSwitch(const char* text, int& minutes) {
  const std::size_t nameLength = sizeof kTimeoutSwitch - 1;
  for (std::size_t i = 0; i < nameLength; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != kTimeoutSwitch[i]) return false;
  }
  const char* digits = text + nameLength;
  if (*digits == '\0') return false;
  long value = 0;
  for (const char* c = digits; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + (*c - '0');
    if (value > kMaxTimeoutMinutes) return false;
  }
  if (value < 1) return false;
  minutes = static_cast<int>(value);
  return true;
}

// Whether `text` starts with `name` (lowercase), in any case.
bool startsWithSwitch(const char* text, const char* name) {
  for (; *name != '\0'; ++name, ++text) {
    if (std::tolower(static_cast<unsigned char>(*text)) != *name) return false;
  }
  return true;
}

bool isReportSwitch(const char* text) { return startsWithSwitch(text, kReportSwitch); }

// "/baseline=FILE" with a file named once.
bool parseBaselineSwitch(RunState& run, const char* text) {
  if (!startsWithSwitch(text, kBaselineSwitch) || !run.baselineSwitch.empty()) return false;
  const char* fileName = text + sizeof kBaselineSwitch - 1;
  if (*fileName == '\0') return false;
  run.baselineSwitch = fileName;
  return true;
}

// The metrics switch "/prom=FILE" with a file name; the last one counts.
// The file is written at the end of the run; one that cannot be written
// then is a warning, so nothing is probed now.
bool takeMetricsSwitch(RunState& run, const char* text) {
  if (!startsWithSwitch(text, kMetricsSwitch) || text[sizeof kMetricsSwitch - 1] == '\0') {
    return false;
  }
  run.hostRecords.metricsPath = text + sizeof kMetricsSwitch - 1;
  return true;
}

// The report switch "/json=FILE": the file must be writable now, before the
// run touches the host.
SwitchOutcome parseReportSwitch(RunState& run, const char* argument) {
  if (run.report.requested()) return rejectSwitch(run, SwitchOutcome::multipleReports);
  const char* fileName = std::strchr(argument, '=') + 1;
  std::string why;
  if (!acceptRunReport(run, fileName, why)) {
    run.out.errorOut(kReportReason, run.programName, fileName, why.c_str());
    return rejectSwitch(run, SwitchOutcome::reportUnwritable, fileName);
  }
  return SwitchOutcome::accepted;
}

// The first report switch of a refused run; later ones are passed over.
void takeReportSwitchQuietly(RunState& run, const char* argument) {
  if (run.report.requested()) return;
  const char* fileName = std::strchr(argument, '=') + 1;
  std::string why;
  if (!acceptRunReport(run, fileName, why)) {
    run.out.errorOut(kReportReason, run.programName, fileName, why.c_str());
  }
}

void requestDebugTrace(RunState& run) {
  if (run.sw.debugTraceRequested) return;
  run.sw.debugTraceRequested = true;
  run.out.debugTrace = openFileForWriting(kDebugTraceName, WriteMode::truncate, true);
}

// What a reading of the command line is for: the run itself, or only the
// report and the host's records of a run refused before its switches.
enum class SwitchReading { run, recordsOnly };

// The one reading of the command line. For a refused run it opens no log or
// trace and rejects nothing: a report path that cannot be written is named
// on standard error only, and the switches it cannot use are passed over.
SwitchOutcome readSwitches(RunState& run, int argc, char** argv, SwitchReading reading) {
  const bool recordsOnly = reading == SwitchReading::recordsOnly;
  run.sw = Switches();
  run.report = ReportRequest();
  run.hostRecords.metricsPath.clear();
  run.out.silent = false;
  run.toolTimeLimits = ToolTimeLimits();
  run.baselineSwitch.clear();
  SwitchOutcome result = SwitchOutcome::noSwitch;

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    // Every switch begins with a slash; the rest is matched whole.
    const char* text = argument[0] == '/' ? argument + 1 : nullptr;
    const SwitchName* found = text != nullptr ? findSwitch(text) : nullptr;
    int minutes = 0;
    if (found != nullptr) {
      applySwitch(run, *found);
      result = SwitchOutcome::accepted;
    } else if (text != nullptr && parseTimeoutSwitch(text, minutes)) {
      run.sw.timeoutMinutes = minutes;
      run.toolTimeLimits = toolTimeLimitsForMinutes(minutes);
      result = SwitchOutcome::accepted;
    } else if (text != nullptr && parseBaselineSwitch(run, text)) {
      result = SwitchOutcome::accepted;
    } else if (text != nullptr && isLogSwitch(text)) {
      if (recordsOnly) continue;
      if (!parseLogSwitch(run, argument, result)) return result;
    } else if (text != nullptr && isReportSwitch(text)) {
      if (recordsOnly) {
        takeReportSwitchQuietly(run, argument);
        continue;
      }
      result = parseReportSwitch(run, argument);
      if (result != SwitchOutcome::accepted) return result;
    } else if (text != nullptr && takeMetricsSwitch(run, text)) {
      // Taken: an early end writes its metrics too.
      result = SwitchOutcome::accepted;
    } else if (text != nullptr && equalsIgnoringCase(text, kDebugTraceSwitch)) {
      if (!recordsOnly) requestDebugTrace(run);
    } else if (!recordsOnly) {
      return rejectSwitch(run, SwitchOutcome::unknownSwitch, argument);
    }
  }
  if (recordsOnly) {
    // A refused run printed its line already; /s silences nothing after it.
    run.out.silent = false;
    return result;
  }

  // The report would replace the log that holds the run's lines.
  if (isReportTheLog(run)) {
    run.out.errorOut(kReportReason, run.programName, run.report.path.c_str(),
                     "it is the log file");
    const std::string path = run.report.path;
    run.report = ReportRequest();
    return rejectSwitch(run, SwitchOutcome::reportUnwritable, path.c_str());
  }

  if (run.sw.debugTraceRequested && run.out.debugTrace == nullptr) {
    run.out.consoleOut(kUnableToOpenTrace, run.programName, kDebugTraceName);
  }
  if (run.out.debugTrace != nullptr) traceSwitches(run);
  if (argc <= 1) {
    run.sw.help = true;
    return SwitchOutcome::accepted;
  }
  return result;
}

}  // namespace

SwitchOutcome parseSwitches(RunState& run, int argc, char** argv) {
  return readSwitches(run, argc, argv, SwitchReading::run);
}

void readSwitchesForReport(RunState& run, int argc, char** argv) {
  readSwitches(run, argc, argv, SwitchReading::recordsOnly);
}

}  // namespace vornup
