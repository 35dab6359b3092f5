// The paths of one run: the directories and the table beside the program,
// and the run's private temporary directory with the tool output file.
#pragma once

#include "core/run_state.h"

namespace vornup {

// Builds firmwareDirectory, bootDirectory and fwmatrixPath from binDirectory
// and traces them.
void composePaths(RunState& run);

// Creates the run's private temporary directory and sets tempFilePath to the
// tool output file inside it; traces the file. Without a temporary directory
// tempFilePath stays empty, and every tool step then fails cleanly.
void composeTempPath(RunState& run);

// Deletes the tool output file and the run's temporary directory, if one was
// created. Safe to call more than once.
void removeTempDirectory(RunState& run);

}  // namespace vornup
