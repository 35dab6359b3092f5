// The host's run history: a JSON Lines file to which every run appends one
// line, bounded by rotating it to one ".1" file.
//
// POSIX: the line goes out in one write(2) on a descriptor opened with
// O_APPEND; Windows: one WriteFile on a handle opened with FILE_APPEND_DATA
// only. Either way a line is whole or absent, however the process ends, and
// lines of processes writing at the same time never interleave. Rotation
// renames the file, which a caller holding the host lock does alone.
// The file is opened as the log file is (safe_files.h): a link is followed
// only when the running user owns it (POSIX; Windows refuses every reparse
// point), only a regular file is accepted, and a FIFO never blocks.
#pragma once

#include <cstdint>
#include <string>

namespace vornup {

// The history file when no setting names one: /var/lib/vornup/history.jsonl
// (POSIX), %ProgramData%\vornup\history.jsonl (Windows).
std::string defaultHistoryPath();

// Appends `line` (one line, ending with "\n") to the history at `path`. When
// the file holds `rotateAt` bytes or more, it first becomes `path` + ".1"
// (replacing an older one). When the file does not end with a line end (a
// line cut short by something else), a line end goes first, so that line
// stays readable on its own and the new one is whole. The file's directory
// is created (one level) when it is missing. False with the reason in `why`.
bool appendHistoryLine(const std::string& path, const std::string& line, uint64_t rotateAt,
                       std::string& why);

}  // namespace vornup
