// A whole run in process: the program installed beside the mixed host's
// fwmatrix.txt and image directories, run with the switches the input's first
// byte chooses, and every reply of the tool taken from the rest of the input
// (one reply per call, in call order). Whatever the replies say, the run must
// end with a documented exit code and status line, leave its temporary
// directory empty, and download nothing but a verified image of its own
// directories.
#include <sys/stat.h>

#include "driver/main_flow.h"
#include "e2e/documented_outcomes.h"
#include "fuzz_install.h"

namespace {

using vornup::fuzz::fail;

// The switch combinations a run is tried with.
const std::vector<std::vector<const char*>> kSwitchSets = {
    {"/auto", "/update"},     {"/update"},           {"/f"},
    {"/q"},                   {"/auto", "/f", "/v"}, {"/auto", "/downgrade"},
    {"/rewrite", "/v"},       {"/auto", "/rewrite", "/p"},
    {"/remote", "/q", "/v"},  {"/ff", "/remote"},    {"/auto", "/fb"},
    {"/v"},                   {"/xv", "/auto", "/update"},
    {"/downgrade", "/xv"},    {"/p", "/update", "/v"}, {"/auto", "/ff", "/s"},
};

// TEMP of the runs.
const std::string& tempDirectory() {
  static const std::string made = [] {
    const std::string dir = vornup::fuzz::workDirectory() + "temp/";
    if (mkdir(dir.c_str(), 0700) != 0) fail("cannot make", dir);
    return dir;
  }();
  return made;
}

std::string readAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

bool isEmptyDirectory(const std::string& path) {
  return rmdir(path.c_str()) == 0 && mkdir(path.c_str(), 0700) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace vornup;
  if (size == 0) return 0;
  fuzz::InWorkDirectory inWork;
  const std::vector<const char*>& switches = kSwitchSets[data[0] % kSwitchSets.size()];
  fuzz::ScriptedTool tool(fuzz::splitReplies(data + 1, size - 1));
  tool.platform.modulePath = fuzz::installDirectory() + "vornup";
  tool.platform.environment["TEMP"] = tempDirectory();
  tool.platform.registry["SOFTWARE\\Korvane\\Quenmar\\QuenmarDir"] = "/opt/korvane/";
  tool.onToolCall = fuzz::checkDownload;

  std::vector<char*> argv = {const_cast<char*>("vornup")};
  for (const char* s : switches) argv.push_back(const_cast<char*>(s));
  std::FILE* console = std::tmpfile();
  if (console == nullptr) fail("no console file", "");
  const int code = runVornup(static_cast<int>(argv.size()), argv.data(), tool.platform, console);
  const std::string text = readAll(console);
  std::fclose(console);

  if (!outcomes::isDocumentedExitCode(code)) fail("undocumented exit code", std::to_string(code));
  // A silent run prints nothing at all.
  if (switches.back() == std::string("/s")) {
    if (!text.empty()) fail("a silent run printed", text.substr(0, 200));
  } else if (!outcomes::endsWithDocumentedStatus(text, code)) {
    fail("undocumented final status", outcomes::lastStatusLine(text));
  }
  if (!isEmptyDirectory(tempDirectory())) fail("temporary files left behind", tempDirectory());
  return 0;
}
