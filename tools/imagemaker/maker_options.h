// The image maker's command line: which image to write, its parameters, the
// damage to do to it afterwards, and where to write it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image_writer.h"

namespace vornup {
namespace imagemaker {

enum class ImageFormat { none, ufi, grp, all, prg };

struct MakerRequest {
  ImageFormat format = ImageFormat::none;
  std::string outPath;
  UfiLayout ufi;
  GrpLayout grp;
  AllLayout all;
  PrgLayout prg;
  std::string romFile;                              // PRG: wrap this ROM instead of a made one
  std::optional<uint64_t> truncateTo;               // cut the finished image to this size
  std::vector<std::pair<uint64_t, uint8_t>> patches;  // then set single bytes
};

// Fills `request` from the arguments after the program name; false with a
// one-line reason in `error` for a bad command line.
bool parseMakerArguments(const std::vector<std::string>& args, MakerRequest& request,
                         std::string& error);

// Builds the image the request describes, damage included; false with a
// reason when a file it needs cannot be read.
bool buildRequestedImage(const MakerRequest& request, Bytes& image, std::string& error);

extern const char kMakerUsage[];

}  // namespace imagemaker
}  // namespace vornup
