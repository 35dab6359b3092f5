// The metrics file (/prom=<file>, or vornup.prom in the textfile collector
// directory of the settings): the Prometheus text format, as the node and
// Windows exporters' textfile collectors read it.
#pragma once

#include <string>

namespace vornup {

struct RunFacts;

// The whole file: every family with its HELP and TYPE lines, label values
// escaped, ending with a line end.
std::string metricsTextOf(const RunFacts& facts);

}  // namespace vornup
