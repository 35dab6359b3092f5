#include "driver/reports_status.h"

#include <cstdint>

#include "core/exit_codes.h"
#include "core/run_state.h"
#include "report/run_report.h"

namespace vornup {

namespace {

constexpr char kAllFailedLine[] = "\n\n%s: Error - all required %s failed - Return Code=%d\n\n";
constexpr char kSomeFailedLine[] = "\n\n%s: Error - some required %s failed - Return Code=%d\n\n";
constexpr char kAllSucceededLine[] = "\n\n%s: All required %s succeeded - Return Code=%d\n\n";
constexpr char kNoneRequiredLine[] = "\n\n%s: No %s required - Return Code=%d\n\n";
constexpr char kUnknownStatusLine[] = "\n%s: Unknown status - %s - Return Code=%d\n\n";
constexpr char kNoSupportedHbaLine[] =
    "\n\n%s: Error - no supported Korvane HBAs found - Return Code=%d\n\n";
constexpr char kNoFirmwareLine[] = "\n\n%s: No compatible firmware found - Return Code=%d\n\n";
constexpr char kNoFirmwareOrBootCodeLine[] =
    "\n\n%s: No compatible firmware or boot code found - Return Code=%d\n\n";
constexpr char kNoFirmwareAndOrBootCodeLine[] =
    "\n\n%s: No compatible firmware and/or boot code found - Return Code=%d\n\n";
constexpr char kNoBootCodeLine[] = "\n\n%s: No compatible boot code found - Return Code=%d\n\n";
constexpr char kNoBootCodeSupportLine[] =
    "\n\n%s: Installed adapters do not support boot code downloads - Return Code=%d\n\n";
constexpr char kRebootNotice[] = "Please reboot system to activate new firmware.\n";

// One rule of the attempts-and-failures tables: the first rule whose
// condition holds chooses the line, the last rule (without a condition) when
// none does; its code depends on whether any adapter was found unsupported.
struct CountRule {
  bool (*holds)(uint16_t attempts, uint16_t failures);
  ExitCode code;
  ExitCode codeWithUnsupported;
  const char* line;
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
    {[](const Switches& sw) { return sw.update != 0; }, "updates"},
    {[](const Switches& sw) { return sw.rewrite != 0; }, "rewrites"},
    {[](const Switches& sw) { return sw.downgrade != 0; }, "downgrades"},
    {[](const Switches& sw) { return sw.forceFw != 0 && sw.forceBios != 0; },
     "firmware and/or boot code downloads"},
    {[](const Switches& sw) { return sw.forceFw != 0; }, "firmware downloads"},
    {[](const Switches& sw) { return sw.forceBios != 0; }, "boot code downloads"},
};

// The line of a run that found known adapters but no image for them, by the
// force switches and by whether any adapter takes a separate boot code.
struct NoImageLine {
  int forceFw;
  int forceBios;
  const char* withoutBootCapable;
  const char* withBootCapable;
};

constexpr NoImageLine kNoImageLines[] = {
    {1, 1, kNoFirmwareLine, kNoFirmwareOrBootCodeLine},
    {1, 0, kNoFirmwareLine, kNoFirmwareLine},
    {0, 1, kNoBootCodeSupportLine, kNoBootCodeLine},
    {0, 0, kNoFirmwareLine, kNoFirmwareAndOrBootCodeLine},
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
  run.out.consoleOut(chosen->line, run.programName, noun, exitStatus(code));
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
  const char* line = kNoSupportedHbaLine;
  if (c.knownHbaCount == 0) {
    code = ExitCode::noAdapters;
  } else if (c.gHbaCount == c.unsupportedCount) {
    code = ExitCode::everyAdapterUnsupported;
  } else {
    code = c.unsupportedCount != 0 ? ExitCode::noCompatibleImageWithUnsupported : ExitCode::noCompatibleImage;
    int forceFw = run.sw.forceFw != 0 ? 1 : 0;
    int forceBios = run.sw.forceBios != 0 ? 1 : 0;
    for (const NoImageLine& entry : kNoImageLines) {
      if (entry.forceFw != forceFw || entry.forceBios != forceBios) continue;
      line = c.bootCapableCount != 0 ? entry.withBootCapable : entry.withoutBootCapable;
    }
  }
  run.out.consoleOut(line, run.programName, exitStatus(code));
  return exitStatus(code);
}

}  // namespace

int operationStatus(RunState& run) {
  const Counters& c = run.counters;
  // A port that could not be read is a failed download, not a missing image.
  if (c.failedReadCount == 0 && (c.knownHbaCount == 0 || c.compatibleImageCount == 0)) {
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
