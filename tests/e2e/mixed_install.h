// A mixed host and an install that has work to do on every adapter of it
// (tests/e2e/mixed/): two Fibre Channel adapters (one with its boot code
// disabled), a converged adapter listed as its NIC and FCoE functions, and a
// Halvard adapter (host.txt, as the tool simulator reads it); beside the
// program a fwmatrix.txt naming an image for each, and firmware and boot
// directories holding newer images of every kind (images.txt: each file's
// path and the image maker's arguments that make it).
//
// The fault walk, the reliability tests, the fuzz harnesses and
// fuzz/make-corpus.sh share it.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "maker_options.h"

namespace vornup {
namespace mixedinstall {

inline bool readText(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return std::fclose(file) == 0;
}

inline bool writeText(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

// Makes one image of images.txt: `line` is its path and the maker's arguments.
inline bool makeImage(const std::string& installDirectory, const std::string& line,
                      std::string& error) {
  std::istringstream words(line);
  std::string relativePath;
  words >> relativePath;
  std::vector<std::string> args;
  for (std::string word; words >> word;) args.push_back(word);
  args.push_back("-o");
  args.push_back(installDirectory + relativePath);
  imagemaker::MakerRequest request;
  imagemaker::Bytes bytes;
  if (imagemaker::parseMakerArguments(args, request, error) &&
      imagemaker::buildRequestedImage(request, bytes, error) &&
      imagemaker::writeImageFile(request.outPath, bytes)) {
    return true;
  }
  error = relativePath + ": " + error;
  return false;
}

// Copies fwmatrix.txt and makes the images of `sourceDirectory` (the mixed
// folder) below `installDirectory` (its firmware and boot folders must
// exist); both paths end with a separator. False with a reason when a file
// cannot be read or made.
inline bool writeInstall(const std::string& sourceDirectory, const std::string& installDirectory,
                         std::string& error) {
  std::string fwmatrix;
  std::string images;
  if (!readText(sourceDirectory + "fwmatrix.txt", fwmatrix) ||
      !readText(sourceDirectory + "images.txt", images) ||
      !writeText(installDirectory + "fwmatrix.txt", fwmatrix)) {
    error = "cannot copy the mixed install from " + sourceDirectory;
    return false;
  }
  std::istringstream lines(images);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (!makeImage(installDirectory, line, error)) return false;
  }
  return true;
}

}  // namespace mixedinstall
}  // namespace vornup
