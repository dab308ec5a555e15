// The uninstall entry, written into and read back from the registry of the Wine prefix, and its
// failures through the registry seam and for real.
#include "shell/uninstall_registration.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/installer_state.h"
#include "base/manifest.h"
#include "tests/support/wine_test_support.h"

namespace {

using pagix_test::MessageBoxAnswerer;
using pagix_test::ReadRegistryValue;
using pagix_test::RegistryKeyExists;
using pagix_test::RegistryValue;
using pagix_test::RegistryValueNames;
using pagix_test::WriteRegistryText;

const char kKeyName[] = "PagixShellTest";
const char kKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PagixShellTest";
const char kDestination[] = "C:/Program Files/Marrowby/Pagix/";
const char kCannotWrite[] = "Cannot Write Registry : ";

std::string WithNul(const std::string& text) { return text + '\0'; }
std::string Dword(DWORD number) { return std::string(reinterpret_cast<const char*>(&number), 4); }

// Records the registry calls and passes them on, or refuses the key creation or one value.
struct RegistryLog {
  bool FailCreate = false;
  int FailSetAt = -1;  // the number of the value write that fails, from 0
  int Creates = 0;
  HKEY Root = nullptr;
  std::string SubKey;
  DWORD Reserved = 99;
  std::string KeyClass;
  DWORD Options = 99;
  REGSAM Access = 0;
  LPSECURITY_ATTRIBUTES Security = reinterpret_cast<LPSECURITY_ATTRIBUTES>(1);
  HKEY Returned = nullptr;
  struct Set {
    HKEY Key;
    std::string Name;
    DWORD Type;
  };
  std::vector<Set> Sets;
  std::vector<HKEY> Closes;
  // Every call in order: "create", "set <name>", "close", "delete key <path>".
  std::vector<std::string> Calls;
};
RegistryLog g_Log;

LONG WINAPI LoggedCreateKey(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition) {
  ++g_Log.Creates;
  g_Log.Calls.push_back("create");
  g_Log.Root = root;
  g_Log.SubKey = subKey;
  g_Log.Reserved = reserved;
  g_Log.KeyClass = keyClass ? keyClass : "<null>";
  g_Log.Options = options;
  g_Log.Access = access;
  g_Log.Security = security;
  if (g_Log.FailCreate) {
    // A refusing platform may leave anything in the results; none of it may be used.
    *result = reinterpret_cast<HKEY>(0x5A5A5A5A);
    if (disposition) *disposition = REG_CREATED_NEW_KEY;
    return ERROR_ACCESS_DENIED;
  }
  LONG status = RegCreateKeyExA(root, subKey, reserved, keyClass, options, access, security, result,
                                disposition);
  g_Log.Returned = *result;
  return status;
}

LONG WINAPI LoggedSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size) {
  g_Log.Calls.push_back(std::string("set ") + name);
  const bool fail = static_cast<int>(g_Log.Sets.size()) == g_Log.FailSetAt;
  g_Log.Sets.push_back({key, name, type});
  if (fail) return ERROR_ACCESS_DENIED;
  return RegSetValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI LoggedCloseKey(HKEY key) {
  g_Log.Calls.push_back("close");
  g_Log.Closes.push_back(key);
  return RegCloseKey(key);
}

LONG WINAPI LoggedDeleteKey(HKEY root, LPCSTR subKey) {
  g_Log.Calls.push_back(std::string("delete key ") + subKey);
  return RegDeleteKeyA(root, subKey);
}

class UninstallRegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    g_Installer.AbortRequested = 0;
    g_Installer.InstalledBytes = 1843201;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
    real_ = g_UninstallRegistryCalls;
    g_Log = {};
  }
  void TearDown() override {
    g_UninstallRegistryCalls = real_;
    g_Installer.AbortRequested = 0;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
  }
  void UseLoggedCalls() {
    g_UninstallRegistryCalls = {LoggedCreateKey, LoggedSetValue, LoggedCloseKey, LoggedDeleteKey};
  }
  // RegisterUninstall for the test's key; the texts of the boxes it showed.
  std::vector<std::string> Register(const char* keyName = kKeyName,
                                    const char* destination = kDestination,
                                    const char* displayName = kUninstallDisplayName) {
    MessageBoxAnswerer boxes;
    RegisterUninstall(nullptr, keyName, displayName, destination);
    std::vector<std::string> texts;
    for (const pagix_test::SeenBox& box : boxes.Seen()) {
      EXPECT_EQ("error", box.Icon) << box.Text;
      texts.push_back(box.Text);
    }
    return texts;
  }
  UninstallRegistryCalls real_ = {};
};

// Name, type and bytes of each value, in the order they are written.
struct ExpectedValue {
  const char* Name;
  DWORD Type;
  std::string Data;
};
const ExpectedValue kEntry[] = {
    {"DisplayName", REG_SZ, WithNul("Pagix 0.9d")},
    {"UninstallString", REG_SZ, WithNul("\"C:/Program Files/Marrowby/Pagix/uninstall.exe\"")},
    {"DisplayVersion", REG_SZ, WithNul("0.9d")},
    {"Publisher", REG_SZ, WithNul("Marrowby")},
    {"InstallLocation", REG_SZ, WithNul("C:\\Program Files\\Marrowby\\Pagix")},
    {"DisplayIcon", REG_SZ, WithNul("C:\\Program Files\\Marrowby\\Pagix\\Pagix.exe")},
    // 1843201 bytes are 1800 KiB and one byte.
    {"EstimatedSize", REG_DWORD, Dword(1801)},
    {"NoModify", REG_DWORD, Dword(1)},
    {"NoRepair", REG_DWORD, Dword(1)},
};

TEST_F(UninstallRegistrationTest, WritesTheWholeEntry) {
  EXPECT_EQ(std::vector<std::string>(), Register());
  EXPECT_EQ(0, g_Installer.AbortRequested);
  for (const ExpectedValue& expected : kEntry) {
    SCOPED_TRACE(expected.Name);
    RegistryValue value = ReadRegistryValue(kKeyPath, expected.Name);
    ASSERT_TRUE(value.Present);
    EXPECT_EQ(expected.Type, value.Type);
    EXPECT_EQ(expected.Data, value.Data);
  }
  EXPECT_EQ(sizeof kEntry / sizeof kEntry[0], RegistryValueNames(kKeyPath).size());

  // A 32-bit installer on 64-bit Windows writes into the registry's 32-bit view, which the
  // 64-bit view shows below Wow6432Node; the 64-bit view of the plain path has no entry.
  if (pagix_test::RunsUnderWow64()) {
    EXPECT_TRUE(RegistryKeyExists(kKeyPath, KEY_WOW64_32KEY));
    EXPECT_FALSE(RegistryKeyExists(kKeyPath, KEY_WOW64_64KEY));
    EXPECT_EQ(
        kEntry[0].Data,
        ReadRegistryValue("Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                          "PagixShellTest",
                          "DisplayName", KEY_WOW64_64KEY)
            .Data);
  }
}

TEST_F(UninstallRegistrationTest, CallsThePlatformWithTheExpectedArguments) {
  UseLoggedCalls();
  Register();
  ASSERT_EQ(1, g_Log.Creates);
  EXPECT_EQ(HKEY_LOCAL_MACHINE, g_Log.Root);
  EXPECT_EQ(kKeyPath, g_Log.SubKey);
  EXPECT_EQ(0u, g_Log.Reserved);
  EXPECT_EQ("", g_Log.KeyClass);
  EXPECT_EQ(static_cast<DWORD>(REG_OPTION_NON_VOLATILE), g_Log.Options);
  EXPECT_EQ(static_cast<REGSAM>(KEY_WRITE), g_Log.Access);
  EXPECT_EQ(nullptr, g_Log.Security);
  ASSERT_EQ(sizeof kEntry / sizeof kEntry[0], g_Log.Sets.size());
  for (size_t i = 0; i < g_Log.Sets.size(); ++i) {
    EXPECT_EQ(kEntry[i].Name, g_Log.Sets[i].Name);
    EXPECT_EQ(kEntry[i].Type, g_Log.Sets[i].Type);
    EXPECT_EQ(g_Log.Returned, g_Log.Sets[i].Key);
  }
  EXPECT_EQ(std::vector<HKEY>{g_Log.Returned}, g_Log.Closes);
  EXPECT_EQ("close", g_Log.Calls.back());
}

TEST_F(UninstallRegistrationTest, SecondCallReplacesTheValuesAndKeepsOthers) {
  ASSERT_TRUE(WriteRegistryText(kKeyPath, "DisplayName", "an older name"));
  ASSERT_TRUE(WriteRegistryText(kKeyPath, "Comments", "kept"));
  Register(kKeyName, "C:/first/", "first");
  EXPECT_EQ(std::vector<std::string>(), Register());
  for (const ExpectedValue& expected : kEntry) {
    EXPECT_EQ(expected.Data, ReadRegistryValue(kKeyPath, expected.Name).Data) << expected.Name;
  }
  EXPECT_EQ(WithNul("kept"), ReadRegistryValue(kKeyPath, "Comments").Data);
  EXPECT_EQ(sizeof kEntry / sizeof kEntry[0] + 1, RegistryValueNames(kKeyPath).size());
  // Still one key: nothing was created below it.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key));
  DWORD subKeys = 99;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(0u, subKeys);
}

TEST_F(UninstallRegistrationTest, AbortRequestedLeavesTheRegistryUntouched) {
  g_Installer.AbortRequested = 1;
  EXPECT_EQ(std::vector<std::string>(), Register());
  EXPECT_FALSE(RegistryKeyExists(kKeyPath));

  ASSERT_TRUE(WriteRegistryText(kKeyPath, "DisplayName", "an older name"));
  EXPECT_EQ(std::vector<std::string>(), Register());
  EXPECT_EQ(std::vector<std::string>{"DisplayName"}, RegistryValueNames(kKeyPath));
  EXPECT_EQ(WithNul("an older name"), ReadRegistryValue(kKeyPath, "DisplayName").Data);
  EXPECT_EQ(1, g_Installer.AbortRequested);
}

// A refused key or value: one box, the abort flag, no half entry of a key made here, and an
// earlier installation's entry still whole.
TEST_F(UninstallRegistrationTest, RefusedWritesAreReportedAndLeaveNoHalfEntry) {
  struct Case {
    const char* Name;
    bool KeyExisted;  // with an older "DisplayName" and "UninstallString" and a "Comments" of
                      // someone else
    bool FailCreate;
    int FailSetAt;
    std::vector<std::string> LeftValues;  // empty with no key left
    std::vector<std::string> Cleanup;     // the calls after the last write
  };
  const std::string deleteKey = std::string("delete key ") + kKeyPath;
  const Case cases[] = {
      {"refused key", false, true, -1, {}, {}},
      {"first value of a new key", false, false, 0, {}, {"close", deleteKey}},
      {"sixth value of a new key", false, false, 5, {}, {"close", deleteKey}},
      {"last value of a new key", false, false, 8, {}, {"close", deleteKey}},
      // A key that was there loses nothing: its entry keeps a name and a command.
      {"first value of an old key",
       true,
       false,
       0,
       {"Comments", "DisplayName", "UninstallString"},
       {"close"}},
      {"third value of an old key",
       true,
       false,
       2,
       {"Comments", "DisplayName", "UninstallString"},
       {"close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
    if (c.KeyExisted) {
      ASSERT_TRUE(WriteRegistryText(kKeyPath, "DisplayName", "an older name"));
      ASSERT_TRUE(WriteRegistryText(kKeyPath, "UninstallString", "C:\\older\\uninstall.exe"));
      ASSERT_TRUE(WriteRegistryText(kKeyPath, "Comments", "kept"));
    }
    g_Installer.AbortRequested = 0;
    UseLoggedCalls();
    g_Log = {};
    g_Log.FailCreate = c.FailCreate;
    g_Log.FailSetAt = c.FailSetAt;
    EXPECT_EQ(std::vector<std::string>{kCannotWrite + std::string(kKeyPath)}, Register());
    EXPECT_EQ(1, g_Installer.AbortRequested);
    EXPECT_EQ(!c.LeftValues.empty(), RegistryKeyExists(kKeyPath));
    EXPECT_EQ(c.LeftValues, RegistryValueNames(kKeyPath));
    if (c.KeyExisted) {
      EXPECT_EQ(WithNul("kept"), ReadRegistryValue(kKeyPath, "Comments").Data);
    }
    // Nothing is written after the refused write.
    const size_t attempted = c.FailCreate ? 0 : static_cast<size_t>(c.FailSetAt) + 1;
    EXPECT_EQ(attempted, g_Log.Sets.size());
    ASSERT_GE(g_Log.Calls.size(), 1 + attempted);
    EXPECT_EQ(c.Cleanup, std::vector<std::string>(
                             g_Log.Calls.begin() + 1 + static_cast<std::ptrdiff_t>(attempted),
                             g_Log.Calls.end()));
  }
}

// For real: a volatile key refuses a lasting sub-key, as a key of another program may.
TEST_F(UninstallRegistrationTest, KeyThePlatformRefusesIsReported) {
  const char volatilePath[] =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PagixVolatileTest";
  HKEY parent = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, volatilePath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_WRITE, nullptr, &parent, nullptr));
  RegCloseKey(parent);
  EXPECT_EQ(std::vector<std::string>{kCannotWrite + std::string(volatilePath) + "\\Pagix"},
            Register("PagixVolatileTest\\Pagix"));
  EXPECT_EQ(1, g_Installer.AbortRequested);
  EXPECT_FALSE(RegistryKeyExists((std::string(volatilePath) + "\\Pagix").c_str()));
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, volatilePath);
}

TEST_F(UninstallRegistrationTest, TextsThatDoNotFitAreReportedNotWrittenCut) {
  struct Case {
    const char* Name;
    std::string KeyName;
    std::string Destination;
    std::string Detail;
  };
  // "uninstall.exe" after a destination of 247 characters makes 260.
  const std::string longDestination = "C:/" + std::string(243, 'd') + "/";
  const Case cases[] = {
      {"key name of 208 characters", std::string(208, 'k'), kDestination, std::string(208, 'k')},
      {"destination of 247 characters", kKeyName, longDestination, kKeyPath},
  };
  UseLoggedCalls();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    g_Log = {};
    g_Installer.AbortRequested = 0;
    EXPECT_EQ(std::vector<std::string>{kCannotWrite + c.Detail},
              Register(c.KeyName.c_str(), c.Destination.c_str()));
    EXPECT_EQ(0, g_Log.Creates);
    EXPECT_EQ(1, g_Installer.AbortRequested);
  }
  // The longest key name and the longest destination that fit are written whole.
  g_Installer.AbortRequested = 0;
  const std::string longestName(207, 'k');
  const std::string longestDestination = "C:/" + std::string(242, 'd') + "/";
  const std::string longestPath =
      std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + longestName;
  g_UninstallRegistryCalls = real_;
  EXPECT_EQ(std::vector<std::string>(), Register(longestName.c_str(), longestDestination.c_str()));
  EXPECT_EQ(WithNul("\"" + longestDestination + "uninstall.exe\""),
            ReadRegistryValue(longestPath.c_str(), "UninstallString").Data);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, longestPath.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
