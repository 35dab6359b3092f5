// vornup-imagemaker: writes Korvane image files (UFI, GRP, ALL, PRG), valid
// or deliberately broken, for tests, sample hosts and demonstrations.
#include <cstdio>
#include <string>
#include <vector>

#include "image_writer.h"
#include "maker_options.h"

int main(int argc, char** argv) {
  using namespace vornup::imagemaker;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
    std::fputs(kMakerUsage, stdout);
    return 0;
  }
  MakerRequest request;
  std::string error;
  Bytes image;
  if (!parseMakerArguments(args, request, error) ||
      !buildRequestedImage(request, image, error)) {
    std::fprintf(stderr, "vornup-imagemaker: %s\n%s", error.c_str(), kMakerUsage);
    return 2;
  }
  if (!writeImageFile(request.outPath, image)) {
    std::fprintf(stderr, "vornup-imagemaker: cannot write %s\n", request.outPath.c_str());
    return 1;
  }
  return 0;
}
