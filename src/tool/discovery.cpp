#include "tool/discovery.h"

#include <cstdint>
#include <cstring>

#include "core/placeholder_text.h"
#include "core/text_compare.h"
#include "tool/label_reader.h"
#include "tool/tandrel.h"
#include "tool/tool_runner.h"

namespace vornup {
namespace {

constexpr char kListLocal[] = "listhbas local";
constexpr char kListAll[] = "listhbas";
constexpr char kExecuting[] = "\n%s : executing command : %s %s ...";
constexpr char kTooManyPorts[] =
    "%s: warning - the adapter list names more than %u ports; the rest of it is ignored\n";

constexpr char kDriverNotLoadedText[] = "driver is not loaded";
constexpr char kBrackmondText[] = "Error 1 getting remote HBAs for host 'localhost";
// The driver and service errors count only in the reply's first lines.
constexpr std::size_t kErrorCheckLines = 10;

constexpr char kPortWwnLabel[] = "Port WWN";
constexpr char kPermanentMacLabel[] = "Permanent MAC";
constexpr char kFlagsLabel[] = "Flags";
constexpr char kSerialLabel[] = "Serial No.";
constexpr char kPortTypeLabel[] = "Port Type";
constexpr std::size_t kWwnLength = 23;
constexpr std::size_t kMacLength = 17;

using ListLine = FixedText<kToolReplyLineSize>;

bool isEntryLine(const char* line) {
  return std::strstr(line, kPortWwnLabel) != nullptr ||
         std::strstr(line, kPermanentMacLabel) != nullptr;
}

// A search for the first line holding `label`, from the line it starts on.
struct LineSearch {
  const char* label = nullptr;
  bool started = false;
  bool found = false;
  ListLine line;

  void start(const char* searched) {
    label = searched;
    started = true;
    found = false;
    line.clear();
  }
  // Looks at one line; true when this line is the one found.
  bool look(const char* text) {
    if (!started || found || std::strstr(text, label) == nullptr) return false;
    found = true;
    line.set(text);
    return true;
  }
  const char* result() const { return found ? line.c_str() : nullptr; }
};

// One entry of the adapter list: the line holding "Port WWN" or "Permanent
// MAC" and the lines up to the next such line or the end of the list. Its
// "Flags", "Serial No." and "Port Type" lines are looked for in that order,
// each from the line of the one before it (the entry line for the first, and
// from where the one before would have started when it is missing); a field
// the entry lacks keeps its default instead of being taken from the next
// entry. Lines are seen once, as they come: every search another one may
// start from runs alongside, so an entry of any length needs no more room
// than one line per search.
class EntryReader {
 public:
  void begin(const char* entryLine) {
    entryLine_.set(entryLine);
    flags_.start(kFlagsLabel);
    serialFromEntry_.start(kSerialLabel);
    typeFromEntry_.start(kPortTypeLabel);
    serialFromFlags_ = LineSearch();
    typeFromFlags_ = LineSearch();
    typeFromSerialFromEntry_ = LineSearch();
    typeFromSerialFromFlags_ = LineSearch();
    open_ = true;
    look(entryLine);
  }

  bool open() const { return open_; }

  void look(const char* text) {
    if (flags_.look(text)) {
      serialFromFlags_.start(kSerialLabel);
      typeFromFlags_.start(kPortTypeLabel);
    }
    if (serialFromEntry_.look(text)) typeFromSerialFromEntry_.start(kPortTypeLabel);
    typeFromEntry_.look(text);
    if (serialFromFlags_.look(text)) typeFromSerialFromFlags_.start(kPortTypeLabel);
    typeFromFlags_.look(text);
    typeFromSerialFromEntry_.look(text);
    typeFromSerialFromFlags_.look(text);
  }

  // Makes the entry's record.
  void end(RunState& run) {
    open_ = false;
    Adapter* a = newAdapterRecord(run);
    if (a == nullptr) return;
    const char* entryLine = entryLine_.c_str();
    const bool byWwn = std::strstr(entryLine, kPortWwnLabel) != nullptr;
    copyAddress(entryLine, byWwn ? kWwnLength : kMacLength, byWwn ? a->wwn : a->mac);
    // What an entry without its other lines is: a Fibre Channel port
    // without flags or serial number.
    a->serialNumber.set(kNotAvailableText);
    setPortType(*a, "FC");
    const bool hasFlags = flags_.found;
    const LineSearch& serial = hasFlags ? serialFromFlags_ : serialFromEntry_;
    const LineSearch* type = &typeFromEntry_;
    if (serial.found) {
      type = hasFlags ? &typeFromSerialFromFlags_ : &typeFromSerialFromEntry_;
    } else if (hasFlags) {
      type = &typeFromFlags_;
    }
    if (const char* line = flags_.result()) a->flags = readFlags(line);
    if (const char* line = serial.result()) {
      getLabelToken(kSerialLabel, line, a->serialNumber);
      a->serialNumber.upcase();
    }
    if (const char* line = type->result()) {
      getLabelValue(kPortTypeLabel, line, a->portType);
      setPortType(*a, a->portType.c_str());
    }
  }

 private:
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
    if (address.empty()) address.set(kNotAvailableText);
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
    // Any other port type is Fibre Channel.
    const int32_t cnaType = cnaTypeOfPortTypeName(name);
    a.portType.set(portTypeNameOf(cnaType));
    a.cnaType = cnaType;
    a.personality = cnaType;
  }

  ListLine entryLine_;
  LineSearch flags_;
  LineSearch serialFromEntry_;
  LineSearch typeFromEntry_;
  LineSearch serialFromFlags_;
  LineSearch typeFromFlags_;
  LineSearch typeFromSerialFromEntry_;
  LineSearch typeFromSerialFromFlags_;
  bool open_ = false;
};

// The reply of the adapter-list command, line by line: the first lines are
// held (and copied to run.toolOutput) until the error check has seen them,
// then every line goes to the entry reader.
class ListReader : public ToolOutput {
 public:
  ListReader(RunState& run, const char* args) : run_(run), args_(args) {}

  void starting(const char*) override {
    if (run_.sw.verbose) {
      run_.out.consoleOut(kExecuting, run_.programName, run_.toolPath.c_str(), args_);
    }
  }

  bool line(const char* text) override {
    if (stopped_) return false;
    if (held_ < kErrorCheckLines) {
      heldLines_[held_++].set(text);
      run_.toolOutput.append(text);
      if (held_ < kErrorCheckLines) return true;
      return releaseHeldLines();
    }
    return take(text);
  }

  // The end of the reply.
  DiscoveryOutcome finish() {
    if (!checked_ && !releaseHeldLines()) return outcome_;
    if (!stopped_ && entry_.open()) entry_.end(run_);
    return outcome_;
  }

 private:
  // Runs the error check on the held lines and, when it passes, reads them.
  bool releaseHeldLines() {
    checked_ = true;
    outcome_ = checkToolErrors(run_);
    if (outcome_ != DiscoveryOutcome::listed) {
      stopped_ = true;
      return false;
    }
    for (std::size_t i = 0; i < held_ && !stopped_; ++i) take(heldLines_[i].c_str());
    return !stopped_;
  }

  bool take(const char* text) {
    if (isEntryLine(text)) {
      if (entry_.open()) entry_.end(run_);
      if (run_.counters.portCount == UINT16_MAX) {
        run_.out.errorOut(kTooManyPorts, run_.programName,
                               static_cast<unsigned>(UINT16_MAX));
        stopped_ = true;
        return false;
      }
      entry_.begin(text);
    } else if (entry_.open()) {
      entry_.look(text);
    }
    return true;
  }

  RunState& run_;
  const char* args_;
  ListLine heldLines_[kErrorCheckLines];
  std::size_t held_ = 0;
  bool checked_ = false;
  bool stopped_ = false;
  DiscoveryOutcome outcome_ = DiscoveryOutcome::listed;
  EntryReader entry_;
};

}  // namespace

DiscoveryOutcome discoverAdapters(RunState& run) {
  return readAdapterList(run, run.sw.remote ? kListAll : kListLocal);
}

DiscoveryOutcome readAdapterList(RunState& run, const char* args) {
  run.counters.portCount = 0;
  run.toolOutput.clear();
  ListReader reader(run, args);
  const ToolRunResult result = runTool(run, ToolCommand{ToolCommandKind::query, args}, reader);
  switch (result.end) {
    case ToolRunEnd::exited:
      return reader.finish();
    case ToolRunEnd::timedOut:
    case ToolRunEnd::notStarted:
      explainUnfinishedCommand(run, result, args);
      return DiscoveryOutcome::toolFailed;
    case ToolRunEnd::refused:
      return DiscoveryOutcome::toolFailed;
    case ToolRunEnd::replyUnreadable:
      return DiscoveryOutcome::replyUnreadable;
    case ToolRunEnd::interrupted:
      return DiscoveryOutcome::interrupted;
  }
  return DiscoveryOutcome::toolFailed;
}

DiscoveryOutcome checkToolErrors(const RunState& run) {
  if (std::strstr(run.toolOutput.c_str(), kDriverNotLoadedText) != nullptr) {
    return DiscoveryOutcome::driverNotLoaded;
  }
  if (std::strstr(run.toolOutput.c_str(), kBrackmondText) != nullptr) {
    return DiscoveryOutcome::serviceNotRunning;
  }
  return DiscoveryOutcome::listed;
}

}  // namespace vornup
