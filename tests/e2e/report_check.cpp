#include "e2e/report_check.h"

#include <cctype>
#include <map>
#include <utility>

#include "e2e/documented_outcomes.h"

namespace vornup {
namespace reportcheck {

namespace {

using Json = nlohmann::json;

constexpr char kUsageHeader[] = "Korvane Firmware Update Utility";
constexpr char kRebootNotice[] = "Please reboot system to activate new firmware.";
constexpr char kReturnCode[] = " - Return Code=";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool startsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The value of "Name=" in a line, up to the next ", " (or the line's end).
std::string field(const std::string& line, const std::string& name) {
  const std::string key = name + "=";
  std::size_t at = line.find(key);
  while (at != std::string::npos && at != 0 && line[at - 1] != ' ') at = line.find(key, at + 1);
  if (at == std::string::npos) return std::string();
  at += key.size();
  std::size_t end = line.find(", ", at);
  std::string value = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
  // The unsupported adapters' summary ends its lines with blanks.
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

// A port's address in a query or result line.
std::string addressOf(const std::string& line) {
  std::string address = field(line, "WWN");
  return address.empty() ? field(line, "MAC") : address;
}

struct ResultLine {
  std::string address;
  std::string kind;  // "firmware" or "boot_code"
  std::string image;
  std::string newVersion;
  std::string status;  // "Success", "Error", "Preview" or an error text
};

// The download result lines: "HBA=..., WWN=...,\nUpdate=..., Status=...".
std::vector<ResultLine> resultLinesOf(const std::string& console) {
  constexpr char kJoint[] = ",\nUpdate=";
  std::vector<ResultLine> lines;
  for (std::size_t at = console.find(kJoint); at != std::string::npos;
       at = console.find(kJoint, at + 1)) {
    const std::size_t begin = console.rfind("HBA=", at);
    const std::size_t end = console.find('\n', at + 2);
    if (begin == std::string::npos) continue;
    const std::string head = console.substr(begin, at - begin) + ", ";
    const std::string tail =
        console.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
    ResultLine line;
    line.address = addressOf(head);
    line.kind = field(tail, "Update") == "Firmware" ? "firmware" : "boot_code";
    line.image = field(tail, "Image");
    line.newVersion = field(tail, "New");
    const std::size_t status = tail.find("Status=");
    line.status = status == std::string::npos ? std::string() : tail.substr(status + 7);
    lines.push_back(line);
  }
  return lines;
}

struct QueryLine {
  std::string address;
  std::string firmware;
  std::string bootCode;
};

// The query lines: "HBA=..., Firmware=..., Boot Code=..." (result lines
// carry no versions of that form).
std::vector<QueryLine> queryLinesOf(const std::string& console) {
  std::vector<QueryLine> lines;
  for (std::size_t at = console.find("\nHBA="); at != std::string::npos;
       at = console.find("\nHBA=", at + 1)) {
    const std::size_t end = console.find('\n', at + 1);
    const std::string line =
        console.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1) + ", ";
    if (!contains(line, ", Firmware=") || !contains(line, ", Boot Code=")) continue;
    lines.push_back({addressOf(line), field(line, "Firmware"), field(line, "Boot Code")});
  }
  return lines;
}

const char* outcomeOfStatus(const std::string& status) {
  if (status == "Success") return "downloaded";
  if (status == "Preview") return "previewed";
  return "failed";
}

const Json* portByAddress(const Json& ports, const std::string& address) {
  for (const Json& port : ports) {
    if (port.value("address", "") == address) return &port;
  }
  return nullptr;
}

bool isInterruptCode(int code) {
  return code == 129 || code == 130 || code == 141 || code == 143 || code == 1602;
}

class Faults {
 public:
  template <typename A, typename B>
  void expectEqual(const A& actual, const B& expected, const std::string& what) {
    if (actual == expected) return;
    faults_.push_back(what + ": report has " + Json(actual).dump() + ", the run " +
                      Json(expected).dump());
  }
  void expect(bool holds, const std::string& what) {
    if (!holds) faults_.push_back(what);
  }
  std::vector<std::string> take() { return std::move(faults_); }

 private:
  std::vector<std::string> faults_;
};

void checkPaths(const Json& report, const std::string& installDirectory, Faults& faults) {
  if (!report["tool_path"].is_null()) {
    faults.expect(startsWith(report["tool_path"].get<std::string>(), installDirectory),
                  "tool path " + report["tool_path"].dump() + " is not below " + installDirectory);
  }
  for (const Json& port : report["ports"]) {
    for (const char* kind : {"firmware", "boot_code"}) {
      const Json& image = port["images"][kind]["image"];
      if (image.is_null()) continue;
      const std::string path = image["path"].get<std::string>();
      faults.expect(startsWith(path, installDirectory) &&
                        endsWith(path, image["file"].get<std::string>()),
                    "image path " + path + " is not the file below " + installDirectory);
    }
  }
}

void checkDownloads(const Json& report, const std::string& console, Faults& faults) {
  // The last result line of each port and kind: a downgrade may try several.
  std::map<std::pair<std::string, std::string>, ResultLine> last;
  for (const ResultLine& line : resultLinesOf(console)) last[{line.address, line.kind}] = line;
  for (const auto& entry : last) {
    const ResultLine& line = entry.second;
    const Json* port = portByAddress(report["ports"], line.address);
    faults.expect(port != nullptr, "no port " + line.address + " for its result line");
    if (port == nullptr) continue;
    const Json& result = (*port)["images"][line.kind];
    const std::string where = line.address + " " + line.kind;
    std::string expected = outcomeOfStatus(line.status);
    // A download that an interrupt left untried shows Status=Error too.
    if (expected == "failed" && result["outcome"] == "not_attempted") expected = "not_attempted";
    faults.expectEqual(result["outcome"].get<std::string>(), expected, where + " outcome");
    if (!result["image"].is_null()) {
      faults.expectEqual(result["image"]["file"].get<std::string>(), line.image, where + " image");
      faults.expect(endsWith(result["image"]["identifier"].get<std::string>(), line.newVersion),
                    where + " identifier " + result["image"]["identifier"].dump() +
                        " is not version " + line.newVersion);
    }
    const Json& after = (*port)[line.kind]["after"];
    if (line.status == "Success") {
      faults.expect(after.is_string() && endsWith(after.get<std::string>(), line.newVersion),
                    where + " after " + after.dump() + " is not version " + line.newVersion);
    } else {
      faults.expect(after.is_null(), where + " after " + after.dump() + " without a download");
    }
  }
  // Every download the report names has its result line (a missing image
  // named by fwmatrix.txt fails without one).
  std::size_t reported = 0;
  for (const Json& port : report["ports"]) {
    for (const char* kind : {"firmware", "boot_code"}) {
      const Json& result = port["images"][kind];
      if (result["outcome"] != "none" && result["decision"] != "no_compatible_image") ++reported;
    }
  }
  faults.expectEqual(reported, last.size(), "downloads with a result line");
}

void checkVersions(const Json& report, const std::string& console, Faults& faults) {
  for (const QueryLine& line : queryLinesOf(console)) {
    const Json* port = portByAddress(report["ports"], line.address);
    faults.expect(port != nullptr, "no port " + line.address + " for its query line");
    if (port == nullptr) continue;
    faults.expectEqual((*port)["firmware"]["before"].get<std::string>(), line.firmware,
                       line.address + " firmware");
    const bool none = line.bootCode == "NONE" || line.bootCode == "N/A" || line.bootCode.empty();
    const Json expected = none ? Json(nullptr) : Json(line.bootCode);
    faults.expectEqual((*port)["boot_code"]["before"], expected, line.address + " boot code");
  }
}

// The console text with bytes that are no UTF-8 replaced as the report
// replaces them, so that texts from the tool compare equal.
std::string asReportText(const std::string& text) {
  return Json::parse(Json(text).dump(-1, ' ', false, Json::error_handler_t::replace))
      .get<std::string>();
}

}  // namespace

Json parsed(const std::string& report) { return Json::parse(report, nullptr, false); }

Expected reportExpected(const ConsoleRun& run) {
  if (contains(run.console, kUsageHeader)) return Expected::noReport;
  return run.console.empty() && run.exitCode == 4 ? Expected::either : Expected::report;
}

std::string consoleStatusText(const std::string& console) {
  const std::string line = outcomes::lastStatusLine(console);
  const std::size_t colon = line.find(": ");
  const std::size_t code = line.rfind(kReturnCode);
  if (colon == std::string::npos || code == std::string::npos || code < colon) return std::string();
  return line.substr(colon + 2, code - colon - 2);
}

std::vector<std::string> disagreements(const std::string& text, const ConsoleRun& given,
                                       const std::string& installDirectory) {
  ConsoleRun run = given;
  run.console = asReportText(run.console);
  for (std::string& argument : run.arguments) argument = asReportText(argument);
  Faults faults;
  const Json report = parsed(text);
  if (report.is_discarded() || !report.is_object()) return {"the report is no JSON object"};
  try {
    faults.expectEqual(report.at("exit_code").get<int>(), run.exitCode, "exit code");
    faults.expectEqual(report.at("status").at("exit_code").get<int>(), run.exitCode,
                       "status line's code");
    faults.expectEqual(report.at("command_line").get<std::vector<std::string>>(), run.arguments,
                       "command line");
    faults.expectEqual(report.at("interrupted").get<bool>(), isInterruptCode(run.exitCode),
                       "interrupted");
    bool automatic = false;
    for (const std::string& argument : run.arguments) {
      automatic = automatic || lowered(argument) == "/auto" || lowered(argument) == "/a";
    }
    faults.expectEqual(report.at("mode").get<std::string>(),
                       std::string(automatic ? "auto" : "fwmatrix"), "mode");
    const std::string status = consoleStatusText(run.console);
    if (!status.empty()) {
      faults.expectEqual(report.at("status").at("text").get<std::string>(), status, "status text");
    }
    if (!run.console.empty()) {
      faults.expectEqual(report.at("reboot_required").get<bool>(),
                         contains(run.console, kRebootNotice), "reboot notice");
    }
    checkPaths(report, installDirectory, faults);
    checkDownloads(report, run.console, faults);
    checkVersions(report, run.console, faults);
  } catch (const Json::exception& error) {
    faults.expect(false, std::string("the report lacks a field: ") + error.what());
  }
  return faults.take();
}

}  // namespace reportcheck
}  // namespace vornup
