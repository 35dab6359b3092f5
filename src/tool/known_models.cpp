#include "tool/known_models.h"

#include "core/text_compare.h"
#include "tool/model_table.h"

namespace vornup {

bool isKnownFwmatrixModel(const char* token) {
  for (const KnownModel& known : kKnownModels) {
    if (equalsIgnoringCase(token, known.type)) return true;
  }
  return false;
}

}  // namespace vornup
