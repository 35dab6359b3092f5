#include "driver/run_state.h"
#include "selection/fwmatrix.h"
#include "selection/fwmatrix_line.h"
#include "tool/known_models.h"

namespace vornup {

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
