#include "tool/discovery.h"

#include <cstdio>
#include <cstring>

#include "common/text_compare.h"
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

// Reads the adapter list line by line. An entry starts at a "Port WWN" or
// "Permanent MAC" line; its "Flags", "Serial No." and "Port Type" lines are
// looked for in that order, from the entry line on, but never beyond the next
// entry: a field missing from one entry keeps its default instead of being
// taken from the next.
class AdapterListReader {
 public:
  explicit AdapterListReader(RunState& run) : run_(run) {}

  void readLine(const char* line) {
    const bool byWwn = std::strstr(line, kPortWwnLabel) != nullptr;
    if (byWwn || std::strstr(line, kPermanentMacLabel) != nullptr) startEntry(line, byWwn);
    if (awaiting_ == Awaiting::kFlags && std::strstr(line, kFlagsLabel) != nullptr) {
      readFlags(line);
      awaiting_ = Awaiting::kSerial;
    }
    if (awaiting_ == Awaiting::kSerial && std::strstr(line, kSerialLabel) != nullptr) {
      getLabelToken(kSerialLabel, line, current_->serialNumber);
      upcaseText(current_->serialNumber.data());
      awaiting_ = Awaiting::kPortType;
    }
    if (awaiting_ == Awaiting::kPortType && std::strstr(line, kPortTypeLabel) != nullptr) {
      readPortType(line);
      awaiting_ = Awaiting::kNothing;
    }
  }

 private:
  enum class Awaiting { kNothing, kFlags, kSerial, kPortType };

  void startEntry(const char* line, bool byWwn) {
    current_ = newAdapterRecord(run_);
    awaiting_ = current_ == nullptr ? Awaiting::kNothing : Awaiting::kFlags;
    if (current_ == nullptr) return;
    // What an entry without its other lines is: a Fibre Channel port
    // without flags or serial number.
    current_->serialNumber.set("N/A");
    setPortType("FC");
    FixedText<32>& address = byWwn ? current_->wwn : current_->mac;
    copyAddress(line, byWwn ? kWwnLength : kMacLength, address);
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
    upcaseText(address.data());
    if (address.empty()) address.set("N/A");
  }

  // The value's first two characters (the leading byte) are dropped, then
  // leading zeros; 80007e0d gives 0x7E0D.
  void readFlags(const char* line) {
    FixedText<32> value;
    getLabelValue(kFlagsLabel, line, value);
    const char* digits = value.c_str();
    if (value.length() <= 2) {
      current_->flags = 0;
      return;
    }
    digits += 2;
    while (*digits == '0') ++digits;
    current_->flags = hexValue(digits);
  }

  void readPortType(const char* line) {
    getLabelValue(kPortTypeLabel, line, current_->portType);
    setPortType(current_->portType.c_str());
  }

  void setPortType(const char* name) {
    FixedText<32> portType("FC");
    int32_t cnaType = kCnaTypeFc;
    for (const PortTypeName& known : kConvergedPortTypes) {
      if (equalsIgnoringCase(name, known.name)) {
        portType.set(known.name);
        cnaType = known.cnaType;
      }
    }
    current_->portType = portType;
    current_->cnaType = cnaType;
    current_->personality = cnaType;
  }

  RunState& run_;
  Adapter* current_ = nullptr;
  Awaiting awaiting_ = Awaiting::kNothing;
};

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
  AdapterListReader reader(run);
  char line[kLineSize];
  while (std::fgets(line, sizeof line, file) != nullptr) reader.readLine(line);
  std::fclose(file);
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
