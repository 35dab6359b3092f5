// The adapter types that fwmatrix.txt may name in its first column.
#pragma once

namespace vornup {

// Whether `token`, a whole first-column entry of fwmatrix.txt, names a known
// adapter type (compared ignoring letter case).
bool isKnownFwmatrixModel(const char* token);

}  // namespace vornup
