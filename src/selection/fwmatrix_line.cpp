#include "selection/fwmatrix_line.h"

namespace vornup {

namespace {

// What a UTF-16 character beyond ASCII reads as: a byte no name holds.
constexpr unsigned char kBeyondAsciiByte = 0xFF;

bool isColumnSeparator(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool endsLeadingToken(unsigned char c, bool tokenEndsAtHyphen) {
  return c <= ' ' || c >= 0x80 || (tokenEndsAtHyphen && c == '-');
}

// The byte order marks, as the first bytes of the file.
struct ByteOrderMark {
  unsigned char bytes[3];
  std::size_t length;
  FwmatrixEncoding encoding;
};
constexpr ByteOrderMark kByteOrderMarks[] = {
    {{0xEF, 0xBB, 0xBF}, 3, FwmatrixEncoding::bytes},
    {{0xFF, 0xFE, 0}, 2, FwmatrixEncoding::utf16LittleEndian},
    {{0xFE, 0xFF, 0}, 2, FwmatrixEncoding::utf16BigEndian},
};

}  // namespace

FwmatrixReader::FwmatrixReader(std::FILE* file) : file_(file) {
  std::rewind(file_);
  int start[3];
  for (int& c : start) c = std::fgetc(file_);
  std::size_t skip = 0;
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    bool matches = true;
    for (std::size_t i = 0; i < mark.length; ++i) matches = matches && start[i] == mark.bytes[i];
    if (matches) {
      skip = mark.length;
      encoding_ = mark.encoding;
      break;
    }
  }
  std::rewind(file_);
  for (std::size_t i = 0; i < skip; ++i) std::fgetc(file_);
}

int FwmatrixReader::next() {
  if (pending_ != kNothing) {
    const int c = pending_;
    pending_ = kNothing;
    return c;
  }
  const int first = std::fgetc(file_);
  if (encoding_ == FwmatrixEncoding::bytes || first == EOF) return first;
  const int second = std::fgetc(file_);
  if (second == EOF) return EOF;  // half a character at the end
  const unsigned unit = encoding_ == FwmatrixEncoding::utf16LittleEndian
                            ? static_cast<unsigned>(first) | (static_cast<unsigned>(second) << 8)
                            : (static_cast<unsigned>(first) << 8) | static_cast<unsigned>(second);
  return unit < 0x80 ? static_cast<int>(unit) : kBeyondAscii;
}

bool FwmatrixReader::readLine(bool tokenEndsAtHyphen, FwmatrixLine& line) {
  int c = next();
  if (c == EOF) return false;
  line = FwmatrixLine();

  bool inToken = true;
  bool inColumn = false;
  bool visible = true;
  for (; c != EOF && c != '\n'; c = next()) {
    if (c == '\r') {
      // A carriage return ends the line, together with a line feed after it.
      const int after = next();
      if (after != '\n') pending_ = after;
      break;
    }
    if (c == kBeyondAscii) {
      line.unusable = true;
      c = kBeyondAsciiByte;
    }
    const unsigned char byte = static_cast<unsigned char>(c);
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
