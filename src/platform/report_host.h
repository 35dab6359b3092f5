// What writing the run report needs of the host: its name, a process number
// for a temporary file name, the calendar time in UTC, and creating and
// replacing files.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>

namespace vornup {

// The machine's host name (POSIX: gethostname; Windows: the DNS host name),
// "" when it cannot be read.
std::string reportHostName();

// The running process's number.
unsigned long reportProcessId();

// `time` as a calendar time in UTC (the thread-safe call of each host);
// false when the host cannot express it.
bool utcCalendarTime(std::time_t time, std::tm& parts);

// Creates a new file for writing in binary mode; fails when anything, a link
// included, already has that name. POSIX: readable by others as the umask
// allows, like any file the run's user makes.
std::FILE* createReportFile(const std::string& path);

// True when `path` names an existing directory (a link to one included).
bool isExistingDirectory(const std::string& path);

// What stands at a report's path.
enum class ReportTarget {
  absent,       // nothing: the report will be a new file
  regularFile,  // a regular file that the report may replace
  directory,    // a directory, or a link to one
  notRegular,   // a link, FIFO, device, socket or anything else
  otherOwner,   // POSIX: a regular file of another user, which a run that is
                // not root cannot give back to its owner
};
ReportTarget inspectReportTarget(const std::string& path);

// Gives the new report `file` the mode and owner of the file at `existing`
// (POSIX; Windows keeps the security of the replaced file in
// replaceReportFile). True when there is nothing to keep or it was kept.
bool adoptReportAttributes(std::FILE* file, const std::string& existing);

// True when `path` names the same file as the open `file` (by identity:
// another spelling or a link to it included).
bool isSameOpenFile(const std::string& path, std::FILE* file);

// Puts the file `from` in place of `to` in one step: a reader sees the old or
// the new file, never a mix. Windows: an existing `to` keeps its security and
// attributes. False (and `from` left in place) on failure.
bool replaceReportFile(const std::string& from, const std::string& to);

// Removes a file; errors are ignored.
void removeReportFile(const std::string& path);

}  // namespace vornup
