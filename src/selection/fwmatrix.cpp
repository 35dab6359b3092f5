// fwmatrix.txt: finding an adapter's line and checking the table's entries.
#include "selection/fwmatrix.h"

#include "core/adapter.h"
#include "core/model_table.h"
#include "core/placeholder_text.h"
#include "core/run_state.h"
#include "core/text_compare.h"
#include "selection/fwmatrix_line.h"

namespace vornup {

namespace {

constexpr char kMatchHeading[] = "[getFwMatrixMatch]\n";
constexpr char kMatchFound[] = "[FW matrix match]\n";
constexpr char kMatchModel[] = "HBA Model      = %s\n";
constexpr char kMatchVornupType[] = "Vornup Type  = %s\n";
constexpr char kMatchToken[] = "FW Matrix Type = %s\n";
constexpr char kMatchFwFile[] = "fwmatrixFwFile = %s\n";
constexpr char kMatchBcFile[] = "fwmatrixBcFile = %s\n";
constexpr char kNoMatch[] = "[getFwMatrixMatch] - No match found!\n";

constexpr std::size_t kFirmwareColumn = 1;
constexpr std::size_t kBootCodeColumn = 2;

// The file name a column gives: "NONE" when the line has no such column,
// "INVALID_FILE" when the name does not fit a 32-character field.
void takeFileName(const FwmatrixLine& line, std::size_t column, FixedText<32>& name) {
  if (column >= line.columnCount) {
    name.set(kNoneText);
  } else if (line.columns[column].tooLong) {
    name.set(kInvalidFileText);
  } else {
    name.set(line.columns[column].text.c_str());
  }
}

// An empty first column (an empty line, or one starting with a blank) and
// one too long for the table name no adapter.
bool namesAdapter(const FwmatrixText& token, const Adapter& adapter) {
  return !token.text.empty() && !token.tooLong &&
         equalsIgnoringCase(token.text.c_str(), adapter.vornupType.c_str());
}

bool noMatch(RunState& run, const Adapter& adapter) {
  if (adapter.supported == 0) run.out.traceOut("%s", kNoMatch);
  return false;
}

}  // namespace

bool getFwMatrixMatch(RunState& run, Adapter& adapter, FixedText<32>& fwmatrixFwFile,
                     FixedText<32>& fwmatrixBcFile) {
  run.out.traceOut("%s", kMatchHeading);
  // FC entries may carry any text after a '-' in their first column.
  bool fc = isFcAdapter(adapter);
  bool matched = false;
  FwmatrixLine line;
  if (run.fwmatrixFile == nullptr) return noMatch(run, adapter);
  FwmatrixReader reader(run.fwmatrixFile);
  while (reader.readLine(fc, line)) {
    const FwmatrixText& token = line.leadingToken;
    if (line.unusable || !namesAdapter(token, adapter)) continue;
    run.out.traceOut("%s", kMatchFound);
    run.out.traceOut(kMatchModel, adapter.model.c_str());
    run.out.traceOut(kMatchVornupType, adapter.vornupType.c_str());
    run.out.traceOut(kMatchToken, token.text.c_str());

    raiseCounter(run.counters.knownPortCount);
    adapter.supported = 1;
    matched = true;

    takeFileName(line, kFirmwareColumn, fwmatrixFwFile);
    if (isConvergedFamily(adapter)) {
      fwmatrixBcFile.set(kNoneText);
    } else {
      takeFileName(line, kBootCodeColumn, fwmatrixBcFile);
    }
    run.out.traceOut(kMatchFwFile, fwmatrixFwFile.c_str());
    run.out.traceOut(kMatchBcFile, fwmatrixBcFile.c_str());
  }
  if (!matched) noMatch(run, adapter);
  return matched;
}

// Entries naming no known model.
namespace {

constexpr char kVerifyHeading[] = "\n[verifyFWmatrixEntries]\n";
constexpr char kKnownEntry[] = "Found known fwmatrix.txt entry   = %s\n";
constexpr char kUnknownEntry[] = "Found unknown fwmatrix.txt entry = %s\n";

// A first column too long for the table is no known model, whatever it
// starts with.
bool isKnownEntry(const FwmatrixText& token) {
  return !token.tooLong && isKnownFwmatrixModel(token.text.c_str());
}

}  // namespace

void verifyFWmatrixEntries(RunState& run) {
  if (run.sw.autoMode || run.fwmatrixFile == nullptr) return;
  run.out.traceOut("%s", kVerifyHeading);
  FwmatrixReader reader(run.fwmatrixFile);
  FwmatrixLine line;
  while (reader.readLine(false, line)) {
    const FwmatrixText& token = line.leadingToken;
    if (token.text.c_str()[0] == '/') continue;  // a comment
    if (!line.unusable && isKnownEntry(token)) {
      run.out.traceOut(kKnownEntry, token.text.c_str());
      continue;
    }
    if (run.sw.verbose) run.out.consoleOut(kUnknownEntry, token.text.c_str());
    run.out.traceOut(kUnknownEntry, token.text.c_str());
  }
}

}  // namespace vornup
