// What the history line, the metrics file and the audit records say about a
// run, gathered once at its end from the run record. They render these facts
// and nothing else.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace vornup {

struct RunState;

// One image kind (firmware or boot code) of one port.
struct ImageFacts {
  std::string decision;  // the report's words: "update", "not_required", ...
  std::string outcome;   // "downloaded", "failed", "previewed" or "none"
  std::string file;      // empty: no image was chosen
  std::string identifier;
  std::string sha256;  // of the bytes handed to the tool; empty when unknown
  std::string reason;  // why a download failed
  std::string before;  // the installed version as the query line shows it; empty: none
  std::string after;   // the version a download installed; empty: unchanged

  bool downloadRan() const { return outcome == "downloaded" || outcome == "failed"; }
  // The version installed at the end of the run.
  const std::string& now() const { return after.empty() ? before : after; }
};

struct PortFacts {
  std::string address;
  std::string model;
  std::string portType;  // "FC", "NIC", "iSCSI" or "FCoE"
  std::string serial;
  bool supported = false;
  ImageFacts firmware;
  ImageFacts bootCode;
};

struct RunFacts {
  std::string version;
  std::string host;
  std::string user;
  std::time_t started = 0;
  std::time_t ended = 0;
  std::vector<std::string> commandLine;
  std::string mode;       // "auto" or "fwmatrix"
  std::string operation;  // "update", "rewrite", "downgrade", "force", "query", "none"
  bool preview = false;
  bool toolUsed = false;  // the run located the tool and asked it for its adapters
  int exitCode = 0;
  std::string statusText;
  bool rebootRequired = false;
  bool interrupted = false;
  int unsupportedAdapters = 0;  // gated adapters left alone (exit codes 11 to 16)
  std::vector<PortFacts> ports;
};

// The facts of `run`, read from its record (core/run_record.h) at its end.
RunFacts runFactsOf(const RunState& run);

}  // namespace vornup
