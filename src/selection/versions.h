// Version notations and their comparison.
//
// Fibre Channel firmware and boot code versions are strings without dots
// (2.82A4 is held as 282A4); converged and Halvard firmware versions are four
// numbers a.b.c.d. This file decodes and compares both.
#pragma once

#include <cstdint>

namespace vornup {

// Splits a converged version text a.b.c.d into its four numbers. Empty fields
// are skipped ("4..360.15" reads as 4.360.15.0), a field without leading digits
// gives 0, missing fields give 0, and a major number of 3 is read as 2 (both
// generations take the same images).
void parseConvergedVersion(const char* text, uint32_t& major, uint32_t& minor, uint32_t& release,
                           uint32_t& build);

}  // namespace vornup
