// One line of the run history (docs/history.schema.json): a JSON object on
// one line, ending with a line end.
#pragma once

#include <string>

namespace vornup {

struct RunFacts;

// Text that is not valid UTF-8 is replaced by U+FFFD and control characters
// are escaped, so the line is always one valid JSON object.
std::string historyLineOf(const RunFacts& facts);

}  // namespace vornup
