// A second process for the platform tests:
//   lock                 takes the host-wide lock: exits 0 when acquired,
//                        10 when another run holds it, 11 when unavailable
//   sleep MS [FILE]      sleeps MS milliseconds, then creates FILE
//   probe N              runs the rights probe N times: exits 1 when one fails
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/host_lock.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  using namespace vornup;
  if (argc >= 2 && std::strcmp(argv[1], "lock") == 0) {
    HostLock lock;
    switch (lock.acquire()) {
      case HostLockResult::acquired:
        return 0;
      case HostLockResult::heldByAnotherRun:
        return 10;
      case HostLockResult::unavailable:
        return 11;
    }
    return 12;
  }
  if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    if (argc >= 4) {
      std::FILE* marker = std::fopen(argv[3], "wb");
      if (marker == nullptr) return 1;
      std::fclose(marker);
    }
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "probe") == 0) {
    for (int round = std::atoi(argv[2]); round > 0; --round) {
      if (!hostPlatform().probeAdminRights()) return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: vornup_platform_helper lock | sleep MS [FILE] | probe N\n");
  return 2;
}
