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
// lock: the code deployment tools retry by default.
constexpr int kHostBusyExitCode = 1618;
#else
constexpr char kPathSeparator = '/';
constexpr char kProgramName[] = "vornup";
constexpr char kToolExecutable[] = "Tandrel";
constexpr char kToolFileName[] = "Tandrel";
constexpr char kQuotedArgumentSpecials[] = "$`\\";
// EX_TEMPFAIL: try again later.
constexpr int kHostBusyExitCode = 75;
#endif

}  // namespace vornup
