// vornup-bench-start (Windows, run under Wine here): times a program run
// against the direct-start floor of the tool commands it runs.
//
//   vornup-bench-start REPS LINES RESET -- PROGRAM ARGS...
//     Runs PROGRAM (its output to NUL) and the loop over the command lines
//     of the file LINES (`"<tool>" <args> > "<file>"`, as the program's trace
//     shows them), REPS times each after one unmeasured round, in turns:
//     the direct loop starts the tool with CreateProcess and the line's
//     arguments, its standard output a new file, standard input NUL, the
//     file removed after each command; the interpreter loop hands each line
//     to cmd.exe /d /v:off /s /c as the program once did. Before every run
//     the file RESET (the simulator's state) is removed. The unmeasured
//     round runs each kind in a job of its own, whose accounting gives the
//     processes it started; the measured rounds start nothing but the
//     processes themselves.
//     Prints key=value lines: medians of wall time, the median ratio of each
//     program run to the runs beside it, and the processes per command.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The handles a started process is given, and the job of the counting
// round (none in a measured round).
struct Start {
  HANDLE input = nullptr;
  HANDLE job = nullptr;
};

// Starts `line` (application `application`, or found from the line) with
// the given standard output and waits for it; in the job of `start`, when
// there is one, before it can run. Its wall time in seconds, -1 when it
// could not be started.
double startAndWait(const char* application, std::string line, HANDLE output, const Start& start) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = start.input;
  startup.hStdOutput = output;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  const Clock::time_point began = Clock::now();
  const DWORD flags = start.job != nullptr ? CREATE_SUSPENDED : 0;
  if (!CreateProcessA(application, &line[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  if (start.job != nullptr) {
    AssignProcessToJobObject(start.job, process.hProcess);
    ResumeThread(process.hThread);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seconds;
}

// The processes the job has started.
unsigned long processesOf(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
  return QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr)
             ? accounting.TotalProcesses
             : 0;
}

HANDLE inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                  DUPLICATE_SAME_ACCESS);
  return copy;
}

// `"<tool>" <args> > "<file>"`: the line before the redirection and the file.
void splitLine(const std::string& line, std::string& command, std::string& output) {
  const std::size_t redirect = line.rfind(" > \"");
  command = line.substr(0, redirect);
  output = redirect == std::string::npos ? std::string() : line.substr(redirect + 4);
  if (!output.empty() && output.back() == '"') output.pop_back();
}

// The whole loop's wall time, in seconds, as the tool commands would take
// it one after another.
double directLoop(const std::vector<std::string>& lines, const Start& start) {
  const Clock::time_point began = Clock::now();
  for (const std::string& line : lines) {
    std::string command;
    std::string output;
    splitLine(line, command, output);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, TRUE};
    HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string tool = command.substr(1, command.find('"', 1) - 1);
    startAndWait(tool.c_str(), command, file, start);
    CloseHandle(file);
    DeleteFileA(output.c_str());
  }
  return std::chrono::duration<double>(Clock::now() - began).count();
}

double interpreterLoop(const std::vector<std::string>& lines, const std::string& interpreter,
                       const Start& start) {
  const Clock::time_point began = Clock::now();
  HANDLE out = inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
  for (const std::string& line : lines) {
    std::string command;
    std::string output;
    splitLine(line, command, output);
    startAndWait(interpreter.c_str(), "\"" + interpreter + "\" /d /v:off /s /c \"" + line + "\"",
                 out, start);
    DeleteFileA(output.c_str());
  }
  CloseHandle(out);
  return std::chrono::duration<double>(Clock::now() - began).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const auto dashes = std::find(args.begin(), args.end(), "--");
  if (args.size() < 5 || dashes - args.begin() != 3 || dashes + 1 == args.end()) {
    std::fprintf(stderr, "usage: vornup-bench-start REPS LINES RESET -- PROGRAM ARGS...\n");
    return 2;
  }
  const int reps = std::atoi(args[0].c_str());
  std::vector<std::string> lines;
  std::ifstream in(args[1]);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  const std::string reset = args[2];
  std::string program = "\"" + *(dashes + 1) + "\"";
  for (auto it = dashes + 2; it != args.end(); ++it) program += " " + *it;
  char folder[MAX_PATH];
  GetSystemDirectoryA(folder, MAX_PATH);
  const std::string interpreter = std::string(folder) + "\\cmd.exe";

  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, TRUE};
  HANDLE null = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            &attributes, OPEN_EXISTING, 0, nullptr);
  std::vector<double> programTimes, directTimes, interpreterTimes, directRatios, interpreterRatios;
  unsigned long programProcesses = 0, directProcesses = 0, interpreterProcesses = 0;
  for (int i = 0; i <= reps; ++i) {
    // The unmeasured round counts the processes of each kind in its own job.
    Start programStart = {null, i == 0 ? CreateJobObjectA(nullptr, nullptr) : nullptr};
    Start direct = {null, i == 0 ? CreateJobObjectA(nullptr, nullptr) : nullptr};
    Start interpreted = {null, i == 0 ? CreateJobObjectA(nullptr, nullptr) : nullptr};
    DeleteFileA(reset.c_str());
    const double p = startAndWait(nullptr, program, null, programStart);
    DeleteFileA(reset.c_str());
    const double d = directLoop(lines, direct);
    DeleteFileA(reset.c_str());
    const double c = interpreterLoop(lines, interpreter, interpreted);
    if (i == 0) {
      programProcesses = processesOf(programStart.job);
      directProcesses = processesOf(direct.job);
      interpreterProcesses = processesOf(interpreted.job);
      for (HANDLE job : {programStart.job, direct.job, interpreted.job}) CloseHandle(job);
      continue;
    }
    programTimes.push_back(p);
    directTimes.push_back(d);
    interpreterTimes.push_back(c);
    directRatios.push_back(p / d);
    interpreterRatios.push_back(p / c);
  }
  CloseHandle(null);
  const double n = static_cast<double>(lines.size());
  std::printf("commands=%zu\nreps=%d\n", lines.size(), reps);
  std::printf("program_ms=%.1f\ndirect_ms=%.1f\ninterpreter_ms=%.1f\n", median(programTimes) * 1e3,
              median(directTimes) * 1e3, median(interpreterTimes) * 1e3);
  std::printf("direct_pair_ratio=%.3f\ninterpreter_pair_ratio=%.3f\n", median(directRatios),
              median(interpreterRatios));
  // The program's own process is not a tool command's.
  std::printf("program_processes_per_command=%.2f\n", (static_cast<double>(programProcesses) - 1) / n);
  std::printf("direct_processes_per_command=%.2f\ninterpreter_processes_per_command=%.2f\n",
              directProcesses / n, interpreterProcesses / n);
  return 0;
}
