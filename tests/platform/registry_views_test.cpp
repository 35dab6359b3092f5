// Windows: the 64-bit and the 32-bit view of the registry. Both builds read
// the 64-bit view first, then the 32-bit one, so a value is found whichever
// view holds it (shown in a 64-bit prefix, where the views differ).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace vornup {
namespace {

constexpr char kParentKey[] = "SOFTWARE\\KorvaneViewTest";
constexpr char kKey[] = "SOFTWARE\\KorvaneViewTest\\Quenmar";

bool setIn(REGSAM view, const char* text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | view, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool set = RegSetValueExA(key, "SuiteDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(std::string(text).size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

void removeIn(REGSAM view) {
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kParentKey, view, 0);
}

bool readIn(REGSAM view, std::string& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) {
    return false;
  }
  char buffer[64] = {};
  DWORD size = sizeof buffer - 1;
  bool read = RegQueryValueExA(key, "SuiteDir", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (read) value = buffer;
  return read;
}

// Whether this host keeps the two views apart (64-bit Windows or prefix).
bool viewsDiffer() {
  removeIn(KEY_WOW64_64KEY);
  removeIn(KEY_WOW64_32KEY);
  std::string value;
  bool differ = setIn(KEY_WOW64_64KEY, "probe") && !readIn(KEY_WOW64_32KEY, value);
  removeIn(KEY_WOW64_64KEY);
  return differ;
}

class RegistryViews : public ::testing::Test {
 protected:
  void TearDown() override {
    removeIn(KEY_WOW64_64KEY);
    removeIn(KEY_WOW64_32KEY);
  }
};

TEST_F(RegistryViews, ValueInOneViewOnlyIsFoundAndThe64BitViewComesFirst) {
  if (!viewsDiffer()) GTEST_SKIP() << "this host has one registry view only";
  struct Case {
    const char* in64;
    const char* in32;
    const char* read;
  };
  const Case cases[] = {{"C:\\Suite64\\", nullptr, "C:\\Suite64\\"},
                        {nullptr, "C:\\Suite32\\", "C:\\Suite32\\"},
                        {"C:\\Suite64\\", "C:\\Suite32\\", "C:\\Suite64\\"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.read);
    removeIn(KEY_WOW64_64KEY);
    removeIn(KEY_WOW64_32KEY);
    if (c.in64 != nullptr) {
      ASSERT_TRUE(setIn(KEY_WOW64_64KEY, c.in64));
    }
    if (c.in32 != nullptr) {
      ASSERT_TRUE(setIn(KEY_WOW64_32KEY, c.in32));
    }
    std::string value;
    EXPECT_TRUE(hostPlatform().readRegistryString(kKey, "SuiteDir", value));
    EXPECT_EQ(value, c.read);
  }
  removeIn(KEY_WOW64_64KEY);
  removeIn(KEY_WOW64_32KEY);
  std::string value = "unchanged";
  EXPECT_FALSE(hostPlatform().readRegistryString(kKey, "SuiteDir", value));
  EXPECT_EQ(value, "unchanged");
}

}  // namespace
}  // namespace vornup
