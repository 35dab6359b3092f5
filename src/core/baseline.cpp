#include "core/baseline.h"

#include <nlohmann/json.hpp>

#include <set>

#include "core/text_compare.h"

namespace vornup {
namespace {

using Json = nlohmann::json;

// A baseline is at most this deep: document, images, image, models.
constexpr int kMaxDepth = 4;
constexpr std::size_t kMaxFileNameLength = 255;
constexpr std::size_t kMaxModelLength = 64;
constexpr std::size_t kDigestLength = 64;
constexpr int64_t kMaxVersion = INT64_C(9007199254740991);  // 2^53 - 1, exact in every reader

// The keys each object may hold; anything else is refused.
const std::set<std::string> kDocumentKeys = {"version", "expires", "key_id", "images", "blocked"};
const std::set<std::string> kImageKeys = {"sha256", "file", "kind", "models"};

struct Failure {
  std::string what;
};

[[noreturn]] void fail(const std::string& what) { throw Failure{what}; }

void requireKeys(const Json& object, const std::set<std::string>& allowed, const char* where) {
  for (auto item = object.begin(); item != object.end(); ++item) {
    if (allowed.count(item.key()) == 0) fail(std::string("unknown key \"") + item.key() + "\" in " + where);
  }
}

const Json& member(const Json& object, const char* key, const char* where) {
  auto found = object.find(key);
  if (found == object.end()) fail(std::string("missing \"") + key + "\" in " + where);
  return *found;
}

std::string text(const Json& value, const char* what, std::size_t longest) {
  if (!value.is_string()) fail(std::string(what) + " is not a string");
  const std::string& s = value.get_ref<const std::string&>();
  if (s.empty() || s.size() > longest) fail(std::string(what) + " is empty or too long");
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7F) fail(std::string(what) + " holds a control character");
  }
  return s;
}

std::string digest(const Json& value, const char* what) {
  if (!value.is_string()) fail(std::string(what) + " is not a string");
  std::string s = value.get<std::string>();
  if (s.size() != kDigestLength) fail(std::string(what) + " is not 64 hexadecimal digits");
  for (char& c : s) {
    if (hexDigitValue(c) < 0) fail(std::string(what) + " is not 64 hexadecimal digits");
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

BaselineImage imageOf(const Json& entry) {
  if (!entry.is_object()) fail("an entry of \"images\" is not an object");
  requireKeys(entry, kImageKeys, "an image");
  BaselineImage image;
  image.sha256 = digest(member(entry, "sha256", "an image"), "\"sha256\"");
  image.file = text(member(entry, "file", "an image"), "\"file\"", kMaxFileNameLength);
  if (image.file.find_first_of("/\\:") != std::string::npos || image.file == "." ||
      image.file == "..") {
    fail("\"file\" is not a plain file name");
  }
  const Json& kind = member(entry, "kind", "an image");
  if (kind == "firmware") {
    image.kind = ImageKind::firmware;
  } else if (kind == "boot_code") {
    image.kind = ImageKind::bootCode;
  } else {
    fail("\"kind\" is neither \"firmware\" nor \"boot_code\"");
  }
  auto models = entry.find("models");
  if (models != entry.end()) {
    if (!models->is_array() || models->empty()) fail("\"models\" is not a list of models");
    for (const Json& model : *models) image.models.push_back(text(model, "a model", kMaxModelLength));
  }
  return image;
}

Baseline baselineOf(const Json& document) {
  if (!document.is_object()) fail("the document is not an object");
  requireKeys(document, kDocumentKeys, "the document");
  Baseline baseline;
  const Json& version = member(document, "version", "the document");
  if (!version.is_number_integer() || (version.is_number_unsigned() && version.get<uint64_t>() > uint64_t(kMaxVersion)) ||
      version.get<int64_t>() < 1 || version.get<int64_t>() > kMaxVersion) {
    fail("\"version\" is not a whole number from 1 to 2^53-1");
  }
  baseline.version = version.get<int64_t>();
  baseline.expiresText = text(member(document, "expires", "the document"), "\"expires\"", 64);
  if (!readRfc3339Time(baseline.expiresText, baseline.expires)) {
    fail("\"expires\" is not an RFC 3339 time");
  }
  auto keyId = document.find("key_id");
  if (keyId != document.end()) baseline.keyId = digest(*keyId, "\"key_id\"");
  const Json& images = member(document, "images", "the document");
  if (!images.is_array()) fail("\"images\" is not a list");
  for (const Json& entry : images) baseline.images.push_back(imageOf(entry));
  auto blocked = document.find("blocked");
  if (blocked != document.end()) {
    if (!blocked->is_array()) fail("\"blocked\" is not a list");
    for (const Json& entry : *blocked) baseline.blocked.push_back(digest(entry, "a \"blocked\" digest"));
  }
  return baseline;
}

// Reads `count` decimal digits at `at`.
bool digits(const std::string& s, std::size_t at, std::size_t count, int& value) {
  if (at + count > s.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// Days from 1970-01-01 to the proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool readRfc3339Time(const std::string& s, int64_t& seconds) {
  int year, month, day, hour, minute, second;
  if (!digits(s, 0, 4, year) || s.size() < 20 || s[4] != '-' || !digits(s, 5, 2, month) ||
      s[7] != '-' || !digits(s, 8, 2, day) || (s[10] != 'T' && s[10] != 't') ||
      !digits(s, 11, 2, hour) || s[13] != ':' || !digits(s, 14, 2, minute) || s[16] != ':' ||
      !digits(s, 17, 2, second)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 60) {
    return false;
  }
  std::size_t at = 19;
  if (at < s.size() && s[at] == '.') {
    const std::size_t first = ++at;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9') ++at;
    if (at == first) return false;
  }
  int offset = 0;
  if (at + 1 == s.size() && (s[at] == 'Z' || s[at] == 'z')) {
    offset = 0;
  } else if (at + 6 == s.size() && (s[at] == '+' || s[at] == '-') && s[at + 3] == ':') {
    int offsetHours, offsetMinutes;
    if (!digits(s, at + 1, 2, offsetHours) || !digits(s, at + 4, 2, offsetMinutes) ||
        offsetHours > 23 || offsetMinutes > 59) {
      return false;
    }
    offset = (offsetHours * 60 + offsetMinutes) * 60 * (s[at] == '-' ? -1 : 1);
  } else {
    return false;
  }
  // A leap second counts as the second before the next minute.
  seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
            (second == 60 ? 59 : second) - offset;
  return true;
}

bool readBaseline(const std::string& text, Baseline& baseline, std::string& error) {
  // Keys seen in each open object, to refuse one given twice; and the depth.
  std::vector<std::set<std::string>> open;
  std::string refusal;
  const Json::parser_callback_t watch = [&](int depth, Json::parse_event_t event, Json& parsed) {
    if (!refusal.empty()) return false;
    if (depth > kMaxDepth) {
      refusal = "nested too deeply";
    } else if (event == Json::parse_event_t::object_start) {
      open.emplace_back();
    } else if (event == Json::parse_event_t::object_end) {
      if (!open.empty()) open.pop_back();
    } else if (event == Json::parse_event_t::key && !open.empty() &&
               !open.back().insert(parsed.get<std::string>()).second) {
      refusal = "duplicate key \"" + parsed.get<std::string>() + "\"";
    }
    return refusal.empty();
  };
  Json document = Json::parse(text, watch, false);
  if (!refusal.empty()) {
    error = refusal;
    return false;
  }
  if (document.is_discarded()) {
    error = "malformed JSON";
    return false;
  }
  try {
    baseline = baselineOf(document);
  } catch (const Failure& failure) {
    error = failure.what;
    return false;
  } catch (const Json::exception&) {
    error = "a value of the wrong type";
    return false;
  }
  return true;
}

}  // namespace vornup
