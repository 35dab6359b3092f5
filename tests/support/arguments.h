// Test support: an argument vector as the program receives it, program name
// first.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace vornup {

class Arguments {
 public:
  Arguments(std::initializer_list<std::string> switches) : texts_{"vornup.exe"} {
    texts_.insert(texts_.end(), switches.begin(), switches.end());
    for (std::string& text : texts_) pointers_.push_back(&text[0]);
    pointers_.push_back(nullptr);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  int argc() const { return static_cast<int>(texts_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

}  // namespace vornup
