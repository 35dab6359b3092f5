// Signed baselines against the simulator: keys are made and baselines signed
// with the openssl command line at test time; the program checks them with
// the host's own cryptography. A refused image is never handed to the tool
// and the run ends as for a failed download.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "e2e/documented_outcomes.h"
#include "e2e/rack_fixture.h"
#include "e2e/report_check.h"
#include "support/captured_run.h"
#include "support/image_files.h"

namespace vornup {
namespace {

using namespace ports;

constexpr char kFuture[] = "2099-01-01T00:00:00Z";

#ifdef _WIN32
// Under Wine the host's openssl runs as a Unix program, given Unix paths.
std::string quoted(const std::string& path) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  std::wstring wide(path.begin(), path.end());
  char* unix = toUnix != nullptr ? toUnix(wide.c_str()) : nullptr;
  EXPECT_NE(unix, nullptr) << "no Wine: " << path;
  const std::string text = unix != nullptr ? unix : path;
  if (unix != nullptr) HeapFree(GetProcessHeap(), 0, unix);
  return "\"" + text + "\"";
}
#else
std::string quoted(const std::string& path) { return "\"" + path + "\""; }
#endif

class SignedBaseline : public SimulatedHostTest {
 protected:
  void SetUp() override {
    describeHost({kKf1602});
    writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
    for (const char* key : {"trusted", "other"}) {
      openssl("ecparam -name prime256v1 -genkey -noout -out " + keyFile(key, ".key"));
      openssl("ec -in " + keyFile(key, ".key") + " -pubout -out " + keyFile(key, ".pem"));
    }
    host.makeInstallDirectory("trusted-keys");
    host.writeInstallFile("trusted-keys/admin.pem", ScratchDirectory::readFile(keyPath("trusted", ".pem")));
  }

  // Runs the openssl command line; the test fails when it does. Under Wine
  // a Unix program is started without waiting for it: a script runs it and
  // leaves its status in a file, which the test waits for.
  void openssl(const std::string& arguments) {
#ifdef _WIN32
    const std::string status = host.workDirectory() + "openssl.status";
    std::remove(status.c_str());
    std::FILE* script = std::fopen((host.workDirectory() + "openssl.sh").c_str(), "wb");
    ASSERT_NE(script, nullptr);
    std::fprintf(script, "openssl %s\necho $? > %s.new && mv %s.new %s\n", arguments.c_str(),
                 quoted(status).c_str(), quoted(status).c_str(), quoted(status).c_str());
    std::fclose(script);
    // "start /unix" hands quotes on as they are: the script's path has no blank.
    const std::string scriptPath = quoted(host.workDirectory() + "openssl.sh");
    std::system(("start /unix /bin/sh " + scriptPath.substr(1, scriptPath.size() - 2)).c_str());
    std::string result;
    for (int wait = 0; wait < 600 && result.empty(); ++wait) {
      Sleep(100);
      result = ScratchDirectory::readFile(status);
    }
    ASSERT_EQ(result, "0\n") << arguments;
#else
    const std::string line = "openssl " + arguments + " 2>&1";
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
#endif
  }
  std::string keyPath(const std::string& name, const char* suffix) const {
    return host.workDirectory() + name + suffix;
  }
  std::string keyFile(const std::string& name, const char* suffix) const {
    return quoted(keyPath(name, suffix));
  }
  // The SHA-256 of a file as openssl prints it.
  std::string digestOf(const std::string& quotedFile) {
    const std::string out = host.workDirectory() + "digest.txt";
    openssl("dgst -sha256 -r -out " + quoted(out) + " " + quotedFile);
    return ScratchDirectory::readFile(out).substr(0, 64);
  }
  std::string keyId(const char* key) {
    openssl("pkey -pubin -in " + keyFile(key, ".pem") + " -outform DER -out " + keyFile(key, ".der"));
    return digestOf(keyFile(key, ".der"));
  }
  std::string imageDigest() { return digestOf(quoted(firmwarePath("zf290a1.all"))); }

  // Writes baseline.json (listing the firmware image with `entry` fields
  // added), signed by `signer` unless that is empty.
  void writeBaseline(int version, const std::string& signer, const std::string& entry = "",
                     const std::string& extra = "", const char* expires = kFuture) {
    host.writeInstallFile("baseline.json",
                          "{\"version\": " + std::to_string(version) + ", \"expires\": \"" + expires +
                              "\"" + extra + ",\n \"images\": [{\"sha256\": \"" + imageDigest() +
                              "\", \"file\": \"zf290a1.all\", \"kind\": \"firmware\"" + entry + "}]}\n");
    host.removeInstallFile("baseline.json.sig");
    if (signer.empty()) return;
    openssl("dgst -sha256 -sign " + keyFile(signer, ".key") + " -out " +
            quoted(host.installPath("baseline.json.sig")) + " " + quoted(host.installPath("baseline.json")));
  }

  // Runs /auto /update on the fresh host.
  RunResult update(std::initializer_list<std::string> more = {}) {
    describeHost({kKf1602});
    std::vector<std::string> args = {"/auto", "/update"};
    args.insert(args.end(), more);
    return host.run(args);
  }
  std::string firmwareRefusal() {
    nlohmann::json report = reportcheck::parsed(ScratchDirectory::readFile(host.reportPath()));
    const nlohmann::json::json_pointer at("/ports/0/images/firmware/refusal/reason");
    return report.is_object() && report.contains(at) ? report[at].get<std::string>() : "";
  }
  void expectFlashed(const RunResult& result) {
    EXPECT_EQ(takeToolCommands(), discoveryAnd({downloadCommand(kKf1602Wwn, firmwarePath("zf290a1.all"))}))
        << result.console;
    EXPECT_EQ(result.exitCode, 0) << result.console;
  }
  void expectRefused(const RunResult& result, const std::string& reason, const std::string& words) {
    EXPECT_EQ(takeToolCommands(), discoveryAnd()) << result.console;
    EXPECT_EQ(result.exitCode, 2) << result.console;
    EXPECT_TRUE(contains(result.console, "Image=zf290a1.all, New=290A1, Old=282A4, Status=Error"))
        << result.console;
    EXPECT_TRUE(contains(outcomes::lastStatusLine(result.console), "all required updates failed"));
    EXPECT_TRUE(contains(result.console, "zf290a1.all refused: " + words + "; it was not downloaded"))
        << result.console;
    EXPECT_EQ(firmwareRefusal(), reason);
  }
};

TEST_F(SignedBaseline, ASignedListedImageIsFlashedAndTheReportCarriesItsDigest) {
  writeBaseline(1, "trusted", ", \"models\": [\"KF1602\"]");
  expectFlashed(update());
  const auto report = reportcheck::parsed(ScratchDirectory::readFile(host.reportPath()));
  EXPECT_EQ(report["ports"][0]["images"]["firmware"]["image"]["sha256"], imageDigest());
}

TEST_F(SignedBaseline, EveryRefusalLeavesTheImageUnflashedAndNamesItsReason) {
  struct Case {
    const char* label;
    std::function<void()> arrange;
    const char* reason;
    std::string words;
  };
  // Each baseline newer than the last: an accepted one raises the host's record.
  int version = 0;
  const auto next = [&] { return ++version; };
  const Case cases[] = {
      {"no signature", [&] { writeBaseline(next(), ""); }, "not_signed", "not signed"},
      {"signed by another key", [&] { writeBaseline(next(), "other"); }, "signature_invalid", "signature invalid"},
      {"edited after signing",
       [&] {
         writeBaseline(next(), "trusted");
         host.writeInstallFile("baseline.json", ScratchDirectory::readFile(host.installPath("baseline.json")) + " ");
       },
       "signature_invalid", "signature invalid"},
      {"a DER signature with a trailing byte",
       [&] {
         writeBaseline(next(), "trusted");
         host.writeInstallFile("baseline.json.sig", ScratchDirectory::readFile(host.installPath("baseline.json.sig")) + '\0');
       },
       "signature_invalid", "signature invalid"},
      {"names an untrusted key",
       [&] { writeBaseline(next(), "other", "", ", \"key_id\": \"" + keyId("other") + "\""); }, "unknown_key",
       "unknown key"},
      {"expired", [&] { writeBaseline(next(), "trusted", "", "", "2020-01-01T00:00:00Z"); }, "expired",
       "baseline expired at 2020-01-01T00:00:00Z"},
      {"another model", [&] { writeBaseline(next(), "trusted", ", \"models\": [\"KF810\"]"); },
       "model_not_allowed", "model not allowed"},
      {"blocked as well",
       [&] { writeBaseline(next(), "trusted", "", ", \"blocked\": [\"" + imageDigest() + "\"]"); }, "blocked",
       "blocked"},
      {"the image swapped after it was listed",
       [&] {
         writeBaseline(next(), "trusted");
         // The same identifier and version, other bytes.
         imagemaker::AllSubImageLayout sub;
         sub.imageId = kAllZF;
         sub.version = testimages::fcVersionWord("290A1");
         sub.bodySize = 4096;
         imagemaker::AllLayout layout;
         layout.subImages.push_back(sub);
         testimages::writeBytes(firmwarePath("zf290a1.all"), imagemaker::makeAll(layout));
       },
       "not_listed", "not listed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    writeFirmwareAll("zf290a1.all", kAllZF, "290A1");
    c.arrange();
    expectRefused(update(), c.reason, c.words);
    // A preview shows the same refusal without flashing.
    const RunResult preview = update({"/p"});
    EXPECT_EQ(takeToolCommands(), discoveryAnd());
    EXPECT_EQ(firmwareRefusal(), c.reason) << preview.console;
  }
}

TEST_F(SignedBaseline, AnOlderOrReusedVersionIsRefusedOnceANewerOneWasAccepted) {
  writeBaseline(5, "trusted");
  expectFlashed(update());
  writeBaseline(4, "trusted");
  expectRefused(update(), "older_version", "baseline version 4 older than 5");
  writeBaseline(5, "trusted", ", \"models\": [\"KF1602\"]");
  expectRefused(update(), "version_reused", "baseline version 5 was accepted before with other content");
  writeBaseline(6, "trusted");
  expectFlashed(update());
}

TEST_F(SignedBaseline, AnOperationWithoutAUsableBaselineEndsBeforeAnyToolCommand) {
  const RunResult missing = update();
  EXPECT_EQ(missing.exitCode, 2) << missing.console;
  EXPECT_TRUE(contains(missing.console, "Error - unusable baseline " + host.installPath("baseline.json") +
                                            ": not found - Return Code=2"))
      << missing.console;
  EXPECT_TRUE(takeToolCommands().empty());
  host.writeInstallFile("baseline.json", "{\"version\": 1, \"version\": 2}");
  const RunResult malformed = update();
  EXPECT_TRUE(contains(malformed.console, "duplicate key \"version\" - Return Code=2")) << malformed.console;
  EXPECT_TRUE(takeToolCommands().empty());
  // A query alone needs no baseline.
  writeFwmatrix("");
  const RunResult query = host.run({"/q"});
  EXPECT_EQ(query.exitCode, 0) << query.console;
  EXPECT_EQ(takeToolCommands(), discoveryAnd());
  // /baseline= names another file.
  writeBaseline(1, "trusted");
  host.writeInstallFile("other/approved.json", ScratchDirectory::readFile(host.installPath("baseline.json")));
  host.writeInstallFile("other/approved.json.sig", ScratchDirectory::readFile(host.installPath("baseline.json.sig")));
  host.removeInstallFile("baseline.json");
  expectFlashed(update({"/baseline=" + host.installPath("other/approved.json")}));
}

TEST_F(SignedBaseline, WithoutATrustedKeyOnlyTheBlockedListCounts) {
  host.removeInstallFile("trusted-keys/admin.pem");
  host.writeInstallFile("baseline.json", "{\"version\": ");
  const RunResult malformed = update();
  EXPECT_TRUE(contains(malformed.console, "warning: baseline " + host.installPath("baseline.json") +
                                              " ignored: malformed JSON"))
      << malformed.console;
  expectFlashed(malformed);
  writeBaseline(1, "", "", ", \"blocked\": [\"" + imageDigest() + "\"]");
  expectRefused(update(), "blocked", "blocked");
}

}  // namespace
}  // namespace vornup
