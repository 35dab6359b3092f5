// vornup-bench-images: verifies every image file of a directory and, in the
// same run, reads the same files raw; prints the times, their ratio and the
// peak memory of the process.
//
// Usage: vornup-bench-images DIRECTORY [ROUNDS]
// Each file is read once to warm the cache, then verified and read raw
// ROUNDS times (5 by default), alternately; the best time of each counts.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/output.h"
#include "images/image_verify.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Format { ufi, grp, all, prg, other };

Format formatOf(const std::string& name) {
  struct Extension {
    const char* lower;
    const char* upper;
    Format format;
  };
  const Extension extensions[] = {
      {".ufi", ".UFI", Format::ufi},
      {".grp", ".GRP", Format::grp},
      {".all", ".ALL", Format::all},
      {".prg", ".PRG", Format::prg},
  };
  for (const Extension& e : extensions) {
    if (name.find(e.lower) != std::string::npos || name.find(e.upper) != std::string::npos) {
      return e.format;
    }
  }
  return Format::other;
}

int verify(Format format, const char* path) {
  vornup::Output out;  // no trace: as in a run without /xv
  vornup::ImageIdText result;
  vornup::ImageFamily family = vornup::ImageFamily::none;
  switch (format) {
    case Format::ufi:
      return vornup::verifyUfiFile(out, path, result, family);
    case Format::grp:
      return vornup::verifyGrpFile(out, path, result, family);
    case Format::all:
      return vornup::verifyAllFile(out, path, result);
    case Format::prg:
      return vornup::verifyPrgFile(out, path, result);
    case Format::other:
      break;
  }
  return -1;
}

// Reads the whole file through one 64 KiB buffer; returns a value that
// depends on every chunk so the reads cannot be left out.
unsigned readRaw(const char* path) {
  static unsigned char buffer[64 * 1024];
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 0;
  unsigned seen = 0;
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) seen += buffer[got - 1] + 1;
  std::fclose(file);
  return seen;
}

template <typename Work>
double secondsOf(Work work) {
  Clock::time_point start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vornup-bench-images DIRECTORY [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], error)) {
    if (entry.is_regular_file() && formatOf(entry.path().filename().string()) != Format::other) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "no image files in %s\n", argv[1]);
    return 1;
  }
  std::printf("%-28s %10s %7s %12s %12s %7s\n", "file", "bytes", "status", "verify ms",
              "raw read ms", "ratio");
  double verifyTotal = 0;
  double rawTotal = 0;
  unsigned sink = 0;
  for (const std::filesystem::path& file : files) {
    const std::string path = file.string();
    const Format format = formatOf(file.filename().string());
    sink += readRaw(path.c_str());  // warm the cache
    int status = 0;
    double verifySeconds = 1e9;
    double rawSeconds = 1e9;
    for (int i = 0; i < rounds; ++i) {
      verifySeconds =
          std::min(verifySeconds, secondsOf([&] { status = verify(format, path.c_str()); }));
      rawSeconds = std::min(rawSeconds, secondsOf([&] { sink += readRaw(path.c_str()); }));
    }
    verifyTotal += verifySeconds;
    rawTotal += rawSeconds;
    std::printf("%-28s %10llu %7d %12.3f %12.3f %7.2f\n", file.filename().string().c_str(),
                static_cast<unsigned long long>(std::filesystem::file_size(file, error)), status,
                verifySeconds * 1e3, rawSeconds * 1e3, verifySeconds / rawSeconds);
  }
  std::printf("%-28s %10s %7s %12.3f %12.3f %7.2f\n", "all files", "", "", verifyTotal * 1e3,
              rawTotal * 1e3, verifyTotal / rawTotal);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak memory (max RSS): %ld KiB\n", usage.ru_maxrss);
  return sink == 0xFFFFFFFFu ? 1 : 0;  // keeps the raw reads observable
}
