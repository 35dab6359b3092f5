// The adapter list: the input is the tool's "listhbas" reply (the first
// reply; the rest of the input is ignored). Discovery reads it into records;
// then the list-wide passes run over them, under /remote every other time.
#include "fuzz_tool.h"

#include "tool/attributes.h"
#include "tool/discovery.h"
#include "tool/port_suffixes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace vornup;
  fuzz::ScriptedTool tool(fuzz::splitReplies(data, size));
  RunState run(tool.platform);
  fuzz::prepareRun(run);
  run.sw.verbose = true;
  run.sw.remote = size % 2 != 0;
  if (discoverAdapters(run) == DiscoveryOutcome::listed) {
    if (run.adapterList.size() != run.counters.portCount) fuzz::fail("count", "portCount");
    settleNicPersonalities(run);
    applyPortSuffixes(run);
  }
  fuzz::finishRun(run);
  return 0;
}
