#include "core/run_state.h"

#include "core/paths.h"

namespace vornup {

RunState::~RunState() {
  if (fwmatrixFile != nullptr) std::fclose(fwmatrixFile);
  // Every way out of a run leaves no temporary directory behind, including
  // the early exits that skip the shutdown step.
  removeTempDirectory(*this);
}

bool RunState::hasOperationSwitch() const { return record.hasOperationSwitch(); }

bool RunState::isQueryOnly() const { return record.isQueryOnly(); }

}  // namespace vornup
