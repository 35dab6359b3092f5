// vornup-bench-run: times a program run against the floor of the tool
// commands it runs, and measures its peak memory.
//
//   vornup-bench-run time REPS LINES RESET TEMPDIR -- PROGRAM ARGS...
//     Runs PROGRAM (output to /dev/null) and a plain loop that hands every
//     line of the file LINES to the command interpreter (std::system, as the
//     program itself does), alternately, REPS times each after one unmeasured
//     pair. Before every run the file RESET (the simulator's state) is
//     removed, so every run meets the same host; the loop's lines write into
//     TEMPDIR, which is made before and removed after each loop.
//     Prints key=value lines: both medians and their ratio, and the median of
//     the ratios of each program run to the loop run beside it.
//
//   vornup-bench-run memory RESET -- PROGRAM ARGS...
//     Runs PROGRAM once and prints its own peak resident memory (VmHWM, read
//     when it exits) and that of its largest child (the command interpreter
//     or the tool), in KiB.
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
  std::vector<std::string> args;

  [[noreturn]] void exec() const {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::FILE* null = std::fopen("/dev/null", "w");
    if (null != nullptr) ::dup2(::fileno(null), STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    std::perror(argv[0]);
    ::_exit(127);
  }
};

// Wall and processor time (user and system, of the process and all it
// waited for) of one run.
struct Times {
  double wall = 0;
  double cpu = 0;
};

double cpuSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int waitFor(pid_t child, rusage* usage = nullptr) {
  int status = 0;
  while (::wait4(child, &status, 0, usage) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

Times runProgram(const Program& program, int& status) {
  const Clock::time_point start = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) program.exec();
  rusage usage{};
  status = child < 0 ? -1 : waitFor(child, &usage);
  return {std::chrono::duration<double>(Clock::now() - start).count(), cpuSeconds(usage)};
}

Times runLoop(const std::vector<std::string>& lines, const std::string& tempDirectory,
              int& failures) {
  rusage before{};
  rusage after{};
  ::getrusage(RUSAGE_CHILDREN, &before);
  const Clock::time_point start = Clock::now();
  ::mkdir(tempDirectory.c_str(), 0700);
  for (const std::string& line : lines) {
    if (std::system(line.c_str()) != 0) ++failures;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ::getrusage(RUSAGE_CHILDREN, &after);
  std::remove((tempDirectory + "/temp.txt").c_str());
  ::rmdir(tempDirectory.c_str());
  return {seconds, cpuSeconds(after) - cpuSeconds(before)};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int timeRuns(int reps, const std::string& linesFile, const std::string& reset,
             const std::string& tempDirectory, const Program& program) {
  std::vector<std::string> lines;
  std::ifstream in(linesFile);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  if (lines.empty()) {
    std::fprintf(stderr, "vornup-bench-run: no command lines in %s\n", linesFile.c_str());
    return 1;
  }
  std::vector<double> programWall;
  std::vector<double> loopWall;
  std::vector<double> programCpu;
  std::vector<double> loopCpu;
  std::vector<double> ratios;
  int status = 0;
  int failures = 0;
  for (int i = 0; i <= reps; ++i) {
    std::remove(reset.c_str());
    const Times p = runProgram(program, status);
    std::remove(reset.c_str());
    const Times l = runLoop(lines, tempDirectory, failures);
    if (i == 0) continue;  // the first pair warms the caches
    programWall.push_back(p.wall);
    loopWall.push_back(l.wall);
    programCpu.push_back(p.cpu);
    loopCpu.push_back(l.cpu);
    ratios.push_back(p.wall / l.wall);
  }
  const double p = median(programWall);
  const double l = median(loopWall);
  const double pc = median(programCpu);
  const double lc = median(loopCpu);
  std::printf("commands=%zu\nreps=%d\n", lines.size(), reps);
  std::printf("program_ms=%.1f\nloop_ms=%.1f\nratio=%.3f\n", p * 1e3, l * 1e3, p / l);
  std::printf("program_cpu_ms=%.1f\nloop_cpu_ms=%.1f\ncpu_ratio=%.3f\n", pc * 1e3, lc * 1e3,
              pc / lc);
  std::printf("pair_ratio=%.3f\n", median(ratios));
  std::printf("pair_ratio_min=%.3f\npair_ratio_max=%.3f\n",
              *std::min_element(ratios.begin(), ratios.end()),
              *std::max_element(ratios.begin(), ratios.end()));
  std::printf("program_status=%d\nloop_failures=%d\n",
              WIFEXITED(status) ? WEXITSTATUS(status) : -1, failures);
  return 0;
}

long highWaterMarkKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, 6, "VmHWM:") == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Traces the program only to stop it as it exits, while its memory is still
// there to be read; every signal it receives is passed on unchanged.
int measureMemory(const std::string& reset, const Program& program) {
  std::remove(reset.c_str());
  const pid_t child = ::fork();
  if (child == 0) {
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    program.exec();
  }
  int status = waitFor(child);  // stopped by the exec
  if (status < 0 || !WIFSTOPPED(status)) {
    std::fprintf(stderr, "vornup-bench-run: cannot trace %s\n", program.args[0].c_str());
    return 1;
  }
  ::ptrace(PTRACE_SETOPTIONS, child, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT));
  long selfKiB = -1;
  int signal = 0;
  for (;;) {
    ::ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(static_cast<long>(signal)));
    status = waitFor(child);
    if (status < 0 || WIFEXITED(status) || WIFSIGNALED(status)) break;
    signal = 0;
    if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      selfKiB = highWaterMarkKiB(child);
    } else if (WIFSTOPPED(status)) {
      signal = WSTOPSIG(status);
    }
  }
  rusage children{};
  ::getrusage(RUSAGE_CHILDREN, &children);
  std::printf("program_status=%d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  std::printf("self_kib=%ld\n", selfKiB);
  // The largest of the program and everything it waited for.
  std::printf("tree_kib=%ld\n", children.ru_maxrss);
  return selfKiB < 0 ? 1 : 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: vornup-bench-run time REPS LINES RESET TEMPDIR -- PROGRAM ARGS...\n"
               "       vornup-bench-run memory RESET -- PROGRAM ARGS...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const auto separator = std::find(args.begin(), args.end(), "--");
  if (args.empty() || separator == args.end() || separator + 1 == args.end()) return usage();
  const Program program{std::vector<std::string>(separator + 1, args.end())};
  const std::vector<std::string> options(args.begin(), separator);
  if (options[0] == "time" && options.size() == 5) {
    const int reps = std::max(1, std::atoi(options[1].c_str()));
    return timeRuns(reps, options[2], options[3], options[4], program);
  }
  if (options[0] == "memory" && options.size() == 2) return measureMemory(options[1], program);
  return usage();
}
