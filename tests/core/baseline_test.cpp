// The baseline reader refuses every malformed document with a reason, and
// the rule refuses what a baseline does not approve.
#include <gtest/gtest.h>

#include <string>

#include "core/baseline.h"
#include "core/baseline_rule.h"

namespace vornup {
namespace {

const std::string kDigestA(64, 'a');
const std::string kDigestB(64, 'b');

// A sound baseline with `images` and `extra` top-level members spliced in.
std::string document(const std::string& images, const std::string& extra = "") {
  return "{\"version\": 5, \"expires\": \"2027-01-31T12:00:00Z\"" + extra + ", \"images\": [" +
         images + "]}";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string entry(const std::string& fields) {
  return "{\"sha256\": \"" + kDigestA + "\", \"file\": \"zf290a1.all\", \"kind\": \"firmware\"" +
         fields + "}";
}

TEST(BaselineReader, RefusesEveryMalformedDocumentWithItsReason) {
  struct Case {
    std::string text;
    const char* reason;
  };
  const Case cases[] = {
      {"{\"version\": 5,", "malformed JSON"},
      {"[1]", "not an object"},
      {"{\"version\": 5, \"version\": 6, \"expires\": \"2027-01-31T12:00:00Z\", \"images\": []}",
       "duplicate key \"version\""},
      {document(entry(", \"kind\": \"boot_code\"")), "duplicate key \"kind\""},
      {document("", ", \"owner\": 1"), "unknown key \"owner\""},
      {"{\"version\": \"5\", \"expires\": \"2027-01-31T12:00:00Z\", \"images\": []}", "\"version\""},
      {"{\"version\": 0, \"expires\": \"2027-01-31T12:00:00Z\", \"images\": []}", "\"version\""},
      {"{\"version\": 5.0, \"expires\": \"2027-01-31T12:00:00Z\", \"images\": []}", "\"version\""},
      {"{\"version\": 99999999999999999999999, \"expires\": \"2027-01-31T12:00:00Z\", \"images\": []}",
       "\"version\""},
      {"{\"version\": 5, \"expires\": \"2027-02-30T12:00:00Z\", \"images\": []}", "RFC 3339"},
      {"{\"version\": 5, \"expires\": \"2027-01-31 12:00:00\", \"images\": []}", "RFC 3339"},
      {"{\"version\": 5, \"images\": []}", "missing \"expires\""},
      {document("{\"sha256\": \"" + std::string(63, 'a') + "g\", \"file\": \"x.all\", \"kind\": \"firmware\"}"),
       "hexadecimal"},
      {document(replaced(entry(""), kDigestA, kDigestA + "0")), "hexadecimal"},
      {document(replaced(entry(""), "zf290a1.all", "../zf290a1.all")), "plain file name"},
      {document(replaced(entry(""), "\"firmware\"", "\"bios\"")), "\"kind\""},
      {document(entry(", \"models\": []")), "\"models\""},
      {document(entry(", \"models\": [7]")), "not a string"},
      {document("", ", \"blocked\": [\"" + kDigestA.substr(1) + "\"]"), "hexadecimal"},
      {document("[[[[[]]]]]"), "nested too deeply"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Baseline baseline;
    std::string error;
    EXPECT_FALSE(readBaseline(c.text, baseline, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(BaselineReader, ReadsASoundBaseline) {
  Baseline baseline;
  std::string error;
  const std::string text = document(replaced(entry(", \"models\": [\"LPX-3200\"]"), kDigestA, std::string(64, 'A')),
                                    ", \"blocked\": [\"" + kDigestB + "\"]");
  ASSERT_TRUE(readBaseline(text, baseline, error)) << error;
  EXPECT_EQ(baseline.version, 5);
  EXPECT_EQ(baseline.expires, 1801396800);
  ASSERT_EQ(baseline.images.size(), 1u);
  EXPECT_EQ(baseline.images[0].sha256, kDigestA);  // lowercased
  EXPECT_EQ(baseline.blocked, std::vector<std::string>{kDigestB});
  int64_t seconds = 0;
  ASSERT_TRUE(readRfc3339Time("2027-01-31T13:30:00.25+01:30", seconds));
  EXPECT_EQ(seconds, 1801396800);
}

TEST(BaselineRule, RefusesWhatTheBaselineDoesNotApprove) {
  BaselineState state;
  state.loaded = true;
  state.signedMode = true;
  state.baseline.version = 5;
  state.baseline.images = {{kDigestA, "zf290a1.all", ImageKind::firmware, {"LPX-3200"}}};
  state.baseline.blocked = {kDigestB};
  struct Case {
    bool signedMode;
    ImageRefusal baselineRefusal;
    std::string digest;
    const char* file;
    ImageKind kind;
    const char* model;
    ImageRefusal expected;
  };
  const Case cases[] = {
      {true, ImageRefusal::none, kDigestA, "ZF290A1.ALL", ImageKind::firmware, "lpx-3200", ImageRefusal::none},
      {true, ImageRefusal::none, kDigestA, "zf290a1.all", ImageKind::firmware, "LPX-1600",
       ImageRefusal::modelNotAllowed},
      {true, ImageRefusal::none, kDigestA, "other.all", ImageKind::firmware, "LPX-3200", ImageRefusal::notListed},
      {true, ImageRefusal::none, kDigestA, "zf290a1.all", ImageKind::bootCode, "LPX-3200", ImageRefusal::notListed},
      {true, ImageRefusal::none, kDigestB, "zf290a1.all", ImageKind::firmware, "LPX-3200", ImageRefusal::blocked},
      {true, ImageRefusal::expired, kDigestA, "zf290a1.all", ImageKind::firmware, "LPX-3200",
       ImageRefusal::expired},
      {false, ImageRefusal::none, kDigestA, "other.all", ImageKind::firmware, "LPX-1600", ImageRefusal::none},
      {false, ImageRefusal::none, kDigestB, "other.all", ImageKind::firmware, "LPX-1600", ImageRefusal::blocked},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.model);
    state.signedMode = c.signedMode;
    state.refusal = c.baselineRefusal;
    EXPECT_EQ(judgeImage(state, c.digest, c.file, c.kind, c.model), c.expected);
  }
  state.refusal = ImageRefusal::olderVersion;
  state.acceptedVersion = 6;
  EXPECT_EQ(refusalText(ImageRefusal::olderVersion, state), "baseline version 5 older than 6");
}

}  // namespace
}  // namespace vornup
