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

// Writes `document` into a new temporary file and puts it in place of
// `path`; false with the reason when any step fails (the temporary file is
// then removed).
bool writeInPlace(const std::string& path, const std::string& document, std::string& why) {
  const std::string temporary = temporaryPathOf(path);
  errno = 0;
  std::FILE* file = createReportFile(temporary);
  if (file == nullptr) {
    why = "cannot create " + temporary + ": " + systemReason();
    return false;
  }
  // A report replaced keeps its mode and owner.
  errno = 0;
  if (!adoptReportAttributes(file, path)) {
    why = "cannot give " + temporary + " the mode and owner of the report: " + systemReason();
    std::fclose(file);
    removeReportFile(temporary);
    return false;
  }
  const bool written = std::fwrite(document.data(), 1, document.size(), file) == document.size();
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
  switch (inspectReportTarget(path)) {
    case ReportTarget::absent:
    case ReportTarget::regularFile:
      break;
    case ReportTarget::directory:
      why = "it is a directory";
      return false;
    case ReportTarget::notRegular:
      why = "it is not a regular file";
      return false;
    case ReportTarget::otherOwner:
      why = "it belongs to another user";
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
  run.report.arguments.assign(argv + 1, argv + argc);
  run.report.started = std::time(nullptr);
  run.report.written = false;
  return true;
}

bool isReportTheLog(const RunState& run) {
  return run.report.requested() && isSameOpenFile(run.report.path, run.out.logFile);
}

bool startRunReport(RunState& run) {
  if (!run.report.requested()) return true;
  std::string why;
  if (writeInPlace(run.report.path, runInProgressDocument(run), why)) return true;
  run.out.errorOut(kNotWritten, run.programName, run.report.path.c_str(), why.c_str());
  run.report = ReportRequest();
  return false;
}

bool finishRunReport(RunState& run, int exitCode, const char* statusText) {
  if (!run.report.requested() || run.report.written) return true;
  run.report.written = true;
  RunEnd end;
  end.exitCode = exitCode;
  end.statusText = statusText != nullptr
                       ? std::string(statusText)
                       : statusTextOf(run.out.lastStatusLine(), run.programName);
  end.rebootRequired = isRebootRequired(run);
  end.ended = std::time(nullptr);
  std::string why;
  if (writeInPlace(run.report.path, runReportDocument(run, end), why)) return true;
  run.out.errorOut(kNotWritten, run.programName, run.report.path.c_str(), why.c_str());
  return false;
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
