// Running one program, or one command line, with a time limit, in a process
// group of its own, so that it and every process it started can be ended
// together.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vornup {

struct CommandLimits {
  // How long the command may run; zero means no limit.
  std::chrono::milliseconds timeLimit{0};
  // Whether an interrupt (see interrupts.h) ends the command. A query may be
  // ended; a firmware download never is: it runs to its end or its limit.
  bool endOnInterrupt = false;
  // After the polite request to stop (POSIX: SIGTERM to the process group),
  // how long the command gets before it is ended outright (SIGKILL). Windows
  // ends the whole job at once.
  std::chrono::milliseconds terminationGrace{2000};
};

enum class CommandEnd {
  exited,       // ran to its end; `status` is its exit status
  timedOut,     // passed its limit; it and its child processes were ended
  interrupted,  // ended (or not started) because an interrupt was requested
  notStarted,   // the program (or the command interpreter) could not be started
};

struct CommandResult {
  CommandEnd end = CommandEnd::notStarted;
  // The exit status when the command exited (POSIX: 128 + signal number when
  // a signal ended the interpreter); -1 otherwise.
  int status = -1;
  // False only when the command was never started: the program could not
  // be started, or an interrupt had already been requested.
  bool started = false;
  // Why the program could not be started (the system's message), when it
  // could not.
  std::string startError;
};

// One program started directly, with no command interpreter between: nothing
// in its path or arguments is ever interpreted.
struct ProgramStart {
  // The program's full path.
  std::string program;
  // Its arguments, without the program's own name.
  std::vector<std::string> arguments;
  // The file that receives its standard output: created new (never an
  // existing file or link), readable only by the current user. Standard input
  // is the null device; standard error is the program's own. No other
  // descriptor or handle of this process reaches the program.
  std::string outputPath;
  // How the command is shown to the administrator (the trace, /v, the log):
  // the line that would repeat it at a prompt. It is never run.
  std::string shownAs;
};

// The plain exit status of an unlimited run: `status` when the command
// exited, else -1 (the value the program has always used for "could not run").
int plainStatus(const CommandResult& result);

}  // namespace vornup
