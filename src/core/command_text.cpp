#include "core/command_text.h"

#include <cstring>

#include "platform/host_names.h"

namespace vornup {

bool isSafeQuotedText(const char* text) {
  if (text == nullptr) return false;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != '\0'; ++c) {
    // '"' would end the quoted argument; '%' expands variables in cmd even
    // inside quotes.
    if (*c < 0x20 || *c == 0x7F || *c == '"' || *c == '%') return false;
    if (std::strchr(kQuotedArgumentSpecials, *c) != nullptr) return false;
  }
  return true;
}

}  // namespace vornup
