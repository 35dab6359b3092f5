// POSIX: the processes a command left behind outside its process group. A
// tool child that starts a session of its own (setsid) leaves the group that
// the runner ends; on Linux this process is a child subreaper, so such a
// process, once its parent is gone, becomes a child of this one and can be
// found and ended. Elsewhere it becomes a child of init and only the group is
// ended.
#pragma once

#include <sys/types.h>

#include <vector>

namespace vornup {

// Makes this process the subreaper of its descendants, once; false where the
// system has no such thing.
bool becomeSubreaper();

// The current children of this process, zombies included, sorted.
std::vector<pid_t> currentChildren();

// After a command that started as process group `group` was ended: ends every
// child of this process that is not in `before` and is not `group` (its
// descendants that left the group and were adopted), their own groups with
// them, and reaps them, until no new one appears.
void endAdoptedDescendants(pid_t group, const std::vector<pid_t>& before);

// After a command that ran to its end: reaps those adopted children (not in
// `before`, not `group`) that have ended, now and at later calls, so that
// none stays a zombie; living ones are left to run.
void reapAdoptedDescendants(pid_t group, const std::vector<pid_t>& before);

}  // namespace vornup
