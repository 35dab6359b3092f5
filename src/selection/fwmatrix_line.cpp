#include "selection/fwmatrix_line.h"

namespace vornup {

namespace {

bool isColumnSeparator(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool endsLeadingToken(unsigned char c, bool tokenEndsAtHyphen) {
  return c <= ' ' || c >= 0x80 || (tokenEndsAtHyphen && c == '-');
}

}  // namespace

bool readFwmatrixLine(std::FILE* file, bool tokenEndsAtHyphen, FwmatrixLine& line) {
  int c = std::fgetc(file);
  if (c == EOF) return false;
  line = FwmatrixLine();

  bool inToken = true;
  bool inColumn = false;
  bool visible = true;
  for (; c != EOF && c != '\n'; c = std::fgetc(file)) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '\0') visible = false;
    if (!visible) continue;  // consume the rest of the line unseen

    if (inToken && endsLeadingToken(byte, tokenEndsAtHyphen)) inToken = false;
    if (inToken) line.leadingToken.add(static_cast<char>(byte));

    if (isColumnSeparator(byte)) {
      inColumn = false;
      continue;
    }
    if (!inColumn) {
      inColumn = true;
      ++line.columnCount;
    }
    if (line.columnCount <= kFwmatrixColumns) {
      line.columns[line.columnCount - 1].add(static_cast<char>(byte));
    }
  }
  if (line.columnCount > kFwmatrixColumns) line.columnCount = kFwmatrixColumns;
  return true;
}

}  // namespace vornup
