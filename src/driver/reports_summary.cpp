#include "driver/reports_summary.h"

#include "core/adapter.h"
#include "core/run_state.h"
#include "report/adapter_lines.h"

namespace vornup {

namespace {

constexpr char kBannerBlock[] =
    "\n\n"
    "*******************************************************************************\n"
    "*******************************************************************************\n";
constexpr char kDownloadSummaryHeading[] = "Download Summary:\n";
constexpr char kUnsupportedSummaryHeading[] = "Unsupported HBA summary:\n";
constexpr char kAutoUnsupportedIntro[] =
    "\n%s: Auto Discovery - The following HBAs are not supported:\n";
constexpr char kFwmatrixUnsupportedIntro[] =
    "\n%s: Fwmatrix - The following HBAs are not supported or no matching HBA model entries "
    "found:\n";
constexpr char kSummaryEnd[] = "\n\n";

// Plain FC adapters end their summary line with one blank, every other port
// with two.
const char* unsupportedLineEnd(const Adapter& a) {
  return isFcAdapter(a) && !isHalvardFcAdapter(a) ? " " : "  ";
}

}  // namespace

void printVerboseSummaries(RunState& run, uint16_t lostAdapters) {
  if (run.counters.downloadCount != 0) printDownloadSummary(run);
  if (lostAdapters != 0) printUnsupportedSummary(run);
}

void printDownloadSummary(RunState& run) {
  run.out.consoleOut("%s", kBannerBlock);
  run.out.consoleOut("%s", kDownloadSummaryHeading);
  for (const auto& adapter : run.adapterList) {
    if (adapter->fwAttempted) run.out.consoleOut("%s", adapter->fwResultLine.c_str());
    if (adapter->bootAttempted) run.out.consoleOut("%s", adapter->bootResultLine.c_str());
  }
  run.out.consoleOut("%s", kSummaryEnd);
}

void printUnsupportedSummary(RunState& run) {
  run.out.consoleOut("%s", kBannerBlock);
  run.out.consoleOut("%s", kUnsupportedSummaryHeading);
  run.out.consoleOut(run.sw.autoMode ? kAutoUnsupportedIntro : kFwmatrixUnsupportedIntro,
                     run.programName);
  for (const auto& adapter : run.adapterList) {
    if (adapter->supported != 0) continue;
    FixedText<512> body;
    if (formatAdapterBody(*adapter, body)) {
      run.out.consoleOut("%s%s", body.c_str(), unsupportedLineEnd(*adapter));
    }
  }
  run.out.consoleOut("%s", kSummaryEnd);
}

}  // namespace vornup
