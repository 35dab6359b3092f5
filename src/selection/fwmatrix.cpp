// fwmatrix.txt: finding an adapter's line and checking the table's entries.
#include "selection/fwmatrix.h"

#include "core/adapter.h"
#include "core/run_state.h"
#include "core/text_compare.h"
#include "selection/fwmatrix_line.h"
#include "tool/model_table.h"

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

constexpr char kNoFile[] = "NONE";
constexpr char kInvalidFile[] = "INVALID_FILE";

constexpr std::size_t kFirmwareColumn = 1;
constexpr std::size_t kBootCodeColumn = 2;

// The file name a column gives: "NONE" when the line has no such column,
// "INVALID_FILE" when the name does not fit a 32-character field.
void takeFileName(const FwmatrixLine& line, std::size_t column, FixedText<32>& name) {
  if (column >= line.columnCount) {
    name.set(kNoFile);
  } else if (line.columns[column].tooLong) {
    name.set(kInvalidFile);
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

}  // namespace

int getFwMatrixMatch(RunState& run, Adapter& adapter, FixedText<32>& fwmatrixFwFile,
                     FixedText<32>& fwmatrixBcFile) {
  run.out.traceOut("%s", kMatchHeading);
  std::FILE* file = run.fwmatrixFile;
  if (file != nullptr) std::rewind(file);

  // FC entries may carry any text after a '-' in their first column.
  bool fc = isFcAdapter(adapter);
  int matched = 0;
  FwmatrixLine line;
  while (file != nullptr && readFwmatrixLine(file, fc, line)) {
    const FwmatrixText& token = line.leadingToken;
    if (!namesAdapter(token, adapter)) continue;
    run.out.traceOut("%s", kMatchFound);
    run.out.traceOut(kMatchModel, adapter.model.c_str());
    run.out.traceOut(kMatchVornupType, adapter.vornupType.c_str());
    run.out.traceOut(kMatchToken, token.text.c_str());

    raiseCounter(run.counters.knownHbaCount);
    adapter.supported = 1;
    matched = 1;

    takeFileName(line, kFirmwareColumn, fwmatrixFwFile);
    if (isConvergedFamily(adapter)) {
      fwmatrixBcFile.set(kNoFile);
    } else {
      takeFileName(line, kBootCodeColumn, fwmatrixBcFile);
    }
    run.out.traceOut(kMatchFwFile, fwmatrixFwFile.c_str());
    run.out.traceOut(kMatchBcFile, fwmatrixBcFile.c_str());
  }
  if (adapter.supported == 0) run.out.traceOut("%s", kNoMatch);
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
  std::rewind(run.fwmatrixFile);
  FwmatrixLine line;
  while (readFwmatrixLine(run.fwmatrixFile, false, line)) {
    const FwmatrixText& token = line.leadingToken;
    if (token.text.c_str()[0] == '/') continue;  // a comment
    if (isKnownEntry(token)) {
      run.out.traceOut(kKnownEntry, token.text.c_str());
      continue;
    }
    if (run.sw.verbose) run.out.consoleOut(kUnknownEntry, token.text.c_str());
    run.out.traceOut(kUnknownEntry, token.text.c_str());
  }
}

}  // namespace vornup
