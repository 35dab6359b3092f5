#include "tool/discovery.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/text_compare.h"
#include "platform/platform.h"
#include "tool/label_reader.h"

namespace vornup {
namespace {

constexpr int kToolError = 4;

constexpr char kListLocal[] = "listhbas local";
constexpr char kListAll[] = "listhbas";
// Same form as every tool command: quoted tool path, arguments, quoted output file.
constexpr char kCommandFormat[] = "%s %s > \"%s\"";
constexpr std::size_t kCommandLineSize = 768;
constexpr char kExecuting[] = "\n%s : executing command : %s %s ...";
constexpr char kUnableToProcess[] = "\n%s : error - unable to process TANDREL - Return Code=%d\n\n";
constexpr char kUnableToOpenTemp[] = "\n%s : error - unable to open temp file - Return Code=%d\n\n";
constexpr char kDriverNotLoaded[] = "\n%s: Error - QTRD driver is not loaded - Return Code=%d\n\n";
constexpr char kBrackmondNotRunning[] =
    "\n%s: Error - brackmond is not running - Return Code=%d\n\n";

constexpr char kDriverNotLoadedText[] = "driver is not loaded";
constexpr char kBrackmondText[] = "Error 1 getting remote HBAs for host 'localhost";
constexpr int kErrorCheckLines = 10;

constexpr char kPortWwnLabel[] = "Port WWN";
constexpr char kPermanentMacLabel[] = "Permanent MAC";
constexpr char kFlagsLabel[] = "Flags";
constexpr char kSerialLabel[] = "Serial No.";
constexpr char kPortTypeLabel[] = "Port Type";
constexpr std::size_t kWwnLength = 23;
constexpr std::size_t kMacLength = 17;

// The output file is read in lines of up to 255 characters.
constexpr std::size_t kLineSize = 256;

struct PortTypeName {
  const char* name;
  int32_t cnaType;
};
// Any other port type is Fibre Channel.
const PortTypeName kConvergedPortTypes[] = {
    {"iSCSI", kCnaTypeIscsi},
    {"FCoE", kCnaTypeFcoe},
    {"NIC", kCnaTypeNic},
};

bool isEntryLine(const std::string& line) {
  return std::strstr(line.c_str(), kPortWwnLabel) != nullptr ||
         std::strstr(line.c_str(), kPermanentMacLabel) != nullptr;
}

// The lines of the adapter list, as read in pieces of up to 255 characters.
using ListLines = std::vector<std::string>;

// Reads one entry of the adapter list: lines [first, end), the first one
// holding "Port WWN" or "Permanent MAC", `end` the next such line or the end
// of the output. Its "Flags", "Serial No." and "Port Type" lines are looked
// for in that order, each from the line of the one before it (the entry line
// for the first); a field the entry lacks keeps its default instead of being
// taken from the next entry.
class EntryReader {
 public:
  EntryReader(const ListLines& lines, std::size_t first, std::size_t end)
      : lines_(lines), at_(first), end_(end) {}

  void read(RunState& run) {
    Adapter* a = newAdapterRecord(run);
    if (a == nullptr) return;
    const char* entryLine = lines_[at_].c_str();
    const bool byWwn = std::strstr(entryLine, kPortWwnLabel) != nullptr;
    copyAddress(entryLine, byWwn ? kWwnLength : kMacLength, byWwn ? a->wwn : a->mac);
    // What an entry without its other lines is: a Fibre Channel port
    // without flags or serial number.
    a->serialNumber.set("N/A");
    setPortType(*a, "FC");
    if (const char* line = findLine(kFlagsLabel)) a->flags = readFlags(line);
    if (const char* line = findLine(kSerialLabel)) {
      getLabelToken(kSerialLabel, line, a->serialNumber);
      a->serialNumber.upcase();
    }
    if (const char* line = findLine(kPortTypeLabel)) {
      getLabelValue(kPortTypeLabel, line, a->portType);
      setPortType(*a, a->portType.c_str());
    }
  }

 private:
  // The next line of the entry, from the current one on, that holds `label`;
  // it becomes the current line. Null when the entry has none.
  const char* findLine(const char* label) {
    for (std::size_t i = at_; i < end_; ++i) {
      if (std::strstr(lines_[i].c_str(), label) != nullptr) {
        at_ = i;
        return lines_[i].c_str();
      }
    }
    return nullptr;
  }

  // The value after the line's first colon, at most `length` characters and
  // never the line end; "N/A" when the line holds no value at all.
  static void copyAddress(const char* line, std::size_t length, FixedText<32>& address) {
    const char* colon = std::strchr(line, ':');
    const char* value = colon == nullptr ? "" : colon + 1;
    while (*value == ' ') ++value;
    std::size_t count = 0;
    while (count < length && value[count] != '\0' && value[count] != '\n' && value[count] != '\r') {
      ++count;
    }
    address.assign(value, count);
    address.upcase();
    if (address.empty()) address.set("N/A");
  }

  // The value's first two characters (the leading byte) are dropped, then
  // leading zeros; 80007e0d gives 0x7E0D.
  static uint32_t readFlags(const char* line) {
    FixedText<32> value;
    getLabelValue(kFlagsLabel, line, value);
    if (value.length() <= 2) return 0;
    const char* digits = value.c_str() + 2;
    while (*digits == '0') ++digits;
    return hexValue(digits);
  }

  static void setPortType(Adapter& a, const char* name) {
    FixedText<32> portType("FC");
    int32_t cnaType = kCnaTypeFc;
    for (const PortTypeName& known : kConvergedPortTypes) {
      if (equalsIgnoringCase(name, known.name)) {
        portType.set(known.name);
        cnaType = known.cnaType;
      }
    }
    a.portType = portType;
    a.cnaType = cnaType;
    a.personality = cnaType;
  }

  const ListLines& lines_;
  std::size_t at_;
  std::size_t end_;
};

// One record per entry, in output order.
void readEntries(RunState& run, const ListLines& lines) {
  std::size_t i = 0;
  while (i < lines.size()) {
    if (!isEntryLine(lines[i])) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < lines.size() && !isEntryLine(lines[end])) ++end;
    EntryReader(lines, i, end).read(run);
    i = end;
  }
}

int unableToProcess(RunState& run) {
  run.out.consoleOut(kUnableToProcess, run.programName, kToolError);
  return kToolError;
}

}  // namespace

int discoverAdapters(RunState& run) {
  return readAdapterList(run, run.sw.remote ? kListAll : kListLocal);
}

int readAdapterList(RunState& run, const char* args) {
  run.counters.gHbaCount = 0;
  FixedText<kCommandLineSize> commandLine;
  // Without a private temporary file, or with a line cut short, the output
  // would go somewhere else: the command is not run.
  if (run.tempFilePath.empty() ||
      !commandLine.format(kCommandFormat, run.toolPath.c_str(), args, run.tempFilePath.c_str())) {
    return unableToProcess(run);
  }
  if (run.sw.verbose) run.out.consoleOut(kExecuting, run.programName, run.toolPath.c_str(), args);
  run.platform.runCommand(commandLine.c_str());

  const char* tempFile = run.tempFilePath.c_str();
  int status = checkToolErrors(run);
  if (status != 0) {
    // The run's temporary directory is removed at exit; it must be empty.
    std::remove(tempFile);
    return status;
  }
  std::FILE* file = std::fopen(tempFile, "r");
  if (file == nullptr) {
    std::remove(tempFile);
    return unableToProcess(run);
  }
  ListLines lines;
  char line[kLineSize];
  while (std::fgets(line, sizeof line, file) != nullptr) lines.emplace_back(line);
  std::fclose(file);
  readEntries(run, lines);
  std::remove(tempFile);
  return 0;
}

int checkToolErrors(RunState& run) {
  std::FILE* file = std::fopen(run.tempFilePath.c_str(), "r");
  if (file == nullptr) {
    run.out.consoleOut(kUnableToOpenTemp, run.programName, kToolError);
    return kToolError;
  }
  run.toolOutput.clear();
  char line[kLineSize];
  for (int count = 0; count < kErrorCheckLines && std::fgets(line, sizeof line, file) != nullptr;
       ++count) {
    run.toolOutput.append(line);
  }
  std::fclose(file);
  if (std::strstr(run.toolOutput.c_str(), kDriverNotLoadedText) != nullptr) {
    run.out.consoleOut(kDriverNotLoaded, run.programName, kToolError);
    return kToolError;
  }
  if (std::strstr(run.toolOutput.c_str(), kBrackmondText) != nullptr) {
    run.out.consoleOut(kBrackmondNotRunning, run.programName, kToolError);
    return kToolError;
  }
  return 0;
}

}  // namespace vornup
