// vornup-bench-run: times a program run against the floor of the tool
// commands it runs, and measures its peak memory.
//
//   vornup-bench-run time REPS LINES RESET TEMPDIR [plain] -- PROGRAM ARGS...
//     Runs PROGRAM (output to /dev/null), a loop that hands every line of
//     the file LINES to the command interpreter (std::system) and removes the
//     output file after each, as the program does, and the direct loop, which
//     starts the same tool commands as the program does: posix_spawn of the
//     tool with the line's arguments, standard output to the new output file,
//     standard input /dev/null, the file removed after each. With "plain"
//     also a loop that only runs the lines through the interpreter. The runs
//     alternate, REPS times each after one unmeasured round. Before every run
//     the file RESET (the simulator's state) is removed, so every run meets
//     the same host; the loops' lines write into TEMPDIR/temp.txt, the
//     directory made before and removed after each loop.
//     Prints key=value lines: the medians of wall and processor time (of the
//     process and all it waited for), their ratios, and the median, least and
//     largest ratio of each program run to the loop run beside it.
//
//   vornup-bench-run memory RESET -- PROGRAM ARGS...
//     Runs PROGRAM once and prints its own peak resident memory (VmHWM, read
//     when it exits) and that of its largest child (the command interpreter
//     or the tool), in KiB.
#include <fcntl.h>
#include <spawn.h>
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

extern char** environ;

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

// The loop over the command lines. The strict floor removes the output file
// after every command, as the program does: rewriting a file that still holds
// the last reply costs the file system more (on ext4 a truncated and
// rewritten file is pushed to the disk when it is closed).
enum class Floor { removingOutput, plain, direct };

// One line `"<tool>" <args> > "<file>"` as a direct start: the words before
// the redirection (split at blanks outside quotes, quotes removed) and the
// output file.
struct DirectCommand {
  std::vector<std::string> words;
  std::string output;
};

DirectCommand directCommand(const std::string& line) {
  DirectCommand command;
  const std::size_t redirect = line.rfind(" > \"");
  const std::string head = line.substr(0, redirect);
  if (redirect != std::string::npos) {
    command.output = line.substr(redirect + 4);
    if (!command.output.empty() && command.output.back() == '"') command.output.pop_back();
  }
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (char c : head) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) command.words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) command.words.push_back(word);
  return command;
}

// Starts the command as the program starts the tool; its exit status, or -1.
int startDirectly(const DirectCommand& command) {
  const int output =
      ::open(command.output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (output < 0) return -1;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& word : command.words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int error = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(output);
  if (error != 0) return -1;
  const int status = waitFor(child);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Times runLoop(const std::vector<std::string>& lines, const std::string& tempDirectory,
              Floor floor, int& failures) {
  const std::string output = tempDirectory + "/temp.txt";
  rusage before{};
  rusage after{};
  ::getrusage(RUSAGE_CHILDREN, &before);
  const Clock::time_point start = Clock::now();
  ::mkdir(tempDirectory.c_str(), 0700);
  for (const std::string& line : lines) {
    const int status =
        floor == Floor::direct ? startDirectly(directCommand(line)) : std::system(line.c_str());
    if (status != 0) ++failures;
    if (floor != Floor::plain) std::remove(output.c_str());
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ::getrusage(RUSAGE_CHILDREN, &after);
  std::remove(output.c_str());
  ::rmdir(tempDirectory.c_str());
  return {seconds, cpuSeconds(after) - cpuSeconds(before)};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The measured runs of one kind; `ratios` holds each program run's wall time
// over this kind's run beside it.
struct Series {
  std::vector<double> wall;
  std::vector<double> cpu;
  std::vector<double> ratios;

  void add(const Times& times, double programWall) {
    wall.push_back(times.wall);
    cpu.push_back(times.cpu);
    ratios.push_back(programWall / times.wall);
  }

  void print(const char* name, const Series& program) const {
    const double p = median(program.wall);
    const double w = median(wall);
    const double pc = median(program.cpu);
    const double c = median(cpu);
    std::printf("%s_ms=%.1f\n%s_ratio=%.3f\n", name, w * 1e3, name, p / w);
    std::printf("%s_cpu_ms=%.1f\n%s_cpu_ratio=%.3f\n", name, c * 1e3, name, pc / c);
    std::printf("%s_pair_ratio=%.3f\n%s_pair_ratio_min=%.3f\n%s_pair_ratio_max=%.3f\n", name,
                median(ratios), name, *std::min_element(ratios.begin(), ratios.end()), name,
                *std::max_element(ratios.begin(), ratios.end()));
  }
};

int timeRuns(int reps, const std::string& linesFile, const std::string& reset,
             const std::string& tempDirectory, bool withPlainLoop, const Program& program) {
  std::vector<std::string> lines;
  std::ifstream in(linesFile);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  if (lines.empty()) {
    std::fprintf(stderr, "vornup-bench-run: no command lines in %s\n", linesFile.c_str());
    return 1;
  }
  Series programRuns;
  Series loopRuns;
  Series directRuns;
  Series plainRuns;
  int status = 0;
  int failures = 0;
  for (int i = 0; i <= reps; ++i) {
    std::remove(reset.c_str());
    const Times p = runProgram(program, status);
    std::remove(reset.c_str());
    const Times l = runLoop(lines, tempDirectory, Floor::removingOutput, failures);
    std::remove(reset.c_str());
    const Times d = runLoop(lines, tempDirectory, Floor::direct, failures);
    Times plain;
    if (withPlainLoop) {
      std::remove(reset.c_str());
      plain = runLoop(lines, tempDirectory, Floor::plain, failures);
    }
    if (i == 0) continue;  // the first round warms the caches
    programRuns.add(p, p.wall);
    loopRuns.add(l, p.wall);
    directRuns.add(d, p.wall);
    if (withPlainLoop) plainRuns.add(plain, p.wall);
  }
  std::printf("commands=%zu\nreps=%d\n", lines.size(), reps);
  std::printf("program_ms=%.1f\nprogram_cpu_ms=%.1f\n", median(programRuns.wall) * 1e3,
              median(programRuns.cpu) * 1e3);
  loopRuns.print("loop", programRuns);
  directRuns.print("direct", programRuns);
  if (withPlainLoop) plainRuns.print("plain", programRuns);
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
               "usage: vornup-bench-run time REPS LINES RESET TEMPDIR [plain] -- PROGRAM ARGS...\n"
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
  const bool plain = options.size() == 6 && options[5] == "plain";
  if (options[0] == "time" && (options.size() == 5 || plain)) {
    const int reps = std::max(1, std::atoi(options[1].c_str()));
    return timeRuns(reps, options[2], options[3], options[4], plain, program);
  }
  if (options[0] == "memory" && options.size() == 2) return measureMemory(options[1], program);
  return usage();
}
