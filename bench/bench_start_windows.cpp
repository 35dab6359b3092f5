// vornup-bench-start (Windows, run under Wine here): times a program run
// against the direct-start floor of the tool commands it runs.
//
//   vornup-bench-start REPS LINES RESET -- PROGRAM ARGS...
//     Runs PROGRAM (its output to NUL) and the loop over the command lines
//     of the file LINES (`"<tool>" <args> > "<file>"`, as the program's trace
//     shows them), REPS times each after one unmeasured round, in turns:
//     the direct loop starts the tool with CreateProcess and the line's
//     arguments, its standard output a new file, removed after each
//     command; the interpreter loop hands each line to cmd.exe /d /v:off /s /c
//     as the program once did. Before every run the file RESET (the
//     simulator's state) is removed. Each run is a job of its own, whose
//     accounting gives the processes it started.
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
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
  double seconds = 0;
  unsigned long processes = 0;
};

// Starts `line` (application `application`, or found from the line) in a
// new job with the given standard output, waits for it, and adds its time
// and processes to `run`.
bool startAndWait(const char* application, std::string line, HANDLE output, Run& run) {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  const Clock::time_point start = Clock::now();
  if (!CreateProcessA(application, &line[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &process)) {
    CloseHandle(job);
    return false;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  run.seconds += std::chrono::duration<double>(Clock::now() - start).count();
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
  if (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                sizeof accounting, nullptr)) {
    run.processes += accounting.TotalProcesses;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(job);
  return true;
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

Run directLoop(const std::vector<std::string>& lines) {
  Run run;
  for (const std::string& line : lines) {
    std::string command;
    std::string output;
    splitLine(line, command, output);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, TRUE};
    HANDLE file = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string tool = command.substr(1, command.find('"', 1) - 1);
    startAndWait(tool.c_str(), command, file, run);
    CloseHandle(file);
    DeleteFileA(output.c_str());
  }
  return run;
}

Run interpreterLoop(const std::vector<std::string>& lines, const std::string& interpreter) {
  Run run;
  HANDLE out = inheritable(GetStdHandle(STD_OUTPUT_HANDLE));
  for (const std::string& line : lines) {
    std::string command;
    std::string output;
    splitLine(line, command, output);
    startAndWait(interpreter.c_str(), "\"" + interpreter + "\" /d /v:off /s /c \"" + line + "\"",
                 out, run);
    DeleteFileA(output.c_str());
  }
  CloseHandle(out);
  return run;
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
  HANDLE null = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                            OPEN_EXISTING, 0, nullptr);
  std::vector<double> programTimes, directTimes, interpreterTimes, directRatios, interpreterRatios;
  Run programRun, directRun, interpreterRun;
  for (int i = 0; i <= reps; ++i) {
    DeleteFileA(reset.c_str());
    Run p;
    startAndWait(nullptr, program, null, p);
    DeleteFileA(reset.c_str());
    const Run d = directLoop(lines);
    DeleteFileA(reset.c_str());
    const Run c = interpreterLoop(lines, interpreter);
    if (i == 0) continue;
    programTimes.push_back(p.seconds);
    directTimes.push_back(d.seconds);
    interpreterTimes.push_back(c.seconds);
    directRatios.push_back(p.seconds / d.seconds);
    interpreterRatios.push_back(p.seconds / c.seconds);
    programRun = p;
    directRun = d;
    interpreterRun = c;
  }
  CloseHandle(null);
  const double n = static_cast<double>(lines.size());
  std::printf("commands=%zu\nreps=%d\n", lines.size(), reps);
  std::printf("program_ms=%.1f\ndirect_ms=%.1f\ninterpreter_ms=%.1f\n", median(programTimes) * 1e3,
              median(directTimes) * 1e3, median(interpreterTimes) * 1e3);
  std::printf("direct_pair_ratio=%.3f\ninterpreter_pair_ratio=%.3f\n", median(directRatios),
              median(interpreterRatios));
  // The program's own process is not a tool command's.
  std::printf("program_processes_per_command=%.2f\n", (programRun.processes - 1) / n);
  std::printf("direct_processes_per_command=%.2f\ninterpreter_processes_per_command=%.2f\n",
              directRun.processes / n, interpreterRun.processes / n);
  return 0;
}
