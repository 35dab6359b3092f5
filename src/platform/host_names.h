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
#else
constexpr char kPathSeparator = '/';
constexpr char kProgramName[] = "vornup";
constexpr char kToolExecutable[] = "Tandrel";
constexpr char kToolFileName[] = "Tandrel";
constexpr char kQuotedArgumentSpecials[] = "$`\\";
#endif

}  // namespace vornup
