#include "core/run_state.h"

#include "core/paths.h"

namespace vornup {

RunState::~RunState() {
  if (fwmatrixFile != nullptr) std::fclose(fwmatrixFile);
  // Every way out of a run leaves no temporary directory behind, including
  // the early exits that skip the shutdown step.
  removeTempDirectory(*this);
}

bool RunState::hasOperationSwitch() const {
  return sw.rewrite || sw.downgrade || sw.update || sw.forceFw || sw.forceBios;
}

bool RunState::isQueryOnly() const {
  return sw.query && !(sw.rewrite || sw.downgrade || sw.forceBios || sw.forceFw || sw.update ||
                       sw.help || sw.autoMode);
}

}  // namespace vornup
