#include "driver/run_state.h"

namespace vornup {

RunState::~RunState() {
  if (fwmatrixFile != nullptr) std::fclose(fwmatrixFile);
}

bool RunState::hasOperationSwitch() const {
  return sw.rewrite || sw.downgrade || sw.update || sw.forceFw || sw.forceBios;
}

bool RunState::isQueryOnly() const {
  return sw.query && !(sw.rewrite || sw.downgrade || sw.forceBios || sw.forceFw || sw.update ||
                       sw.help || sw.autoMode);
}

}  // namespace vornup
