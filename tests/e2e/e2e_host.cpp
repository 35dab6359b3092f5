#include "e2e/e2e_host.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "e2e/report_check.h"
#include "platform/host_names.h"
#include "platform/platform.h"
#include "support/host_registry.h"

namespace vornup {
namespace {

namespace fs = std::filesystem;

constexpr char kKorvaneKey[] = "SOFTWARE\\Korvane";

std::string makeDirectory(const std::string& path) {
  std::error_code ignored;
  fs::create_directories(fs::u8path(path), ignored);
  return path + kPathSeparator;
}

// One argument or value for the command interpreter of the host.
std::string quoted(const std::string& text) {
  if (kWindowsHost) return "\"" + text + "\"";
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool namesReport(const std::string& argument) { return lowered(argument.substr(0, 6)) == "/json="; }

// A command line of help switches only shows the usage without taking the
// host; one more switch would change that, so such runs get no report.
bool asksOnlyForUsage(const std::vector<std::string>& args) {
  for (const std::string& argument : args) {
    const std::string name = lowered(argument);
    if (name != "/?" && name != "/h" && name != "/help") return false;
  }
  return true;
}

// The collected reports' folder, made on first use.
std::string reportCollection() {
  static const std::string folder = makeDirectory(E2eHost::hostPath(VORNUP_REPORT_DIR));
  return folder;
}

// A file name for a report of the current test, numbered across the
// program's runs.
std::string collectedName() {
  static int count = 0;
  std::string name = "report";
  if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
    name = std::string(test->test_suite_name()) + "." + test->name();
  }
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
  }
  return name + "-" + std::to_string(++count) + ".json";
}

std::string withoutCarriageReturns(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  }
  return result;
}

}  // namespace

E2eHost::E2eHost() {
  install_ = makeDirectory(scratch_.file("install dir"));
  work_ = makeDirectory(scratch_.file("work"));
  temp_ = makeDirectory(scratch_.file("temp dir"));
  makeDirectory(scratch_.file("report dir"));
  program_ = install_ + kProgramName;
  std::error_code error;
  fs::copy_file(fs::u8path(hostPath(VORNUP_PROGRAM_PATH)), fs::u8path(program_), error);
  EXPECT_FALSE(error) << "cannot install " << VORNUP_PROGRAM_PATH << ": " << error.message();
  setEnvironment("TEMP", scratch_.file("temp dir"));
  if (kWindowsHost) {
    HostRegistry::removeKey(kKorvaneKey);
  } else {
    makeDirectory(registryRoot());
    setEnvironment("VORNUP_REGISTRY_ROOT", registryRoot());
    // A host lock of this host's own, so that hosts never wait for each other.
    setEnvironment("VORNUP_TEST_LOCK_DIRECTORY", makeDirectory(lockDirectoryPath()));
    // The host's system log stays out of the tests: nothing listens here.
    setEnvironment("VORNUP_SYSLOG_SOCKET", scratch_.file("no-syslog"));
  }
  // The host's own history stays out of the tests too.
  setRegistryString(kSettingsKey, "HistoryFile", historyPath());
}

E2eHost::~E2eHost() {
  // Every history line a test made is checked against its schema after the
  // tests, as the reports are.
  std::error_code error;
  if (fs::exists(fs::u8path(historyPath()), error)) {
    std::string name = collectedName();
    name.replace(name.size() - 5, 5, ".jsonl");
    fs::copy_file(fs::u8path(historyPath()), fs::u8path(reportCollection() + name),
                  fs::copy_options::overwrite_existing, error);
  }
  if (kWindowsHost) HostRegistry::removeKey(kKorvaneKey);
}

std::string E2eHost::hostPath(const std::string& buildPath) {
  if (!kWindowsHost || buildPath.empty() || buildPath[0] != '/') return buildPath;
  // Wine shows the Unix file system as drive Z:.
  std::string path = "Z:" + buildPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void E2eHost::writeInstallFile(const std::string& relativePath, const std::string& content) {
  writeFileBelow(install_, relativePath, content);
}

void E2eHost::removeInstallFile(const std::string& relativePath) {
  std::error_code ignored;
  fs::remove(fs::u8path(installPath(relativePath)), ignored);
}

void E2eHost::makeInstallDirectory(const std::string& relativePath) {
  makeDirectory(installPath(relativePath));
}

std::string E2eHost::installPath(const std::string& relativePath) const {
  std::string path = install_ + relativePath;
  for (std::size_t i = install_.size(); i < path.size(); ++i) {
    if (path[i] == '/') path[i] = kPathSeparator;
  }
  return path;
}

void E2eHost::writeWorkFile(const std::string& name, const std::string& content) {
  writeFileBelow(work_, name, content);
}

std::string E2eHost::readWorkFile(const std::string& name) const {
  return withoutCarriageReturns(ScratchDirectory::readFile(work_ + name));
}

void E2eHost::writeFileBelow(const std::string& directory, const std::string& relativePath,
                             const std::string& content) {
  fs::path path = fs::u8path(directory) / fs::u8path(relativePath);
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  std::FILE* file = std::fopen(path.u8string().c_str(), "wb");
  ASSERT_NE(file, nullptr) << relativePath;
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
}

void E2eHost::installTool(const std::string& executable, const std::string& suite) {
  std::string folder = makeDirectory(install_ + suite);
  std::error_code error;
  fs::copy_file(fs::u8path(hostPath(executable)), fs::u8path(folder + kToolExecutable),
                fs::copy_options::overwrite_existing, error);
  ASSERT_FALSE(error) << "cannot install " << executable << ": " << error.message();
  setRegistryString(std::string(kKorvaneKey) + "\\" + suite, suite + "Dir", install_);
}

void E2eHost::setRegistryString(const std::string& subkey, const std::string& valueName,
                                const std::string& text) {
  EXPECT_TRUE(HostRegistry::setString(subkey, valueName, text, fs::u8path(registryRoot())))
      << subkey << "\\" << valueName;
}

void E2eHost::setEnvironment(const std::string& name, const std::string& value) {
  environment_[name] = value;
}

void E2eHost::unsetEnvironment(const std::string& name) {
  environment_.erase(name);
  unset_.push_back(name);
}

void E2eHost::denyRights() {
  std::error_code ignored;
  fs::remove_all(fs::u8path(registryRoot()), ignored);
  std::FILE* file = std::fopen(registryRoot().c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}

bool E2eHost::tempDirectoryIsEmpty() const {
  std::error_code ignored;
  return fs::is_empty(fs::u8path(temp_), ignored);
}

std::string E2eHost::reportPath() const {
  return scratch_.file("report dir") + kPathSeparator + "run report.json";
}

std::string E2eHost::environmentPrefix() const {
  std::string line;
  if (kWindowsHost) {
    line = "cd /d " + quoted(work_) + " && ";
    for (const std::string& name : unset_) line += "set \"" + name + "=\" && ";
    for (const auto& variable : environment_) {
      line += "set \"" + variable.first + "=" + variable.second + "\" && ";
    }
  } else {
    line = "cd " + quoted(work_) + " && ";
    for (const std::string& name : unset_) line += "unset " + name + " && ";
    for (const auto& variable : environment_) {
      line += "export " + variable.first + "=" + quoted(variable.second) + " && ";
    }
  }
  return line;
}

std::string E2eHost::commandLine(const std::vector<std::string>& args) const {
  std::string line = environmentPrefix() + quoted(program_);
  for (const std::string& arg : args) line += " " + quoted(arg);
  return line + " > " + quoted(scratch_.file("console.txt")) + " 2>&1";
}

int E2eHost::runAndKill(const std::vector<std::string>& args, const std::string& watched,
                        const std::string& text, int settleMs) {
  // `exec` makes the background job the program itself, so $! is its id.
  const std::string& program = program_;
  std::string line = "( " + environmentPrefix() + "exec " + quoted(program);
  for (const std::string& arg : args) line += " " + quoted(arg);
  line += " > " + quoted(scratch_.file("console.txt")) + " 2>&1 ) & pid=$!; ";
  line += "n=0; until grep -qF -- " + quoted(text) + " " + quoted(watched) +
          " 2>/dev/null; do n=$((n+1)); [ $n -gt 600 ] && break; sleep 0.05; done; ";
  line += "kill -KILL $pid; wait $pid; sleep " + std::to_string(settleMs / 1000.0);
  return hostPlatform().runCommand(line);
}

RunResult E2eHost::run(std::initializer_list<std::string> args) {
  return run(std::vector<std::string>(args));
}

RunResult E2eHost::run(const std::vector<std::string>& args) {
  std::vector<std::string> arguments = args;
  bool checked = reportChecks_ && !asksOnlyForUsage(arguments);
  for (const std::string& argument : args) checked = checked && !namesReport(argument);
  if (checked) {
    arguments.push_back("/json=" + reportPath());
    std::error_code ignored;
    fs::remove(fs::u8path(reportPath()), ignored);
  }
  RunResult result;
  result.exitCode = hostPlatform().runCommand(commandLine(arguments));
  result.console = withoutCarriageReturns(scratch_.read("console.txt"));
  if (checked) checkReport(arguments, result, reportPath());
  return result;
}

void E2eHost::checkReport(const std::vector<std::string>& args, const RunResult& result,
                          const std::string& reportFile) {
  const reportcheck::ConsoleRun run{args, result.exitCode, result.console};
  std::error_code error;
  const bool present = fs::exists(fs::u8path(reportFile), error);
  const reportcheck::Expected expected = reportcheck::reportExpected(run);
  if (expected == reportcheck::Expected::noReport) {
    EXPECT_FALSE(present) << "a run that ended at its switches wrote a report";
    return;
  }
  if (expected == reportcheck::Expected::either && !present) return;
  ASSERT_TRUE(present) << "no report after exit " << result.exitCode << ":\n" << result.console;
  const std::string report = ScratchDirectory::readFile(reportFile);
  for (const std::string& fault : reportcheck::disagreements(report, run, install_)) {
    ADD_FAILURE() << fault << "\nreport:\n" << report << "\nconsole:\n" << result.console;
  }
  fs::copy_file(fs::u8path(reportFile),
                fs::u8path(reportCollection() + collectedName()),
                fs::copy_options::overwrite_existing, error);
  EXPECT_FALSE(error) << "cannot keep the report: " << error.message();
}

}  // namespace vornup
