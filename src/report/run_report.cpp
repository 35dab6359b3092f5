#include "report/run_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/run_state.h"
#include "platform/report_host.h"
#include "report/run_report_json.h"

namespace vornup {

namespace {

constexpr char kNotWritten[] = "%s: the run report %s was not written: %s\n";

// The temporary file beside the report: same directory, so the rename that
// puts it in place never crosses file systems; the process number keeps two
// runs apart.
std::string temporaryPathOf(const std::string& path) {
  return path + "." + std::to_string(reportProcessId()) + ".tmp";
}

std::string systemReason() {
  const char* text = std::strerror(errno);
  return text != nullptr ? text : "unknown error";
}

// Writes the report of `run` into a new temporary file, one port at a time,
// and puts it in place of `path`; false with the reason when any step fails
// (the temporary file is then removed).
bool writeInPlace(const RunState& run, const std::string& path, std::string& why) {
  const std::string temporary = temporaryPathOf(path);
  errno = 0;
  std::FILE* file = createReportFile(temporary);
  if (file == nullptr) {
    why = "cannot create " + temporary + ": " + systemReason();
    return false;
  }
  const bool written = writeRunReport(run, [file](const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
  });
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!written || !flushed || !closed) {
    why = "cannot write " + temporary + ": " + systemReason();
    removeReportFile(temporary);
    return false;
  }
  errno = 0;
  if (!replaceReportFile(temporary, path)) {
    why = "cannot replace it: " + systemReason();
    removeReportFile(temporary);
    return false;
  }
  return true;
}

}  // namespace

bool acceptRunReport(RunState& run, const std::string& path, int argc, char** argv,
                     std::string& why) {
  if (path.empty()) {
    why = "no file name";
    return false;
  }
  if (isExistingDirectory(path)) {
    why = "it is a directory";
    return false;
  }
  const std::string temporary = temporaryPathOf(path);
  errno = 0;
  std::FILE* probe = createReportFile(temporary);
  if (probe == nullptr) {
    why = "cannot create " + temporary + ": " + systemReason();
    return false;
  }
  std::fclose(probe);
  removeReportFile(temporary);

  run.report.path = path;
  run.report.written = false;
  run.record.arguments.assign(argv + 1, argv + argc);
  return true;
}

void finishRunReport(RunState& run) {
  if (!run.report.requested() || run.report.written) return;
  run.report.written = true;
  std::string why;
  if (!writeInPlace(run, run.report.path, why)) {
    run.out.errorOut(kNotWritten, run.programName, run.report.path.c_str(), why.c_str());
  }
}

bool isRebootRequired(const RunState& run) {
  const Counters& c = run.counters;
  if (run.sw.preview || c.cnaFwDownloadCount == 0) return false;
  if (c.cnaFwDownloadCount <= c.cnaFwErrorCount) return false;
  // Errors and downloads that needed no reboot can together outweigh the
  // downloads, so the difference is taken with a sign.
  const int pending = static_cast<int>(c.cnaFwDownloadCount) -
                      static_cast<int>(c.cnaFwErrorCount) - static_cast<int>(c.cnaNoRebootCount);
  return pending > 0;
}

}  // namespace vornup
