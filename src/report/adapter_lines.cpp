#include "report/adapter_lines.h"

#include <cstring>

#include "core/adapter.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "core/versions.h"

namespace vornup {

namespace {

// The port's address stands after its label ("WWN=..." or "MAC=...").
constexpr char kBody[] =
    "\nHBA=%s, Port Type=%s, %s=%s, PCI ID=%X, VID=%X, SSID=%X, SVID=%X, Firmware=%s, "
    "Boot Code=%s";

constexpr char kBootEnabledSuffix[] = ", Boot Enabled=%d";
constexpr char kSupportedFirmwareSuffix[] = ", Supported Firmware=%s";
constexpr char kSupportedBootCodeSuffix[] = ", Supported Boot Code=%s";
constexpr char kBootCodeEnabledSuffix[] = ", Boot Code Enabled=%d";

constexpr char kResultLine[] =
    "\n%sHBA=%s, Port Type=%s, %s=%s,\nUpdate=%s, Image=%s, New=%s, Old=%s, Status=";

constexpr char kTimeFormat[] = "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n";
constexpr char kTimeNotAvailable[] = "Current time is not available";

constexpr char kRewriteNotRequired[] = "\n%s: A %s rewrite was not required on HBA: %s\n";
constexpr char kUpdateNotRequired[] = "\n%s: A %s update was not required on HBA: %s\n";
constexpr char kDowngradeNotRequired[] = "\n%s: A %s downgrade was not required on HBA: %s\n";

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The label the lines put before the port's address; null for a port of no
// known type, which has no line.
const char* addressLabel(const Adapter& a) {
  switch (portNaming(a)) {
    case PortNaming::wwn:
      return "WWN";
    case PortNaming::mac:
      return "MAC";
    case PortNaming::none:
      break;
  }
  return nullptr;
}

// FC adapters, the Halvard one included, report whether their boot code is on.
bool reportsBootEnabled(const Adapter& a) { return isFcAdapter(a) || isHalvardFcAdapter(a); }

// The start of a query line, when /q is set and the port is named by WWN or
// MAC address; false when nothing was printed.
bool printQueryBody(RunState& run, const Adapter& adapter) {
  if (!run.sw.query) return false;
  FixedText<512> body;
  if (!formatAdapterBody(adapter, body)) return false;
  run.out.consoleOut("%s", body.c_str());
  return true;
}

template <std::size_t N>
void setVersionText(FixedText<N>& text, const Adapter& a, const char* type, const char* version) {
  if (isPlaceholderText(version) || isConvergedFamily(a)) {
    text.set(version);
  } else {
    text.format("%s%s", type, version);
  }
}

}  // namespace

AdapterVersionTexts versionTextsOf(const Adapter& adapter) {
  AdapterVersionTexts texts;
  setVersionText(texts.firmware, adapter, adapter.fwType.c_str(), adapter.fwVersion.c_str());
  setVersionText(texts.bootCode, adapter, adapter.bootCodeType.c_str(), adapter.bootCodeVersion.c_str());
  return texts;
}

bool formatAdapterBody(const Adapter& adapter, FixedText<512>& body) {
  body.clear();
  const char* label = addressLabel(adapter);
  if (label == nullptr) return false;
  AdapterVersionTexts texts = versionTextsOf(adapter);
  body.format(kBody, adapter.model.c_str(), adapter.portType.c_str(), label,
              adapterAddress(adapter), adapter.pciID, adapter.vendorID, adapter.subSysDevID,
              adapter.subVenDevID, texts.firmware.c_str(), texts.bootCode.c_str());
  return true;
}

void printPlainQueryLine(RunState& run, const Adapter& adapter) {
  if (!printQueryBody(run, adapter)) return;
  if (reportsBootEnabled(adapter)) run.out.consoleOut(kBootEnabledSuffix, adapter.bootEnabled);
}

void printQueryLine(RunState& run, const Adapter& adapter, const char* imageText, ImageKind kind) {
  if (!printQueryBody(run, adapter)) return;
  if (kind == ImageKind::firmware) {
    run.out.consoleOut(kSupportedFirmwareSuffix, imageText);
  } else if (isFcAdapter(adapter) && !isHalvardFcAdapter(adapter)) {
    run.out.consoleOut(kSupportedBootCodeSuffix, imageText);
  }
  if (reportsBootEnabled(adapter)) run.out.consoleOut(kBootCodeEnabledSuffix, adapter.bootEnabled);
}

void formatTimeText(const std::tm* time, FixedText<64>& text) {
  bool valid = time != nullptr && time->tm_wday >= 0 && time->tm_wday < 7 && time->tm_mon >= 0 &&
               time->tm_mon < 12;
  if (!valid) {
    text.set(kTimeNotAvailable);
    return;
  }
  text.format(kTimeFormat, kWeekdays[time->tm_wday], kMonths[time->tm_mon], time->tm_mday,
              time->tm_hour, time->tm_min, time->tm_sec, 1900 + time->tm_year);
}

void formatResultLine(FixedText<256>& line, const Adapter& adapter, const char* newVersion,
                      const char* updateLabel, const char* installed, const char* imageName) {
  std::time_t now = std::time(nullptr);
  // The program runs on one thread, so the C library's shared result is safe.
  const std::tm* local = now == static_cast<std::time_t>(-1) ? nullptr : std::localtime(&now);
  FixedText<64> timeText;
  formatTimeText(local, timeText);
  formatResultLineAt(line, timeText.c_str(), adapter, newVersion, updateLabel, installed,
                     imageName);
}

void formatResultLineAt(FixedText<256>& line, const char* timeText, const Adapter& adapter,
                        const char* newVersion, const char* updateLabel, const char* installed,
                        const char* imageName) {
  const char* label = addressLabel(adapter);
  if (label == nullptr) return;
  // The line shows FC versions without their type code.
  const char* shown = isConvergedFamily(adapter) ? newVersion : fcVersionOf(newVersion);
  line.format(kResultLine, timeText, adapter.model.c_str(), adapter.portType.c_str(), label,
              adapterAddress(adapter), updateLabel, imageName, shown, installed);
}

void printNotRequired(RunState& run, const Adapter& adapter, ImageKind kind) {
  const char* kindText = kind == ImageKind::firmware ? "firmware" : "boot code";
  const char* format = run.sw.rewrite     ? kRewriteNotRequired
                       : run.sw.update    ? kUpdateNotRequired
                       : run.sw.downgrade ? kDowngradeNotRequired
                                          : nullptr;
  if (format != nullptr)
    run.out.consoleOut(format, run.programName, kindText, adapter.model.c_str());
}

}  // namespace vornup
