// A whole run in process: the program installed beside the mixed host's
// fwmatrix.txt and image directories, run with the switches the input's first
// byte chooses, and every reply of the tool taken from the rest of the input
// (one reply per call, in call order). Whatever the replies say, the run must
// end with a documented exit code and status line, leave its temporary
// directory empty, and download nothing but a verified image of its own
// directories.
#include "fuzz_tool.h"

#include <sys/stat.h>

#include "driver/main_flow.h"
#include "e2e/documented_outcomes.h"
#include "e2e/mixed_install.h"
#include "sim/download_image.h"
#include "sim/fake_tool.h"

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

struct Install {
  std::string directory;  // the program's directory, with the separator
  std::string temp;       // TEMP of the runs
};

const Install& install() {
  static const Install made = [] {
    Install result;
    const std::string& work = vornup::fuzz::workDirectory();
    result.directory = work + "install/";
    result.temp = work + "temp/";
    for (const std::string& dir : {result.directory, result.directory + "firmware/",
                                   result.directory + "boot/", result.temp}) {
      if (mkdir(dir.c_str(), 0700) != 0) fail("cannot make", dir);
    }
    std::string error;
    if (!vornup::mixedinstall::writeInstall(VORNUP_MIXED_DIR, result.directory, error)) fail("install", error);
    return result;
  }();
  return made;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A download must name an image of the install's own directories that the
// readers accept.
void checkDownload(const std::string& line) {
  std::vector<std::string> args = tandrelsim::toolArguments(line);
  if (args.empty() || args[0] != "download") return;
  if (args.size() != 3) fail("download with other arguments", line);
  const std::string& path = args[2];
  const std::string& dir = install().directory;
  if (!startsWith(path, dir + "firmware/") && !startsWith(path, dir + "boot/")) {
    fail("download from outside the image directories", line);
  }
  if (!tandrelsim::describeDownloadImage(path).accepted) fail("unverified image downloaded", line);
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
  tool.platform.modulePath = install().directory + "vornup";
  tool.platform.environment["TEMP"] = install().temp;
  tool.platform.registry["SOFTWARE\\Korvane\\Quenmar\\QuenmarDir"] = "/opt/korvane/";
  tool.onToolCall = checkDownload;

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
  if (!isEmptyDirectory(install().temp)) fail("temporary files left behind", install().temp);
  return 0;
}
