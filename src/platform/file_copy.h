// A bounded copy of one regular file into a new file: the image chosen for a
// download is copied into the run's private directory before it is checked
// again and handed to the tool.
#pragma once

#include <string>

namespace vornup {

enum class CopyOutcome {
  copied,
  sourceUnusable,       // missing, unreadable, or no regular file
  destinationUnusable,  // exists already, or cannot be created
  readFailed,
  writeFailed,
};

// Copies `from` (opened as openRegularFileForReading does) into the new file
// `to` (created as createExclusiveFile does) through a fixed 64 KiB buffer.
// On any failure after `to` was created, `to` is removed again.
CopyOutcome copyRegularFile(const std::string& from, const std::string& to);

}  // namespace vornup
