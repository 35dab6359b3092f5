#include "report/run_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/run_state.h"
#include "platform/report_host.h"
#include "report/host_records_writer.h"
#include "report/replaced_file.h"
#include "report/run_report_json.h"

namespace vornup {

namespace {

constexpr char kNotWritten[] = "%s: the run report %s was not written: %s\n";

std::string systemReason() {
  const char* text = std::strerror(errno);
  return text != nullptr ? text : "unknown error";
}

}  // namespace

bool acceptRunReport(RunState& run, const std::string& path, std::string& why) {
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
  const std::string temporary = temporaryPathBeside(path);
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
  return true;
}

bool isReportTheLog(const RunState& run) {
  return run.report.requested() && isSameOpenFile(run.report.path, run.out.logFile);
}

bool startRunReport(RunState& run) {
  if (!run.report.requested()) return true;
  std::string why;
  if (replaceFileWith(run.report.path, runInProgressDocument(run), why)) return true;
  run.out.errorOut(kNotWritten, run.programName, run.report.path.c_str(), why.c_str());
  run.report = ReportRequest();
  return false;
}

bool finishRunReport(RunState& run) {
  bool reported = true;
  if (run.report.requested() && !run.report.written) {
    run.report.written = true;
    std::string why;
    // One port at a time: a host with thousands of ports never holds its
    // report whole.
    reported = replaceFileWith(
        run.report.path, [&run](const FileSink& put) { return writeRunReport(run, put); }, why);
    if (!reported) {
      run.out.errorOut(kNotWritten, run.programName, run.report.path.c_str(), why.c_str());
    }
  }
  // A report that failed changes the run's exit code: the caller asks again
  // with that code, and the host's records are written then.
  if (reported) writeHostRecords(run);
  return reported;
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
