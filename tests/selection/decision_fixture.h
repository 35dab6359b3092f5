// Test support: a run with firmware and boot directories in its scratch
// directory and a tool that answers every command with `reply`, for the image
// discovery and the update decision.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/adapter.h"
#include "selection/image_discovery.h"
#include "selection/image_discovery_scan.h"
#include "support/image_files.h"
#include "support/tool_run_fixture.h"

namespace vornup {

class DecisionFixture : public ToolRunFixture {
 protected:
  // Builds both image lists from the two directories, as automatic mode does,
  // and empties the trace for what the test runs next.
  void discover() {
    discoverImages(c.run, c.run.firmwareDirectory.c_str(), ImageKind::firmware, c.run.firmwareList);
    discoverImages(c.run, c.run.bootDirectory.c_str(), ImageKind::bootCode, c.run.bootList);
    c.trace();
  }

  // The download command of the file `path` for `address`: the tool is given
  // the verified copy of the file, of the same name, in the run's private
  // directory.
  std::string download(const std::string& address, const std::string& path) const {
    const std::string name = path.substr(path.find_last_of(kPathSeparator) + 1);
    return "download " + address + " \"" + c.run.tempDirectory.c_str() + name + "\"";
  }

  // Addresses of the sample adapters.
  static constexpr char kFcWwn[] = "10:00:00:00:5E:AA:BB:01";
  static constexpr char kFcoeWwn[] = "10:00:00:00:5E:CC:DD:02";
};

// Whether `text` holds `part`, for readable expectations.
inline bool holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// How often `part` occurs in `text`.
inline int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

}  // namespace vornup
