// The descriptors a call of the simulator found open beyond standard input,
// output and error: what the program that started it let it inherit.
#pragma once

#include <string>

namespace tandrelsim {

// Appends one line to the file at `path`: "none", or each such descriptor as
// "<number>=<what it names>" separated by blanks. POSIX hosts with /proc only;
// false (`error` says why) elsewhere or when the file cannot be written.
bool reportInheritedDescriptors(const std::string& path, std::string& error);

}  // namespace tandrelsim
