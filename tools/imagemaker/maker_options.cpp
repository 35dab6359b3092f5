#include "maker_options.h"

#include <cstring>
#include <iterator>

namespace vornup {
namespace imagemaker {

const char kMakerUsage[] =
    "usage: vornup-imagemaker FORMAT [options] -o FILE\n"
    "FORMAT: ufi | grp | all | prg\n"
    "any format:  -o, --out FILE   --truncate SIZE   --set OFFSET=BYTE (repeatable)\n"
    "ufi:  --chip kx2|kx3  --version TEXT  --device-id ID (repeatable, up to 8)\n"
    "      --cookie-at OFFSET  --no-cookie  --size SIZE  --header-length LENGTH\n"
    "grp:  --version TEXT  --magic WORD  --signature WORD  --first-word WORD\n"
    "      --unterminated-version  --size SIZE\n"
    "all:  --sub KIND,TYPE,ID,VERSION,BODY[,DECLARED] (repeatable; KIND awc|dwc|bwc|fwc|WORD)\n"
    "      --aif  --bad-checksum\n"
    "prg:  --image-id ID  --image-type TYPE  --version WORD  --first-word WORD\n"
    "      --rom-device-id ID  --rom-vendor-id ID  --rom-size SIZE  --pci-data-at OFFSET\n"
    "      --no-rom-signature  --no-rom  --rom-file FILE\n"
    "Numbers are decimal or 0x-prefixed hexadecimal.\n";

namespace {

// Decimal, or hexadecimal with 0x; the whole text must be the number.
bool parseNumber(const std::string& text, uint64_t largest, uint64_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const uint64_t base = hex ? 16 : 10;
  if (text.empty() || text.size() > (hex ? 18u : 20u)) return false;
  value = 0;
  for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
    char c = text[i];
    uint64_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint64_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<uint64_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<uint64_t>(c - 'A' + 10);
    } else {
      return false;
    }
    if (value > (largest - digit) / base) return false;
    value = value * base + digit;
  }
  return true;
}

template <typename T>
bool parseAs(const std::string& text, T& out) {
  uint64_t value = 0;
  if (!parseNumber(text, static_cast<uint64_t>(static_cast<T>(~T(0))), value)) return false;
  out = static_cast<T>(value);
  return true;
}

template <typename T>
bool parseOptional(const std::string& text, std::optional<T>& out) {
  T value{};
  if (!parseAs(text, value)) return false;
  out = value;
  return true;
}

std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

struct KindName {
  const char* name;
  uint32_t kind;
};

const KindName kKindNames[] = {
    {"awc", kKindAwc},
    {"dwc", kKindDwc},
    {"bwc", kKindBwc},
    {"fwc", kKindFwc},
};

bool parseKind(const std::string& text, uint32_t& kind) {
  for (const KindName& entry : kKindNames) {
    if (text == entry.name) {
      kind = entry.kind;
      return true;
    }
  }
  return parseAs(text, kind);
}

// KIND,TYPE,ID,VERSION,BODY[,DECLARED]
bool parseSubImage(const std::string& text, AllSubImageLayout& sub) {
  std::vector<std::string> parts = splitList(text);
  if (parts.size() != 5 && parts.size() != 6) return false;
  bool ok = parseKind(parts[0], sub.kind) && parseAs(parts[1], sub.imageFamily) &&
            parseAs(parts[2], sub.imageId) && parseAs(parts[3], sub.version) &&
            parseAs(parts[4], sub.bodySize);
  return ok && (parts.size() == 5 || parseOptional(parts[5], sub.declaredBodySize));
}

bool parsePatch(const std::string& text, MakerRequest& request) {
  std::size_t equals = text.find('=');
  if (equals == std::string::npos) return false;
  uint64_t offset = 0;
  uint8_t value = 0;
  if (!parseAs(text.substr(0, equals), offset) || !parseAs(text.substr(equals + 1), value)) {
    return false;
  }
  request.patches.emplace_back(offset, value);
  return true;
}

bool parseChip(const std::string& text, UfiChip& chip) {
  if (text != "kx2" && text != "kx3") return false;
  chip = text == "kx2" ? UfiChip::kx2 : UfiChip::kx3;
  return true;
}

bool addDeviceId(const std::string& text, std::vector<uint32_t>& ids) {
  uint32_t id = 0;
  if (ids.size() >= 8 || !parseAs(text, id)) return false;
  ids.push_back(id);
  return true;
}

RomLayout& romOf(MakerRequest& r) {
  if (!r.prg.rom) r.prg.rom = RomLayout();
  return *r.prg.rom;
}

using Apply = bool (*)(MakerRequest&, const std::string&);

struct OptionEntry {
  const char* name;
  ImageFormat format;  // kNone: any format
  bool takesValue;
  Apply apply;
};

using F = ImageFormat;
using R = MakerRequest;
using S = const std::string&;

const OptionEntry kOptions[] = {
    {"-o", F::none, true, [](R& r, S v) { r.outPath = v; return !v.empty(); }},
    {"--out", F::none, true, [](R& r, S v) { r.outPath = v; return !v.empty(); }},
    {"--truncate", F::none, true, [](R& r, S v) { return parseOptional(v, r.truncateTo); }},
    {"--set", F::none, true, [](R& r, S v) { return parsePatch(v, r); }},
    {"--chip", F::ufi, true, [](R& r, S v) { return parseChip(v, r.ufi.chip); }},
    {"--version", F::ufi, true, [](R& r, S v) { r.ufi.version = v; return true; }},
    {"--device-id", F::ufi, true, [](R& r, S v) { return addDeviceId(v, r.ufi.deviceIds); }},
    {"--cookie-at", F::ufi, true, [](R& r, S v) { return parseOptional(v, r.ufi.cookieOffset); }},
    {"--no-cookie", F::ufi, false, [](R& r, S) { r.ufi.cookie = false; return true; }},
    {"--size", F::ufi, true, [](R& r, S v) { return parseOptional(v, r.ufi.size); }},
    {"--header-length", F::ufi, true,
     [](R& r, S v) { return parseOptional(v, r.ufi.headerLength); }},
    {"--version", F::grp, true, [](R& r, S v) { r.grp.version = v; return true; }},
    {"--magic", F::grp, true, [](R& r, S v) { return parseAs(v, r.grp.magic); }},
    {"--signature", F::grp, true, [](R& r, S v) { return parseAs(v, r.grp.signature); }},
    {"--first-word", F::grp, true, [](R& r, S v) { return parseAs(v, r.grp.firstWord); }},
    {"--unterminated-version", F::grp, false,
     [](R& r, S) { r.grp.unterminatedVersion = true; return true; }},
    {"--size", F::grp, true, [](R& r, S v) { return parseAs(v, r.grp.size); }},
    {"--sub", F::all, true,
     [](R& r, S v) {
       r.all.subImages.emplace_back();
       return parseSubImage(v, r.all.subImages.back());
     }},
    {"--aif", F::all, false, [](R& r, S) { r.all.aifLayout = true; return true; }},
    {"--bad-checksum", F::all, false, [](R& r, S) { r.all.badChecksum = true; return true; }},
    {"--image-id", F::prg, true, [](R& r, S v) { return parseAs(v, r.prg.imageId); }},
    {"--image-type", F::prg, true, [](R& r, S v) { return parseAs(v, r.prg.imageFamily); }},
    {"--version", F::prg, true, [](R& r, S v) { return parseAs(v, r.prg.version); }},
    {"--first-word", F::prg, true, [](R& r, S v) { return parseAs(v, r.prg.firstWord); }},
    {"--rom-device-id", F::prg, true, [](R& r, S v) { return parseAs(v, romOf(r).deviceId); }},
    {"--rom-vendor-id", F::prg, true, [](R& r, S v) { return parseAs(v, romOf(r).vendorId); }},
    {"--rom-size", F::prg, true, [](R& r, S v) { return parseAs(v, romOf(r).size); }},
    {"--pci-data-at", F::prg, true,
     [](R& r, S v) { return parseAs(v, romOf(r).pciDataOffset); }},
    {"--no-rom-signature", F::prg, false, [](R& r, S) { romOf(r).signature = false; return true; }},
    {"--no-rom", F::prg, false, [](R& r, S) { r.prg.rom = std::nullopt; return true; }},
    {"--rom-file", F::prg, true, [](R& r, S v) { r.romFile = v; return !v.empty(); }},
};

struct FormatName {
  const char* name;
  ImageFormat format;
};

const FormatName kFormats[] = {
    {"ufi", ImageFormat::ufi},
    {"grp", ImageFormat::grp},
    {"all", ImageFormat::all},
    {"prg", ImageFormat::prg},
};

const OptionEntry* findOption(const std::string& name, ImageFormat format) {
  for (const OptionEntry& entry : kOptions) {
    if (name == entry.name && (entry.format == ImageFormat::none || entry.format == format)) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

bool parseMakerArguments(const std::vector<std::string>& args, MakerRequest& request,
                         std::string& error) {
  if (args.empty()) {
    error = "no image format given";
    return false;
  }
  for (const FormatName& entry : kFormats) {
    if (args[0] == entry.name) request.format = entry.format;
  }
  if (request.format == ImageFormat::none) {
    error = "unknown image format: " + args[0];
    return false;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const OptionEntry* option = findOption(args[i], request.format);
    if (option == nullptr) {
      error = "unknown option for " + args[0] + ": " + args[i];
      return false;
    }
    std::string value;
    if (option->takesValue) {
      if (i + 1 >= args.size()) {
        error = "missing value after " + args[i];
        return false;
      }
      value = args[++i];
    }
    if (!option->apply(request, value)) {
      error = "bad value for " + args[option->takesValue ? i - 1 : i] + ": " + value;
      return false;
    }
  }
  if (request.outPath.empty()) {
    error = "no output file given (-o FILE)";
    return false;
  }
  return true;
}

bool buildRequestedImage(const MakerRequest& request, Bytes& image, std::string& error) {
  switch (request.format) {
    case ImageFormat::ufi:
      image = makeUfi(request.ufi);
      break;
    case ImageFormat::grp:
      image = makeGrp(request.grp);
      break;
    case ImageFormat::all:
      image = makeAll(request.all);
      break;
    case ImageFormat::prg:
      if (request.romFile.empty()) {
        image = makePrg(request.prg);
        break;
      }
      {
        Bytes rom;
        if (!readWholeFile(request.romFile, rom)) {
          error = "cannot read ROM file " + request.romFile;
          return false;
        }
        image = wrapRomInPrg(request.prg.firstWord,
                             imageIdWord(request.prg.imageFamily, request.prg.imageId,
                                         request.prg.version),
                             rom);
      }
      break;
    case ImageFormat::none:
      error = "no image format given";
      return false;
  }
  if (request.truncateTo && *request.truncateTo < image.size()) {
    image.resize(static_cast<std::size_t>(*request.truncateTo));
  }
  for (const auto& patch : request.patches) {
    if (patch.first >= image.size()) {
      error = "--set offset " + std::to_string(patch.first) + " lies beyond the image";
      return false;
    }
    image[static_cast<std::size_t>(patch.first)] = patch.second;
  }
  return true;
}

}  // namespace imagemaker
}  // namespace vornup
