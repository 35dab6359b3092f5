// Reading one line of fwmatrix.txt.
//
// A line may be of any length and hold any bytes: it is read character by
// character and consumed whole up to its line feed, keeping only what the
// table needs (the leading token and the first three columns), each in a
// bounded field that remembers whether its text was too long to keep.
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
};

// Reads the next line of `file` into `line`; false at the end of the file.
// With `tokenEndsAtHyphen` the leading token also ends at the first '-'.
// A NUL byte hides the rest of its line.
bool readFwmatrixLine(std::FILE* file, bool tokenEndsAtHyphen, FwmatrixLine& line);

}  // namespace vornup
