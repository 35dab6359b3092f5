// Windows: a program is started with CreateProcess from its full path (the
// application name) and a command line quoted by the C runtime's rules; its
// standard output is an inheritable handle to the new reply file, its
// standard input the null device, its standard error a copy of this
// process's, and only these handles are inherited (the attribute list's
// handle list). A command line runs through cmd.exe of the system folder. The
// process gets a new process group (a Ctrl-C at the console does not reach it)
// and a job object, so that ending the job ends every process it started.
// Only the runner ends the job; a vornup killed outright leaves it running.
// The process is created suspended and joins the job before it runs.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/argument_quoting.h"
#include "platform/host_command.h"
#include "platform/platform.h"
#include "platform/win32_interrupt_event.h"

namespace vornup {
namespace {

constexpr char kInterpreterName[] = "\\cmd.exe";
// No AutoRun commands (they would add text to the output the program
// parses), no delayed expansion, and only the outer pair of quotes stripped,
// so every quoted path inside the line stays intact.
constexpr char kInterpreterOptions[] = " /d /v:off /s /c \"";
constexpr char kNullDevice[] = "NUL";
// The exit code of processes ended at the limit or on an interrupt.
constexpr UINT kEndedExitCode = 1;
// How long ending a job may take before the waiting stops.
constexpr DWORD kEndingWaitMilliseconds = 10000;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A job that holds the command and every process it starts; nullptr when
// none can be made. It is not ended when its last handle closes: a vornup
// ended outright (Task Manager, taskkill /f) leaves a running download to
// finish, as on POSIX. The runner ends the job itself (TerminateJobObject)
// at the time limit, on an interrupt, and after the command exited. Its
// processes cannot leave it: breaking away is not allowed.
HANDLE makeJob() { return CreateJobObjectA(nullptr, nullptr); }

DWORD waitMilliseconds(const CommandLimits& limits) {
  if (limits.timeLimit.count() <= 0) return INFINITE;
  auto count = limits.timeLimit.count();
  return count >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(count);
}

std::string systemMessage(DWORD error) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  char code[32];
  std::snprintf(code, sizeof code, "error %lu", static_cast<unsigned long>(error));
  return message.empty() ? std::string(code) : message + " (" + code + ")";
}

CommandResult notStarted(const char* why, DWORD error) {
  CommandResult result;
  result.startError = why + systemMessage(error);
  return result;
}

// The handles a started program receives, inheritable, closed here at the end.
class ChildHandles {
 public:
  ChildHandles() = default;
  ChildHandles(const ChildHandles&) = delete;
  ChildHandles& operator=(const ChildHandles&) = delete;
  ~ChildHandles() {
    for (HANDLE handle : {output_, input_, errors_}) {
      if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
  }

  // False (the system's error set) when the reply file cannot be made new or
  // the null device cannot be opened.
  bool open(const std::string& outputPath) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    output_ = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output_ == INVALID_HANDLE_VALUE) return false;
    input_ = CreateFileA(kNullDevice, GENERIC_READ, kShareAll, &inheritable, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (input_ == INVALID_HANDLE_VALUE) return false;
    // Standard error as it is; without one (or one that cannot be handed
    // on) the program runs without.
    HANDLE own = GetStdHandle(STD_ERROR_HANDLE);
    if (own != nullptr && own != INVALID_HANDLE_VALUE &&
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &errors_, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
      errors_ = nullptr;
    }
    return true;
  }

  void fill(STARTUPINFOA& startup) const {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = input_;
    startup.hStdOutput = output_;
    startup.hStdError = errors_;
  }

  // The handles to list; a null standard error is left out.
  std::vector<HANDLE> list() const {
    std::vector<HANDLE> handles = {output_, input_};
    if (errors_ != nullptr) handles.push_back(errors_);
    return handles;
  }

 private:
  HANDLE output_ = INVALID_HANDLE_VALUE;
  HANDLE input_ = INVALID_HANDLE_VALUE;
  HANDLE errors_ = nullptr;
};

// An attribute list that names the only handles a new process inherits.
class InheritedHandleList {
 public:
  explicit InheritedHandleList(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    initialized_ = true;
    ready_ = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                       handles_.size() * sizeof(HANDLE), nullptr, nullptr) != 0;
  }
  ~InheritedHandleList() {
    if (initialized_) DeleteProcThreadAttributeList(get());
  }
  InheritedHandleList(const InheritedHandleList&) = delete;
  InheritedHandleList& operator=(const InheritedHandleList&) = delete;

  bool ready() const { return ready_; }
  LPPROC_THREAD_ATTRIBUTE_LIST get() {
    return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
  }

 private:
  std::vector<HANDLE> handles_;
  std::vector<char> storage_;
  bool initialized_ = false;
  bool ready_ = false;
};

// Waits for the started, suspended `process` within `limits` in `job` (or
// alone where no job could be made); ends what is left.
void runInJob(PROCESS_INFORMATION& process, HANDLE job, const CommandLimits& limits,
              CommandWatch& watch, CommandResult& result) {
  // Where jobs cannot be used (an enclosing job that forbids nesting), the
  // command still runs; ending it then ends only the process itself.
  if (job != nullptr && !AssignProcessToJobObject(job, process.hProcess)) {
    CloseHandle(job);
    job = nullptr;
  }
  // Recorded while still suspended: a run killed from here on leaves the
  // record that keeps the host for this process.
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
}

std::vector<char> mutableCopy(const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  return copy;
}

}  // namespace

CommandResult runHostCommand(const std::string& commandLine, const CommandLimits& limits,
                             CommandWatch& watch) {
  CommandResult result;
  std::fflush(stdout);
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return result;
  const std::string interpreter = std::string(folder, length) + kInterpreterName;
  std::vector<char> line =
      mutableCopy("\"" + interpreter + "\"" + kInterpreterOptions + commandLine + "\"");
  HANDLE job = makeJob();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(interpreter.c_str(), line.data(), nullptr, nullptr, TRUE,
                      CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      &process)) {
    if (job != nullptr) CloseHandle(job);
    return result;
  }
  runInJob(process, job, limits, watch, result);
  return result;
}

CommandResult runHostProgram(const ProgramStart& start, const CommandLimits& limits,
                             CommandWatch& watch) {
  std::fflush(stdout);
  ChildHandles handles;
  if (!handles.open(start.outputPath)) {
    return notStarted("cannot create its output file: ", GetLastError());
  }
  InheritedHandleList inherited(handles.list());
  if (!inherited.ready()) return notStarted("", GetLastError());
  STARTUPINFOEXA startup = {};
  startup.StartupInfo.cb = sizeof startup;
  handles.fill(startup.StartupInfo);
  startup.lpAttributeList = inherited.get();
  std::vector<char> line = mutableCopy(quotedCommandLine(start.program, start.arguments));

  HANDLE job = makeJob();
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(start.program.c_str(), line.data(), nullptr, nullptr, TRUE,
                      CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT,
                      nullptr, nullptr, &startup.StartupInfo, &process)) {
    const DWORD error = GetLastError();
    if (job != nullptr) CloseHandle(job);
    return notStarted("", error);
  }
  CommandResult result;
  runInJob(process, job, limits, watch, result);
  return result;
}

}  // namespace vornup
