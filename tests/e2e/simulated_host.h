// End-to-end runs against a simulated Korvane host: the installed program
// with the Tandrel simulator beside it, a host description put together from
// port blocks, image files made with the image writer in the program's
// firmware and boot directories, and the simulator's command log, which shows
// exactly which tool commands a run carried out.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "e2e/e2e_host.h"
#include "image_writer.h"

namespace vornup {

// One port of a simulated host.
struct SimulatedPort {
  std::string block;  // its [port] block of the host file
  // The tool commands the program runs for this port while it reads the
  // adapter list (after "listhbas local"), in order.
  std::vector<std::string> discovery;
};

class SimulatedHostTest : public ::testing::Test {
 protected:
  SimulatedHostTest();

  // Describes the host by its ports (and any further host-file text) and
  // starts it afresh: what earlier runs installed and the command log are
  // forgotten.
  void describeHost(const std::vector<SimulatedPort>& ports,
                    const std::string& extra = std::string());

  // The tool commands run since the last call, one per line as the
  // simulator logs them (arguments joined by blanks); the log starts empty
  // again.
  std::vector<std::string> takeToolCommands();
  // "listhbas local" followed by every port's discovery commands, then
  // `more`.
  std::vector<std::string> discoveryAnd(const std::vector<std::string>& more = {}) const;

  // Image files in the program's firmware and boot directories. FC versions
  // are written as the program holds them ("290A1"), converged ones as
  // a.b.c.d.
  void writeFirmwareAll(const std::string& name, uint8_t imageId, const std::string& version);
  void writeBootPrg(const std::string& name, uint8_t imageId, const std::string& version);
  void writeFirmwareUfi(const std::string& name, const std::string& version,
                        imagemaker::UfiChip chip = imagemaker::UfiChip::kx2);
  void writeFwmatrix(const std::string& text) { host.writeInstallFile("fwmatrix.txt", text); }

  // The full paths the program hands to the tool.
  std::string firmwarePath(const std::string& name) const;
  std::string bootPath(const std::string& name) const;

  E2eHost host;

 private:
  std::vector<SimulatedPort> ports_;
};

// The port with one more setting ("download = fail").
SimulatedPort withSetting(SimulatedPort port, const std::string& setting);

// What the command log shows for the run's private directory (where the tool
// is given the verified copy of an image, under its own name).
constexpr char kPrivateCopyDirectory[] = "<private>/";

// A download command as the simulator logs it (with the private directory as
// kPrivateCopyDirectory): the tool downloads the copy of `imagePath`.
std::string downloadCommand(const std::string& address, const std::string& imagePath);

// The download result lines of a console text, in order, each as
// "HBA=..., Update=..., Status=..." (the time text left out).
std::vector<std::string> resultLines(const std::string& console);

// The console text before the download summary (all of it when there is none).
std::string beforeSummary(const std::string& console);

bool contains(const std::string& text, const std::string& part);
std::size_t occurrences(const std::string& text, const std::string& part);

// A message of the program on a line of its own: "\n<program>: <text>\n".
std::string note(const std::string& text);
// A final status line: "\n\n<program>: <text> - Return Code=<code>\n\n".
std::string statusLine(const std::string& text, int code);
// A download result line as resultLines gives it: the adapter part (up to
// the comma after its address and a blank), then the download.
std::string resultLine(const char* adapter, const char* update, const char* image,
                       const char* newVersion, const char* oldVersion, const char* status);

}  // namespace vornup
