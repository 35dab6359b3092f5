// The simulated host: the adapter ports the simulator reports and the knobs
// that make it misbehave, read from a host description file (format in
// sim/README.md).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tandrelsim {

// Ways a reply can be damaged (sim/README.md, "Fault knobs").
enum class FaultMode {
  none,
  noOutput,    // nothing at all on standard output
  garbage,     // binary junk instead of the reply
  cutOff,      // the reply stops half way, inside a line
  exitStatus,  // the normal reply, but exit status 1
  huge,        // the reply followed by filler up to 1 MiB
  longLines,   // every line padded to 10,000 characters
  nulFf,       // a 0xFF byte inside every value and a NUL at every line end
  crLf,        // CR LF line ends
};

// Looks a fault mode up by its host-file name ("no-output", "crlf", ...).
bool faultModeByName(const std::string& name, FaultMode& mode);
const char* faultModeName(FaultMode mode);
// All host-file names, for messages.
std::string faultModeNames();

// The error text that "listhbas" prints when the host says the tool's driver
// or management service is missing.
enum class ListError { none, driverNotLoaded, brackmondNotRunning };

// "Make the N-th call fail in way W": calls are counted from 1 across
// processes through the state file.
struct CallFault {
  unsigned long call = 0;  // 0: no call fails this way
  FaultMode mode = FaultMode::none;
};

// Parses "N mode" (as in "fail-call = 3 garbage").
bool parseCallFault(const std::string& text, CallFault& fault, std::string& error);

struct Port {
  std::string address;  // WWN or MAC as the host file writes it
  bool namedByMac = false;
  bool remote = false;  // listed by "listhbas" but not by "listhbas local"
  bool downloadFails = false;
  bool reboot = false;  // a successful download asks for a reboot
  // The text printed after each label, by host-file key ("fw-version").
  // A key the host file leaves out means its label is left out.
  std::map<std::string, std::string> fields;
  // Damage to this port's replies, by command name.
  std::map<std::string, FaultMode> faults;
  int line = 0;

  const std::string* field(const char* key) const;
};

struct Host {
  std::string name = "localhost";
  ListError listError = ListError::none;
  unsigned long listErrorLine = 1;  // output line (from 1) that carries the error text
  CallFault failCall;
  std::map<std::string, FaultMode> faults;  // damage to every reply of a command
  std::vector<Port> ports;

  Port* findPort(const std::string& address);
};

// The commands the simulator knows, as their first argument.
extern const char* const kCommandNames[6];
bool isCommandName(const std::string& name);

// Reads a host description. False, with a message naming the line, for any
// line the format does not allow.
bool parseHost(const std::string& text, Host& host, std::string& error);

}  // namespace tandrelsim
