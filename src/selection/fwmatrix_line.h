// Reading fwmatrix.txt line by line.
//
// A line may be of any length and hold any bytes: it is read character by
// character and consumed whole up to its line end, keeping only what the
// table needs (the leading token and the first three columns), each in a
// bounded field that remembers whether its text was too long to keep.
//
// The table is read as Windows editors save it, too: a UTF-8 byte order mark
// is skipped; a carriage return, a line feed and the pair of them each end a
// line; a file that starts with a UTF-16 byte order mark (either byte order)
// is read as 16-bit characters. Names are ASCII: a UTF-16 character beyond
// ASCII makes its line unusable.
#pragma once

#include <cstddef>
#include <cstdio>

#include "core/fixed_text.h"

namespace vornup {

// A column or token of fwmatrix.txt: at most 31 characters are kept; a longer
// text is marked as such and never taken for a shorter one.
struct FwmatrixText {
  FixedText<32> text;
  bool tooLong = false;

  void add(char c) {
    if (!text.appendChar(c)) tooLong = true;
  }
};

constexpr std::size_t kFwmatrixColumns = 3;

struct FwmatrixLine {
  // The characters from the line start up to the first blank, control
  // character or byte of 0x80 and above (and, when asked for, '-').
  FwmatrixText leadingToken;
  // The first three runs of characters other than blank, tab, carriage return
  // and line feed.
  FwmatrixText columns[kFwmatrixColumns];
  std::size_t columnCount = 0;  // columns present, up to kFwmatrixColumns
  // A UTF-16 line with a character beyond ASCII: it names nothing.
  bool unusable = false;
};

// How the table's characters are stored, told by its byte order mark.
enum class FwmatrixEncoding { bytes, utf16LittleEndian, utf16BigEndian };

class FwmatrixReader {
 public:
  // Reads `file` from its start, past any byte order mark.
  explicit FwmatrixReader(std::FILE* file);

  FwmatrixEncoding encoding() const { return encoding_; }

  // Reads the next line into `line`; false at the end of the file. With
  // `tokenEndsAtHyphen` the leading token also ends at the first '-'. A NUL
  // hides the rest of its line.
  bool readLine(bool tokenEndsAtHyphen, FwmatrixLine& line);

 private:
  // The next character: a byte (0 to 255), kBeyondAscii for a UTF-16
  // character above 0x7F, or EOF.
  int next();
  static constexpr int kBeyondAscii = 0x100;
  static constexpr int kNothing = -2;

  std::FILE* file_;
  FwmatrixEncoding encoding_ = FwmatrixEncoding::bytes;
  int pending_ = kNothing;  // a character read ahead after a carriage return
};

}  // namespace vornup
