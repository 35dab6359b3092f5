// Windows: the command runs through the interpreter named by COMSPEC in a new
// process group (a Ctrl-C at the console does not reach it) and in a job
// object, so that ending the job ends every process it started. Only the
// runner ends the job; a vornup killed outright leaves it running. The process
// is created suspended and joins the job before it runs.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/host_command.h"
#include "platform/platform.h"
#include "platform/win32_interrupt_event.h"

namespace vornup {
namespace {

constexpr char kDefaultInterpreter[] = "cmd.exe";
// No AutoRun commands (they would add text to the output the program
// parses), no delayed expansion, and only the outer pair of quotes stripped,
// so every quoted path inside the line stays intact.
constexpr char kInterpreterOptions[] = " /d /v:off /s /c \"";
// The exit code of processes ended at the limit or on an interrupt.
constexpr UINT kEndedExitCode = 1;
// How long ending a job may take before the waiting stops.
constexpr DWORD kEndingWaitMilliseconds = 10000;

// A job that holds the command and every process it starts; nullptr when
// none can be made. It is not ended when its last handle closes: a vornup
// ended outright (Task Manager, taskkill /f) leaves a running download to
// finish, as on POSIX. The runner ends the job itself (TerminateJobObject)
// at the time limit, on an interrupt, and after the command exited.
HANDLE makeJob() { return CreateJobObjectA(nullptr, nullptr); }

DWORD waitMilliseconds(const CommandLimits& limits) {
  if (limits.timeLimit.count() <= 0) return INFINITE;
  auto count = limits.timeLimit.count();
  return count >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(count);
}

}  // namespace

CommandResult runHostCommand(const std::string& commandLine, const CommandLimits& limits,
                             CommandWatch& watch) {
  CommandResult result;
  std::fflush(stdout);
  std::string interpreter = hostPlatform().environmentValue("COMSPEC");
  const char* application = interpreter.empty() ? nullptr : interpreter.c_str();
  if (interpreter.empty()) interpreter = kDefaultInterpreter;
  std::string line = "\"" + interpreter + "\"" + kInterpreterOptions + commandLine + "\"";
  std::vector<char> mutableLine(line.begin(), line.end());
  mutableLine.push_back('\0');

  HANDLE job = makeJob();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(application, mutableLine.data(), nullptr, nullptr, TRUE,
                      CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      &process)) {
    if (job != nullptr) CloseHandle(job);
    return result;
  }
  // Where jobs cannot be used (an enclosing job that forbids nesting), the
  // command still runs; ending it then ends only the interpreter.
  if (job != nullptr && !AssignProcessToJobObject(job, process.hProcess)) {
    CloseHandle(job);
    job = nullptr;
  }
  watch.commandStarted(reinterpret_cast<std::intptr_t>(process.hProcess));
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  result.started = true;

  HANDLE wake = limits.endOnInterrupt ? interruptEvent() : nullptr;
  HANDLE handles[] = {process.hProcess, wake};
  DWORD waited = WaitForMultipleObjects(wake != nullptr ? 2 : 1, handles, FALSE,
                                        waitMilliseconds(limits));
  if (waited == WAIT_OBJECT_0) {
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.hProcess, &exitCode)) {
      result.end = CommandEnd::exited;
      result.status = static_cast<int>(exitCode);
    }
  } else {
    result.end = waited == WAIT_OBJECT_0 + 1 ? CommandEnd::interrupted : CommandEnd::timedOut;
    if (job != nullptr) {
      TerminateJobObject(job, kEndedExitCode);
    } else {
      TerminateProcess(process.hProcess, kEndedExitCode);
    }
    WaitForSingleObject(process.hProcess, kEndingWaitMilliseconds);
  }
  CloseHandle(process.hProcess);
  if (job != nullptr) {
    // Ends whatever the command left running.
    TerminateJobObject(job, kEndedExitCode);
    CloseHandle(job);
  }
  watch.commandEnded();
  return result;
}

}  // namespace vornup
