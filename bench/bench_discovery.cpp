// vornup-bench-discovery: times image discovery alone, in process: the
// driver's automatic-mode step for an update (firmware and boot code lists),
// on the firmware and boot directories of an install, without the trace.
//
// Usage: vornup-bench-discovery INSTALL-DIR [ROUNDS]
// The directories are discovered once to warm the cache, then ROUNDS times
// (7 by default); prints key=value lines: the images listed, the median and
// the best time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/run_state.h"
#include "platform/platform.h"
#include "selection/image_discovery.h"
#include "selection/image_discovery_scan.h"

namespace {

using Clock = std::chrono::steady_clock;

// One discovery as an /auto /update run does it; returns the images listed.
std::size_t discover(const std::string& install, double& seconds) {
  vornup::RunState run(vornup::hostPlatform());
  run.sw.autoMode = true;
  run.sw.update = true;
  run.firmwareDirectory.set((install + "/firmware/").c_str());
  run.bootDirectory.set((install + "/boot/").c_str());
  const Clock::time_point start = Clock::now();
  const vornup::AutoDiscoveryOutcome status = vornup::autoDiscovery(run);
  seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (status != vornup::AutoDiscoveryOutcome::done) return 0;
  return run.firmwareList.size() + run.bootList.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vornup-bench-discovery INSTALL-DIR [ROUNDS]\n");
    return 2;
  }
  const std::string install = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  double seconds = 0;
  const std::size_t images = discover(install, seconds);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    discover(install, seconds);
    times.push_back(seconds);
  }
  std::sort(times.begin(), times.end());
  std::printf("images=%zu\ndiscovery_ms=%.3f\ndiscovery_best_ms=%.3f\n", images,
              times[times.size() / 2] * 1e3, times.front() * 1e3);
  return images == 0 ? 1 : 0;
}
