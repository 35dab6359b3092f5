// Helpers for the image reader tests: a scratch directory for image files and
// a debug trace captured in memory.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/output.h"
#include "image_writer.h"

namespace vornup {
namespace testing_images {

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the test. Its path holds no '.', so that
// only the file names decide whether a path is an AIF name.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("vornup_images_" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }

  // Writes the image under `name` and returns its full path.
  std::string write(const std::string& name, const imagemaker::Bytes& bytes) const {
    std::string path = file(name);
    if (!imagemaker::writeImageFile(path, bytes)) ADD_FAILURE() << "cannot write " << path;
    return path;
  }

 private:
  std::filesystem::path path_;
};

// An Output whose debug trace goes to a temporary file that the test reads.
class TraceCapture {
 public:
  TraceCapture() { out.debugTrace = std::tmpfile(); }

  // Everything traced so far.
  std::string text() {
    std::string all;
    if (out.debugTrace == nullptr) return all;
    std::fflush(out.debugTrace);
    std::rewind(out.debugTrace);
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, out.debugTrace)) > 0) all.append(chunk, got);
    std::fseek(out.debugTrace, 0, SEEK_END);
    return all;
  }

  bool contains(const std::string& line) { return text().find(line) != std::string::npos; }

  Output out;
};

enum class Reader { ufi, grp, all, prg };

// What a reader said about one file.
struct Verdict {
  int status = 0;
  int imageFamily = -1;  // the family number the UFI and GRP readers set; -1 when they left it
  std::string id;      // the result text
  std::string trace;
};

// Verifies the file at `path` with `reader`, the trace on.
Verdict verifyImagePath(Reader reader, const std::string& path);

// Writes the image under `name` and verifies it.
Verdict verifyImage(Reader reader, const ScratchDir& dir, const std::string& name,
                    const imagemaker::Bytes& bytes);

// Expects every one of `lines` in the trace (`traced`) or none (`notTraced`).
void expectTraced(const Verdict& verdict, const std::vector<std::string>& lines,
                  const std::string& what);
void expectNotTraced(const Verdict& verdict, const std::vector<std::string>& lines,
                     const std::string& what);

}  // namespace testing_images
}  // namespace vornup
