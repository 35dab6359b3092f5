#include "driver/adapter_loop.h"

#include "core/placeholder_text.h"
#include "platform/interrupts.h"
#include "report/adapter_lines.h"
#include "selection/decision_auto.h"
#include "selection/decision_fwmatrix.h"
#include "selection/fpga_gate.h"

namespace vornup {

namespace {

constexpr char kUnsupportedXcna[] = "\n%s: Unsupported XCNA found! HBA = %s\n";

constexpr char kAdapterHeaderTrace[] =
    "\n"
    "adapterNumber = %d\n"
    "model         = %s\n"
    "portType      = %s\n";
constexpr char kFcFwVersionTrace[] = "fwVersion     = %s%s\n";
constexpr char kFcBcVersionTrace[] = "bcVersion     = %s%s\n";
constexpr char kFwVersionTrace[] = "fwVersion     = %s\n";
constexpr char kImageTypeTrace[] = "imageType     = %d\n";
constexpr char kUnsupportedTrace[] = "Unsupported HBA!\n";
constexpr char kQueryOnlyTrace[] = "operation     = query only\n";
constexpr char kNotSupportedTrace[] = "supported     = false\n";
constexpr char kReadFailedTrace[] = "read failed   = %s: %s\n";

void traceAdapter(RunState& run, const Adapter& a) {
  if (!run.out.tracing()) return;
  run.out.traceOut(kAdapterHeaderTrace, static_cast<int>(a.adapterNumber), a.model.c_str(),
                   a.portType.c_str());
  if (isFcAdapter(a) && !isHalvardFcAdapter(a)) {
    run.out.traceOut(kFcFwVersionTrace, a.fwType.c_str(), a.fwVersion.c_str());
    run.out.traceOut(kFcBcVersionTrace, a.bootCodeType.c_str(), a.bootCodeVersion.c_str());
  } else {
    run.out.traceOut(kFwVersionTrace, a.fwVersion.c_str());
  }
  run.out.traceOut(kImageTypeTrace, static_cast<int>(a.imageFamily));
}

// A gated converged adapter whose installed firmware is below the supported
// minimum is not touched.
bool isRejectedByFpgaGate(RunState& run, const Adapter& a) {
  return isFpgaGatedAdapter(a) && !hasSupportedKX2FirmwareVersion(run, a);
}

void rejectUnsupported(RunState& run, Adapter& a) {
  if (run.sw.verbose) run.out.consoleOut(kUnsupportedXcna, run.programName, a.model.c_str());
  run.out.traceOut(kNotSupportedTrace);
  a.supported = 0;
  ++run.counters.unsupportedCount;
}

void queryOnly(RunState& run, Adapter& a) {
  run.out.traceOut(kQueryOnlyTrace);
  ++run.counters.queryCount;
  if (hasInvalidIdentity(a)) ++run.counters.queryErrorCount;
  printPlainQueryLine(run, a);
  if (isRejectedByFpgaGate(run, a)) rejectUnsupported(run, a);
}

// A port whose details could not be read is not touched: its query, or the
// download an operation asks of it, counts as failed.
void failUnreadPort(RunState& run, Adapter& a) {
  run.out.traceOut(kReadFailedTrace, a.readFailure.command.c_str(), a.readFailure.reason.c_str());
  raiseCounter(run.counters.failedReadCount);
  if (run.sw.query) {
    raiseCounter(run.counters.queryCount);
    raiseCounter(run.counters.queryErrorCount);
    printPlainQueryLine(run, a);
  }
  if (run.hasOperationSwitch()) {
    raiseCounter(run.counters.downloadCount);
    raiseCounter(run.counters.downloadErrorCount);
  }
}

void operate(RunState& run, Adapter& a) {
  if (!isRejectedByFpgaGate(run, a)) {
    if (run.sw.autoMode) {
      decideAutoUpdate(run, a);
    } else {
      decideFwmatrixUpdate(run, a);
    }
    return;
  }
  printQueryLine(run, a, kNoneText, ImageKind::firmware);
  rejectUnsupported(run, a);
}

}  // namespace

uint16_t processAdapters(RunState& run) {
  uint16_t lostAdapters = 0;
  for (auto& record : run.adapterList) {
    // After an interrupt no further adapter is taken up; the one in hand
    // has finished its running command.
    if (interruptRequested()) break;
    Adapter& a = *record;
    traceAdapter(run, a);
    if (a.readFailure.failed()) {
      failUnreadPort(run, a);
      continue;
    }
    if (a.supported == 0) {
      run.out.traceOut(kUnsupportedTrace);
      if (run.sw.query) {
        ++run.counters.queryCount;
        ++run.counters.queryErrorCount;
        printPlainQueryLine(run, a);
      }
      continue;
    }
    if (run.isQueryOnly()) {
      queryOnly(run, a);
      continue;
    }
    operate(run, a);
    if (a.supported == 0) ++lostAdapters;
  }
  return lostAdapters;
}

}  // namespace vornup
