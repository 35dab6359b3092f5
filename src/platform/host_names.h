// Names and separators that differ between Windows and POSIX builds.
#pragma once

namespace vornup {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr char kProgramName[] = "vornup.exe";
constexpr char kToolExecutable[] = "Tandrel.exe";
// The tool's bare name as the trace shows it ("CLI util").
constexpr char kToolFileName[] = "tandrel.exe";
// Characters that the command interpreter would still act on inside a
// double-quoted argument (besides '"' and '%', refused everywhere).
constexpr char kQuotedArgumentSpecials[] = "";
// The exit code of a run refused because another run holds the host-wide
// lock: the code deployment tools retry by default; and of a run cancelled
// by the user.
constexpr int kHostBusyExitCode = 1618;
constexpr int kInterruptedExitCode = 1602;
// Text files end their lines with CR LF.
constexpr bool kTextFilesUseCrLf = true;
#else
constexpr char kPathSeparator = '/';
constexpr char kProgramName[] = "vornup";
constexpr char kToolExecutable[] = "Tandrel";
constexpr char kToolFileName[] = "Tandrel";
constexpr char kQuotedArgumentSpecials[] = "$`\\";
// EX_TEMPFAIL: try again later.
constexpr int kHostBusyExitCode = 75;
// 128 + SIGINT, as shells report a run ended by Ctrl-C.
constexpr int kInterruptedExitCode = 130;
constexpr bool kTextFilesUseCrLf = false;
#endif

// Whether `path` is absolute on this host: "/..." on POSIX; a drive and a
// separator ("C:\\...") or a UNC path ("\\\\server\\...") on Windows.
inline bool isAbsoluteHostPath(const char* path) {
  if (path == nullptr) return false;
  if (kPathSeparator == '/') return path[0] == '/';
  const bool separator0 = path[0] == '\\' || path[0] == '/';
  const bool separator1 = path[0] != '\0' && (path[1] == '\\' || path[1] == '/');
  if (separator0 && separator1) return true;
  const char drive = path[0];
  const bool isLetter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  return isLetter && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

}  // namespace vornup
