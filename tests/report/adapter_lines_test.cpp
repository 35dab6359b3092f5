#include "report/adapter_lines.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "support/captured_run.h"
#include "support/sample_adapters.h"

namespace vornup {
namespace {

constexpr char kFcBody[] =
    "\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01, PCI ID=7D00, VID=1A5C, SSID=7D21, "
    "SVID=1A5C, Firmware=KF282A4, Boot Code=KU510A3";
constexpr char kFcoeBody[] =
    "\nHBA=KC20-FCoE, Port Type=FCoE, WWN=10:00:00:00:5E:CC:DD:02, PCI ID=3A00, VID=1A5C, "
    "SSID=3A01, SVID=1A5C, Firmware=4.0.360.15, Boot Code=2.1.3.0";
constexpr char kNicBody[] =
    "\nHBA=KC20-NIC, Port Type=NIC, MAC=00-11-22-33-44-55, PCI ID=3A00, VID=1A5C, SSID=3A01, "
    "SVID=1A5C, Firmware=4.0.360.15, Boot Code=2.1.3.0";
constexpr char kIscsiBody[] =
    "\nHBA=KC30-iSCSI, Port Type=iSCSI, MAC=00-11-22-33-44-66, PCI ID=3A10, VID=1A5C, "
    "SSID=3A01, SVID=1A5C, Firmware=4.1.0.0, Boot Code=N/A";
constexpr char kHalvardBody[] =
    "\nHBA=KH16, Port Type=FCoE, WWN=20:00:00:00:5E:EE:FF:05, PCI ID=6C00, VID=1A5C, SSID=6C01, "
    "SVID=1A5C, Firmware=1.2.30.4, Boot Code=NONE";

// The line's end for the plain query line, then for each image kind.
struct Sample {
  Adapter (*make)();
  const char* body;
  const char* plainSuffix;
  const char* firmwareSuffix;
  const char* bootCodeSuffix;
};

const Sample kSamples[] = {
    {sampleFcAdapter, kFcBody, ", Boot Enabled=1",
     ", Supported Firmware=IMG.ALL, Boot Code Enabled=1",
     ", Supported Boot Code=IMG.ALL, Boot Code Enabled=1"},
    {sampleFcoeFunction, kFcoeBody, "", ", Supported Firmware=IMG.ALL", ""},
    {sampleNicFunction, kNicBody, "", ", Supported Firmware=IMG.ALL", ""},
    {sampleIscsiFunction, kIscsiBody, "", ", Supported Firmware=IMG.ALL", ""},
    {sampleHalvardAdapter, kHalvardBody, ", Boot Enabled=0",
     ", Supported Firmware=IMG.ALL, Boot Code Enabled=0", ", Boot Code Enabled=0"},
};

TEST(QueryLine, EveryPortKindAndEveryKind) {
  for (const Sample& s : kSamples) {
    CapturedRun plain;
    plain.run.sw.query = true;
    printPlainQueryLine(plain.run, s.make());
    EXPECT_EQ(plain.console(), std::string(s.body) + s.plainSuffix) << "plain";
    EXPECT_EQ(plain.trace(), "");
    const struct {
      ImageKind kind;
      const char* suffix;
    } kinds[] = {{ImageKind::firmware, s.firmwareSuffix}, {ImageKind::bootCode, s.bootCodeSuffix}};
    for (const auto& k : kinds) {
      CapturedRun r;
      r.run.sw.query = true;
      printQueryLine(r.run, s.make(), "IMG.ALL", k.kind);
      EXPECT_EQ(r.console(), std::string(s.body) + k.suffix) << k.suffix;
      EXPECT_EQ(r.trace(), "");
    }
  }
}

TEST(QueryLine, NothingWithoutTheQuerySwitch) {
  for (const Sample& s : kSamples) {
    CapturedRun r;
    r.run.sw.update = true;
    printQueryLine(r.run, s.make(), "NONE", ImageKind::firmware);
    printPlainQueryLine(r.run, s.make());
    EXPECT_EQ(r.console(), "");
  }
}

TEST(QueryLine, PortOfNoKnownKindHasNoLine) {
  Adapter a = sampleNicFunction();
  a.cnaType = 1;
  FixedText<512> body("old text");
  EXPECT_FALSE(formatAdapterBody(a, body));
  EXPECT_STREQ(body.c_str(), "");
  CapturedRun r;
  r.run.sw.query = true;
  printQueryLine(r.run, a, "IMG.ALL", ImageKind::firmware);
  printPlainQueryLine(r.run, a);
  EXPECT_EQ(r.console(), "");
}

TEST(QueryLine, GoesToTheLogFileEvenWhenSilent) {
  CapturedRun r;
  r.run.sw.query = true;
  r.run.out.silent = true;
  r.run.out.logFile = std::fopen(r.scratch.file("log.txt").c_str(), "wb");
  ASSERT_NE(r.run.out.logFile, nullptr);
  printPlainQueryLine(r.run, sampleFcAdapter());
  r.run.out.closeLog();
  EXPECT_EQ(r.console(), "");
  EXPECT_EQ(r.scratch.read("log.txt"), std::string(kFcBody) + ", Boot Enabled=1");
}

TEST(VersionTexts, TypeCodeOnlyBeforeRealFcVersions) {
  const struct {
    Adapter (*make)();
    const char* fwVersion;
    const char* bootCodeVersion;
    const char* firmware;
    const char* bootCode;
  } cases[] = {
      {sampleFcAdapter, "282A4", "510A3", "KF282A4", "KU510A3"},
      {sampleFcAdapter, "N/A", "NONE", "N/A", "NONE"},
      {sampleFcAdapter, "NONE", "N/A", "NONE", "N/A"},
      {sampleFcAdapter, "n/a", "", "KFn/a", "KU"},  // only the exact placeholders
      {sampleNicFunction, "4.0.360.15", "2.1.3.0", "4.0.360.15", "2.1.3.0"},
      {sampleHalvardAdapter, "1.2.30.4", "1.0", "1.2.30.4", "1.0"},
  };
  for (const auto& c : cases) {
    Adapter a = c.make();
    a.fwVersion.set(c.fwVersion);
    a.bootCodeVersion.set(c.bootCodeVersion);
    AdapterVersionTexts texts = versionTextsOf(a);
    EXPECT_STREQ(texts.firmware.c_str(), c.firmware);
    EXPECT_STREQ(texts.bootCode.c_str(), c.bootCode);
  }
}

TEST(VersionTexts, LongestBootCodeVersionIsKeptWhole) {
  Adapter a = sampleFcAdapter();
  std::string longest(95, '7');
  a.bootCodeVersion.set(longest.c_str());
  EXPECT_EQ(std::string(versionTextsOf(a).bootCode.c_str()), "KU" + longest);
}

constexpr char kTime[] = "Wed Jun 30 21:49:08 1993\n";

TEST(ResultLine, EveryPortKind) {
  const struct {
    Adapter (*make)();
    const char* newVersion;
    const char* label;
    const char* installed;
    const char* expected;
  } cases[] = {
      {sampleFcAdapter, "KF290A1", "Firmware", "282A4",
       "\nWed Jun 30 21:49:08 1993\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01,\n"
       "Update=Firmware, Image=IMAGE.ALL, New=290A1, Old=282A4, Status="},
      {sampleFcAdapter, "KU520A1", "Boot Code", "510A3",
       "\nWed Jun 30 21:49:08 1993\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01,\n"
       "Update=Boot Code, Image=IMAGE.ALL, New=520A1, Old=510A3, Status="},
      {sampleFcoeFunction, "4.1.0.0", "Firmware", "4.0.360.15",
       "\nWed Jun 30 21:49:08 1993\nHBA=KC20-FCoE, Port Type=FCoE, WWN=10:00:00:00:5E:CC:DD:02,\n"
       "Update=Firmware, Image=IMAGE.ALL, New=4.1.0.0, Old=4.0.360.15, Status="},
      {sampleNicFunction, "4.1.0.0", "Firmware", "4.0.360.15",
       "\nWed Jun 30 21:49:08 1993\nHBA=KC20-NIC, Port Type=NIC, MAC=00-11-22-33-44-55,\n"
       "Update=Firmware, Image=IMAGE.ALL, New=4.1.0.0, Old=4.0.360.15, Status="},
      {sampleIscsiFunction, "4.2.0.0", "Firmware", "4.1.0.0",
       "\nWed Jun 30 21:49:08 1993\nHBA=KC30-iSCSI, Port Type=iSCSI, MAC=00-11-22-33-44-66,\n"
       "Update=Firmware, Image=IMAGE.ALL, New=4.2.0.0, Old=4.1.0.0, Status="},
      {sampleHalvardAdapter, "1.3.0.0", "Firmware", "1.2.30.4",
       "\nWed Jun 30 21:49:08 1993\nHBA=KH16, Port Type=FCoE, WWN=20:00:00:00:5E:EE:FF:05,\n"
       "Update=Firmware, Image=IMAGE.ALL, New=1.3.0.0, Old=1.2.30.4, Status="},
      // An FC identifier shorter than its type code shows as empty.
      {sampleFcAdapter, "K", "Firmware", "282A4",
       "\nWed Jun 30 21:49:08 1993\nHBA=KV7100, Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01,\n"
       "Update=Firmware, Image=IMAGE.ALL, New=, Old=282A4, Status="},
  };
  for (const auto& c : cases) {
    FixedText<256> line("old text");
    formatResultLineAt(line, kTime, c.make(), c.newVersion, c.label, c.installed, "IMAGE.ALL");
    EXPECT_STREQ(line.c_str(), c.expected);
  }
}

TEST(ResultLine, PortOfNoKnownKindLeavesTheBufferAlone) {
  Adapter a = sampleFcAdapter();
  a.cnaType = 1;
  FixedText<256> line("old text");
  formatResultLineAt(line, kTime, a, "KF290A1", "Firmware", "282A4", "IMAGE.ALL");
  EXPECT_STREQ(line.c_str(), "old text");
}

TEST(ResultLine, CutToItsField) {
  Adapter a = sampleFcAdapter();
  a.model.set(std::string(31, 'M').c_str());
  std::string longName(200, 'N');
  FixedText<256> line;
  formatResultLineAt(line, kTime, a, "KF290A1", "Firmware", "282A4", longName.c_str());
  std::string expected =
      "\nWed Jun 30 21:49:08 1993\nHBA=" + std::string(31, 'M') +
      ", Port Type=FC, WWN=10:00:00:00:5E:AA:BB:01,\nUpdate=Firmware, Image=" + longName;
  EXPECT_EQ(std::string(line.c_str()), expected.substr(0, 255));
  EXPECT_EQ(line.length(), 255u);
}

TEST(ResultLine, TimeTextLikeTheCLibrary) {
  std::tm t = {};
  t.tm_wday = 0;
  t.tm_mon = 8;
  t.tm_mday = 6;
  t.tm_hour = 7;
  t.tm_min = 5;
  t.tm_sec = 3;
  t.tm_year = 126;
  FixedText<64> text;
  formatTimeText(&t, text);
  EXPECT_STREQ(text.c_str(), "Sun Sep  6 07:05:03 2026\n");
  t.tm_wday = 6;
  t.tm_mon = 11;
  t.tm_mday = 31;
  t.tm_hour = 23;
  t.tm_min = 59;
  t.tm_sec = 60;
  t.tm_year = 99;
  formatTimeText(&t, text);
  EXPECT_STREQ(text.c_str(), "Sat Dec 31 23:59:60 1999\n");
}

TEST(ResultLine, NoTimeGivesTheFallbackText) {
  FixedText<64> text("stale");
  formatTimeText(nullptr, text);
  EXPECT_STREQ(text.c_str(), "Current time is not available");
  std::tm broken = {};
  broken.tm_mon = 12;
  formatTimeText(&broken, text);
  EXPECT_STREQ(text.c_str(), "Current time is not available");
  broken.tm_mon = 0;
  broken.tm_wday = -1;
  formatTimeText(&broken, text);
  EXPECT_STREQ(text.c_str(), "Current time is not available");
}

bool looksLikeTimeText(const std::string& t) {
  if (t.size() != 25 || t[24] != '\n') return false;
  const char* pattern = "AAA AAA dD DD:DD:DD DDDD";  // A letter, D digit, d digit or blank
  for (std::size_t i = 0; i < 24; ++i) {
    char p = pattern[i], c = t[i];
    bool ok = p == 'A'   ? std::isalpha(static_cast<unsigned char>(c)) != 0
              : p == 'D' ? std::isdigit(static_cast<unsigned char>(c)) != 0
              : p == 'd' ? std::isdigit(static_cast<unsigned char>(c)) != 0 || c == ' '
                         : c == p;
    if (!ok) return false;
  }
  return true;
}

TEST(ResultLine, StampedWithTheCurrentLocalTime) {
  FixedText<256> line;
  formatResultLine(line, sampleNicFunction(), "4.1.0.0", "Firmware", "4.0.360.15", "KC.UFI");
  std::string text = line.c_str();
  ASSERT_GT(text.size(), 26u);
  EXPECT_EQ(text[0], '\n');
  EXPECT_TRUE(looksLikeTimeText(text.substr(1, 25))) << text;
  EXPECT_EQ(text.substr(26),
            "HBA=KC20-NIC, Port Type=NIC, MAC=00-11-22-33-44-55,\n"
            "Update=Firmware, Image=KC.UFI, New=4.1.0.0, Old=4.0.360.15, Status=");
}

TEST(NotRequired, OperationSwitchChoosesTheWord) {
  const struct {
    int rewrite, update, downgrade;
    ImageKind kind;
    const char* expected;
  } cases[] = {
      {1, 1, 1, ImageKind::bootCode,
       "\nvornup.exe: A boot code rewrite was not required on HBA: KV7100\n"},
      {0, 1, 1, ImageKind::bootCode,
       "\nvornup.exe: A boot code update was not required on HBA: KV7100\n"},
      {0, 0, 1, ImageKind::bootCode,
       "\nvornup.exe: A boot code downgrade was not required on HBA: KV7100\n"},
      {0, 0, 0, ImageKind::bootCode, ""},
      {0, 1, 0, ImageKind::firmware,
       "\nvornup.exe: A firmware update was not required on HBA: KV7100\n"},
  };
  for (const auto& c : cases) {
    CapturedRun r;
    r.run.sw.rewrite = c.rewrite;
    r.run.sw.update = c.update;
    r.run.sw.downgrade = c.downgrade;
    r.run.sw.forceBootCode = true;
    printNotRequired(r.run, sampleFcAdapter(), c.kind);
    EXPECT_EQ(r.console(), c.expected);
  }
}

}  // namespace
}  // namespace vornup
