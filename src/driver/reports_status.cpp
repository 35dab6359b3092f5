#include "driver/reports_status.h"

#include <cstdint>

#include "core/exit_codes.h"
#include "core/run_state.h"
#include "core/status_line.h"
#include "report/run_report.h"

namespace vornup {

namespace {

constexpr StatusLine kAllFailedLine = {"\n\n", ": ", "Error - all required %s failed"};
constexpr StatusLine kSomeFailedLine = {"\n\n", ": ", "Error - some required %s failed"};
constexpr StatusLine kAllSucceededLine = {"\n\n", ": ", "All required %s succeeded"};
constexpr StatusLine kNoneRequiredLine = {"\n\n", ": ", "No %s required"};
constexpr StatusLine kUnknownStatusLine = {"\n", ": ", "Unknown status - %s"};
constexpr StatusLine kNoSupportedAdapterLine = {"\n\n", ": ", kNoSupportedAdaptersText};
constexpr StatusLine kNoFirmwareLine = {"\n\n", ": ", "No compatible firmware found"};
constexpr StatusLine kNoFirmwareOrBootCodeLine = {"\n\n", ": ", "No compatible firmware or boot code found"};
constexpr StatusLine kNoFirmwareAndOrBootCodeLine = {"\n\n", ": ", "No compatible firmware and/or boot code found"};
constexpr StatusLine kNoBootCodeLine = {"\n\n", ": ", "No compatible boot code found"};
constexpr StatusLine kNoBootCodeSupportLine = {"\n\n", ": ", "Installed adapters do not support boot code downloads"};
constexpr char kRebootNotice[] = "Please reboot system to activate new firmware.\n";

// One rule of the attempts-and-failures tables: the first rule whose
// condition holds chooses the line, the last rule (without a condition) when
// none does; its code depends on whether any adapter was found unsupported.
struct CountRule {
  bool (*holds)(uint16_t attempts, uint16_t failures);
  ExitCode code;
  ExitCode codeWithUnsupported;
  StatusLine line;
};

bool allFailed(uint16_t attempts, uint16_t failures) {
  return failures != 0 && attempts == failures;
}
bool someFailed(uint16_t attempts, uint16_t failures) {
  return failures != 0 && attempts > failures;
}
bool allSucceeded(uint16_t attempts, uint16_t failures) { return attempts != 0 && failures == 0; }
bool noneAttempted(uint16_t attempts, uint16_t) { return attempts == 0; }

// Downloads of an operation run. The last row is reached only when more
// downloads failed than were counted.
constexpr CountRule kOperationRules[] = {
    {allFailed, ExitCode::allFailed, ExitCode::allFailedWithUnsupported, kAllFailedLine},
    {someFailed, ExitCode::someFailed, ExitCode::someFailedWithUnsupported, kSomeFailedLine},
    {allSucceeded, ExitCode::success, ExitCode::allSucceededWithUnsupported, kAllSucceededLine},
    {noneAttempted, ExitCode::noneRequired, ExitCode::noneRequiredWithUnsupported, kNoneRequiredLine},
    {nullptr, ExitCode::success, ExitCode::success, kUnknownStatusLine},
};

// Adapters reported by a query-only run.
constexpr CountRule kQueryRules[] = {
    {allFailed, ExitCode::allFailed, ExitCode::allFailedWithUnsupported, kAllFailedLine},
    {someFailed, ExitCode::someFailed, ExitCode::someFailedWithUnsupported, kSomeFailedLine},
    {allSucceeded, ExitCode::success, ExitCode::allSucceededWithUnsupported, kAllSucceededLine},
    {nullptr, ExitCode::success, ExitCode::allSucceededWithUnsupported, kUnknownStatusLine},
};

// What the operation switches asked for, by the first rule that holds.
struct OperationNoun {
  bool (*holds)(const Switches& sw);
  const char* noun;
};

constexpr OperationNoun kOperationNouns[] = {
    {[](const Switches& sw) { return sw.update; }, "updates"},
    {[](const Switches& sw) { return sw.rewrite; }, "rewrites"},
    {[](const Switches& sw) { return sw.downgrade; }, "downgrades"},
    {[](const Switches& sw) { return sw.forceFw && sw.forceBootCode; },
     "firmware and/or boot code downloads"},
    {[](const Switches& sw) { return sw.forceFw; }, "firmware downloads"},
    {[](const Switches& sw) { return sw.forceBootCode; }, "boot code downloads"},
};

// The line of a run that found known adapters but no image for them, by the
// force switches and by whether any adapter takes a separate boot code.
struct NoImageLine {
  bool forceFw;
  bool forceBootCode;
  StatusLine withoutBootCapable;
  StatusLine withBootCapable;
};

constexpr NoImageLine kNoImageLines[] = {
    {true, true, kNoFirmwareLine, kNoFirmwareOrBootCodeLine},
    {true, false, kNoFirmwareLine, kNoFirmwareLine},
    {false, true, kNoBootCodeSupportLine, kNoBootCodeLine},
    {false, false, kNoFirmwareLine, kNoFirmwareAndOrBootCodeLine},
};

template <std::size_t N>
int printCountStatus(RunState& run, const CountRule (&rules)[N], uint16_t attempts,
                     uint16_t failures, const char* noun) {
  const CountRule* chosen = &rules[N - 1];
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (rules[i].holds(attempts, failures)) {
      chosen = &rules[i];
      break;
    }
  }
  ExitCode code =
      run.counters.unsupportedCount != 0 ? chosen->codeWithUnsupported : chosen->code;
  printStatusLine(run, chosen->line, noun, exitStatus(code));
  return exitStatus(code);
}

const char* operationNoun(const Switches& sw) {
  for (const OperationNoun& entry : kOperationNouns) {
    if (entry.holds(sw)) return entry.noun;
  }
  return "";  // no operation switch: nothing to name
}

int printNoImageStatus(RunState& run) {
  const Counters& c = run.counters;
  ExitCode code;
  StatusLine line = kNoSupportedAdapterLine;
  if (c.knownPortCount == 0) {
    code = ExitCode::noAdapters;
  } else if (c.portCount == c.unsupportedCount) {
    code = ExitCode::everyAdapterUnsupported;
  } else {
    code = c.unsupportedCount != 0 ? ExitCode::noCompatibleImageWithUnsupported : ExitCode::noCompatibleImage;
    const bool forceFw = run.sw.forceFw;
    const bool forceBootCode = run.sw.forceBootCode;
    for (const NoImageLine& entry : kNoImageLines) {
      if (entry.forceFw != forceFw || entry.forceBootCode != forceBootCode) continue;
      line = c.bootCapableCount != 0 ? entry.withBootCapable : entry.withoutBootCapable;
    }
  }
  printStatusLine(run, line, nullptr, exitStatus(code));
  return exitStatus(code);
}

}  // namespace

int operationStatus(RunState& run) {
  const Counters& c = run.counters;
  // A port that could not be read is a failed download, not a missing image.
  if (c.failedReadCount == 0 && (c.knownPortCount == 0 || c.compatibleImageCount == 0)) {
    return printNoImageStatus(run);
  }
  return printCountStatus(run, kOperationRules, c.downloadCount, c.downloadErrorCount,
                          operationNoun(run.sw));
}

int queryStatus(RunState& run) {
  const Counters& c = run.counters;
  const char* noun = c.queryCount > 0 ? "queries" : "query";
  return printCountStatus(run, kQueryRules, c.queryCount, c.queryErrorCount, noun);
}

void rebootNotice(RunState& run) {
  if (isRebootRequired(run)) run.out.consoleOut("%s", kRebootNotice);
}

}  // namespace vornup
