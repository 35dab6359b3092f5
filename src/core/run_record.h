// The record of one run: its facts, noted as data when they happen. The run
// report, and any other rendering of a run, is made from it; nothing reads
// console, log or message text back.
//
// Run level: the switches as parsed once, the command line, the tool's path,
// the host lock, start and end, how the run ended, its exit code and status
// text, reboot and interrupt. Per port: the adapter record (core/adapter.h),
// which carries the port's identity, its versions as read, and for each image
// kind its ImageRecord (core/image_record.h).
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "core/adapter.h"
#include "core/image_kind.h"
#include "core/image_record.h"

namespace vornup {

struct Switches {
  bool autoMode = false;  // /auto (the word itself is taken by the language)
  bool downgrade = false;
  bool forceFw = false;
  bool forceBootCode = false;
  bool preview = false;
  bool query = false;
  bool remote = false;
  bool rewrite = false;
  bool update = false;
  bool verbose = false;
  bool silent = false;
  bool help = false;
  bool debugTraceRequested = false;
  // /timeout=<minutes>: the time limit of one download; 0 when not given.
  int timeoutMinutes = 0;
};

// What the run was asked to do, by its switches.
enum class RunOperation { none, query, update, rewrite, downgrade, force };

// The host-wide lock, as far as the run got with it.
enum class HostLockState { notTried, held, heldByAnotherRun, unavailable };

// How the run ended.
enum class RunEnding {
  running,      // not ended yet
  completed,    // through the adapter loop to its status line
  stoppedEarly,  // a setup, switch or tool error ended it before the loop's end
  refused,      // refused before its switches were read (rights, lock)
  interrupted,  // a signal, a closed console or a closing window
};

struct RunRecord {
  Switches switches;
  // The command line after the program name.
  std::vector<std::string> arguments;
  // The management tool's path as located, without the quotes the command
  // line needs; empty until located.
  std::string toolPath;
  HostLockState lock = HostLockState::notTried;
  std::time_t started = 0;
  std::time_t ended = 0;
  RunEnding ending = RunEnding::running;
  int exitCode = 0;
  // The text of the last status line: without the program name, the return
  // code and the line ends; empty when no status line was printed.
  std::string statusText;
  bool rebootRequired = false;
  bool interrupted = false;
  // The ports, in the order the tool named them.
  AdapterList ports;

  RunOperation operation() const;
  bool isQueryOnly() const;
  bool hasOperationSwitch() const;
};

// The record of `kind` of a port.
ImageRecord& imageRecordOf(Adapter& adapter, ImageKind kind);
const ImageRecord& imageRecordOf(const Adapter& adapter, ImageKind kind);

}  // namespace vornup
