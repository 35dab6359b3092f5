#include <gtest/gtest.h>

#include <string>

#include "selection/fwmatrix.h"
#include "selection/fwmatrix_run.h"
#include "support/sample_adapters.h"

namespace vornup {
namespace {

struct MatchResult {
  int matched;
  std::string fwFile;
  std::string bootCodeFile;
  uint16_t known;
  int supported;
};

MatchResult match(FwmatrixRun& r, Adapter& adapter) {
  FixedText<32> fw("untouched");
  FixedText<32> bc("untouched");
  MatchResult result;
  result.matched = getFwMatrixMatch(r.run, adapter, fw, bc);
  result.fwFile = fw.c_str();
  result.bootCodeFile = bc.c_str();
  result.known = r.run.counters.knownPortCount;
  result.supported = adapter.supported;
  return result;
}

struct MatchCase {
  const char* description;
  Adapter (*make)();
  std::string content;
  int matched;
  const char* fwFile;
  const char* bootCodeFile;
  uint16_t known;
};

const std::string k31(31, 'F');
const std::string k32(32, 'G');

const MatchCase kMatchCases[] = {
    {"FC model, three columns", sampleFcAdapter, "KV7100 kv71.all kv71.prg\n", 1, "kv71.all",
     "kv71.prg", 1},
    {"FC model followed by a hyphen and any text", sampleFcAdapter,
     "KV7100-rack-12 kv71.all kv71.prg\n", 1, "kv71.all", "kv71.prg", 1},
    {"FC model with a hyphen but no text", sampleFcAdapter, "KV7100- a.all\n", 1, "a.all", "NONE",
     1},
    {"letter case ignored", sampleFcAdapter, "kv7100 kv71.all kv71.prg\n", 1, "kv71.all",
     "kv71.prg", 1},
    {"another FC model", sampleFcAdapter, "KV7200 kv72.all kv72.prg\n", 0, "untouched", "untouched",
     0},
    {"a longer model is another model", sampleFcAdapter, "KV71000 kv72.all kv72.prg\n", 0,
     "untouched", "untouched", 0},
    {"only the first column", sampleFcAdapter, "KV7100\n", 1, "NONE", "NONE", 1},
    {"last matching line wins", sampleFcAdapter,
     "KV7100 first.all first.prg\nKV7200 other.all\nKV7100-b second.all\n", 1, "second.all", "NONE",
     2},
    {"31-character names fit", sampleFcAdapter, "KV7100 " + k31 + " " + k31 + "\n", 1, k31.c_str(),
     k31.c_str(), 1},
    {"32-character names do not", sampleFcAdapter, "KV7100 " + k32 + " " + k32 + "\n", 1,
     "INVALID_FILE", "INVALID_FILE", 1},
    {"comment lines name no adapter", sampleFcAdapter, "/KV7100 x.all y.prg\n", 0, "untouched",
     "untouched", 0},
    {"empty and blank-led lines never match", sampleFcAdapter,
     "\n KV7100 x.all y.prg\n\tKV7100 x.all\n", 0, "untouched", "untouched", 0},
    {"a control character ends the first column", sampleFcAdapter, "KV7100\x02xyz a.all b.prg\n", 1,
     "a.all", "b.prg", 1},
    {"converged function: whole first column", sampleFcoeFunction,
     "KC20 a.ufi\nKC20-FCoE-x b.ufi\nKC20-NIC c.ufi\n", 0, "untouched", "untouched", 0},
    {"converged function: third column ignored", sampleFcoeFunction,
     "kc20-fcoe kc20.ufi kc20.prg\n", 1, "kc20.ufi", "NONE", 1},
    {"NIC function", sampleNicFunction, "KC20-FCoE a.ufi\nKC20-NIC b.ufi\n", 1, "b.ufi", "NONE", 1},
    {"iSCSI function with a too-long firmware name", sampleIscsiFunction,
     "KC30-iSCSI " + k32 + " x.prg\n", 1, "INVALID_FILE", "NONE", 1},
    {"Halvard adapter: FC matching, no boot code", sampleHalvardAdapter,
     "KH16-any kh16.grp kh16.prg\n", 1, "kh16.grp", "NONE", 1},
    {"a line cut nowhere: entry after 255 characters", sampleFcAdapter,
     "/" + std::string(254, ' ') + "KV7100 evil.all evil.prg\n", 0, "untouched", "untouched", 0},
    {"a first column longer than 31 characters", sampleFcAdapter,
     "KV7100" + std::string(40, 'Z') + " a.all\n", 0, "untouched", "untouched", 0},
};

TEST(FwMatrixMatch, EveryRule) {
  for (const MatchCase& c : kMatchCases) {
    FwmatrixRun r(c.content);
    Adapter adapter = c.make();
    adapter.supported = 0;
    MatchResult result = match(r, adapter);
    EXPECT_EQ(result.matched, c.matched) << c.description;
    EXPECT_EQ(result.fwFile, c.fwFile) << c.description;
    EXPECT_EQ(result.bootCodeFile, c.bootCodeFile) << c.description;
    EXPECT_EQ(result.known, c.known) << c.description;
    EXPECT_EQ(result.supported, c.matched) << c.description;
    EXPECT_EQ(r.console(), "") << c.description;
  }
}

TEST(FwMatrixMatch, TraceOfTwoMatchingLines) {
  FwmatrixRun r("KV7100-old old.all old.prg\nKV7100 new.all\n");
  Adapter adapter = sampleFcAdapter();
  adapter.supported = 0;
  EXPECT_EQ(match(r, adapter).matched, 1);
  EXPECT_EQ(r.trace(),
            "[getFwMatrixMatch]\n"
            "[FW matrix match]\n"
            "HBA Model      = KV7100\n"
            "Vornup Type  = KV7100\n"
            "FW Matrix Type = KV7100\n"
            "fwmatrixFwFile = old.all\n"
            "fwmatrixBcFile = old.prg\n"
            "[FW matrix match]\n"
            "HBA Model      = KV7100\n"
            "Vornup Type  = KV7100\n"
            "FW Matrix Type = KV7100\n"
            "fwmatrixFwFile = new.all\n"
            "fwmatrixBcFile = NONE\n");
}

TEST(FwMatrixMatch, TraceWithoutMatch) {
  FwmatrixRun r("KV7200 a.all\n");
  Adapter adapter = sampleFcAdapter();
  adapter.supported = 0;
  EXPECT_EQ(match(r, adapter).matched, 0);
  EXPECT_EQ(r.trace(), "[getFwMatrixMatch]\n[getFwMatrixMatch] - No match found!\n");

  // An adapter already marked supported gets no such line, and stays supported.
  adapter.supported = 1;
  MatchResult again = match(r, adapter);
  EXPECT_EQ(again.matched, 0);
  EXPECT_EQ(again.supported, 1);
  EXPECT_EQ(r.trace(), "[getFwMatrixMatch]\n");
}

TEST(FwMatrixMatch, EveryCallReadsTheWholeTable) {
  FwmatrixRun r("KV7100 a.all b.prg\nKC20-NIC c.ufi\n");
  Adapter fc = sampleFcAdapter();
  Adapter nic = sampleNicFunction();
  EXPECT_EQ(match(r, fc).fwFile, "a.all");
  EXPECT_EQ(match(r, nic).fwFile, "c.ufi");
  EXPECT_EQ(match(r, fc).fwFile, "a.all");
  EXPECT_EQ(r.run.counters.knownPortCount, 3);
}

TEST(FwMatrixMatch, KnownCountStopsAtItsLargestValue) {
  // A wrapped count would read 0: "no supported adapters" after a match.
  FwmatrixRun r("KV7100 kv71.all kv71.prg\nKV7100 kv71.all kv71.prg\n");
  Adapter adapter = sampleFcAdapter();
  r.run.counters.knownPortCount = 0xFFFE;
  EXPECT_EQ(match(r, adapter).known, 0xFFFF);
  EXPECT_EQ(match(r, adapter).known, 0xFFFF);
}

TEST(FwMatrixMatch, NoTableMatchesNothing) {
  CapturedRun r;
  Adapter adapter = sampleFcAdapter();
  adapter.supported = 0;
  FixedText<32> fw("untouched"), bc("untouched");
  EXPECT_EQ(getFwMatrixMatch(r.run, adapter, fw, bc), 0);
  EXPECT_STREQ(fw.c_str(), "untouched");
  EXPECT_EQ(r.trace(), "[getFwMatrixMatch]\n[getFwMatrixMatch] - No match found!\n");
}

}  // namespace
}  // namespace vornup
