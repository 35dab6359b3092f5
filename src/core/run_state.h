// The run state: everything one run of the program owns, from the switches to
// the adapter list. The driver creates it once; every step receives it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/adapter.h"
#include "core/baseline_rule.h"
#include "core/fixed_text.h"
#include "core/host_records.h"
#include "core/image_node.h"
#include "core/output.h"
#include "core/report_request.h"
#include "core/run_record.h"

namespace vornup {

class Platform;
class ToolRunner;

// How long one tool command may run: a download, and every other command
// (a query). The switch /timeout= sets them (toolTimeLimitsFor).
struct ToolTimeLimits {
  std::chrono::milliseconds query = std::chrono::minutes(5);
  std::chrono::milliseconds download = std::chrono::minutes(60);
};

// Run counters: 16-bit unsigned, compared as unsigned values.
struct Counters {
  uint16_t portCount = 0;
  uint16_t knownPortCount = 0;
  uint16_t downloadCount = 0;
  uint16_t downloadErrorCount = 0;
  uint16_t cnaFwDownloadCount = 0;
  uint16_t cnaFwErrorCount = 0;
  uint16_t cnaNoRebootCount = 0;
  uint16_t queryCount = 0;
  uint16_t queryErrorCount = 0;
  uint16_t unsupportedCount = 0;
  uint16_t compatibleImageCount = 0;
  uint16_t bootCapableCount = 0;
  // Ports whose details could not be read (Adapter::readFailure).
  uint16_t failedReadCount = 0;
};

// Adds 1 to a run counter that input can raise without bound (one fwmatrix.txt
// line after another): it stops at its largest value instead of wrapping to
// 0, which the final status would read as "nothing found".
inline void raiseCounter(uint16_t& counter) {
  if (counter != UINT16_MAX) ++counter;
}

// Size of the buffer that receives the output of every tool command.
constexpr std::size_t kToolOutputSize = 5120;

struct RunState {
  explicit RunState(Platform& hostPlatform) : platform(hostPlatform) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;
  ~RunState();

  Platform& platform;
  Output out;
  // The facts of the run (core/run_record.h); the switches and the adapter
  // list below are its own.
  RunRecord record;
  Switches& sw = record.switches;
  Counters counters;

  // Names, set by initRunState.
  const char* programName = "";
  const char* toolFileName = "";
  const char* programTitle = "";
  FixedText<32> versionString;

  // Paths. binDirectory holds at most 220 characters, so the paths built from
  // it stay below 256.
  FixedText<221> binDirectory;
  FixedText<256> firmwareDirectory;
  FixedText<256> bootDirectory;
  FixedText<256> fwmatrixPath;
  // The run's private temporary directory (empty until created) and the file
  // inside it that receives every tool command's output.
  FixedText<256> tempDirectory;
  FixedText<256> tempFilePath;
  // Full quoted path of the management tool, set by locateTandrel.
  FixedText<256> toolPath;
  // Output of the last tool command.
  FixedText<kToolOutputSize> toolOutput;

  std::FILE* fwmatrixFile = nullptr;

  ToolTimeLimits toolTimeLimits;
  // Runs the tool's commands (tool/tool_runner.h); null: the host's runner
  // on `platform`. Tests put a stand-in here.
  ToolRunner* toolRunner = nullptr;

  // Ports whose boot code this run switched on to read its version and has
  // not switched off again (their addresses); set back on every way out of
  // the run (tool/attributes.h).
  std::vector<std::string> bootCodeEnabledPorts;
  // Set while the one command that may still run after an interrupt runs:
  // switching such boot code off again.
  bool settingBootCodeBack = false;

  // /baseline=FILE: the baseline to use instead of baseline.json beside
  // the program; empty when not given.
  std::string baselineSwitch;
  // What the run made of its baseline and trusted keys (download/baseline_load.h).
  BaselineState baseline;
  // Under /p: the SHA-256 (hex, "" when unreadable) of each image file the
  // run judged, by path, so that an image is read once, not once a port.
  std::map<std::string, std::string> previewedDigests;

  // The run report (/json=), written when the run ends.
  ReportRequest report;
  // History, metrics and system log records, written when the run ends.
  HostRecords hostRecords;

  AdapterList& adapterList = record.ports;
  ImageList firmwareList;
  ImageList bootList;

  bool hasOperationSwitch() const;
  bool isQueryOnly() const;
};

}  // namespace vornup
