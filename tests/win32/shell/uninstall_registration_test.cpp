// The uninstall entry, written into and read back from the registry of the Wine prefix.
#include "shell/uninstall_registration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/installer_state.h"
#include "app/manifest.h"

namespace {

const char kKeyName[] = "PagixShellTest";
const char kKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PagixShellTest";
const char kCommand[] = "C:/Program Files/Marrowby/Pagix/uninstall.exe";
const char kQuotedCommand[] = "\"C:/Program Files/Marrowby/Pagix/uninstall.exe\"";

struct StringValue {
  bool Present = false;
  DWORD Type = 0;
  std::string Data;  // every byte of the value, the terminating NUL included
};

StringValue ReadValue(const char* keyPath, const char* name) {
  StringValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  char data[1024] = {};
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, &value.Type, reinterpret_cast<BYTE*>(data), &size) ==
      ERROR_SUCCESS) {
    value.Present = true;
    value.Data.assign(data, size);
  }
  RegCloseKey(key);
  return value;
}

bool KeyExists(const char* keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void WriteValue(const char* keyPath, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_WRITE,
                                           nullptr, &key, nullptr));
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

std::string WithNul(const char* text) { return std::string(text) + '\0'; }

// Records the registry calls and either passes them on or lets the key creation fail.
struct RegistryLog {
  bool FailCreate = false;
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
    std::string Data;
  };
  std::vector<Set> Sets;
  std::vector<HKEY> Closes;
};
RegistryLog g_Log;

LONG WINAPI LoggedCreateKey(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                            REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition) {
  ++g_Log.Creates;
  g_Log.Root = root;
  g_Log.SubKey = subKey;
  g_Log.Reserved = reserved;
  g_Log.KeyClass = keyClass ? keyClass : "<null>";
  g_Log.Options = options;
  g_Log.Access = access;
  g_Log.Security = security;
  if (g_Log.FailCreate) {
    // A refusing platform may leave anything in the result; none of it may be used.
    *result = reinterpret_cast<HKEY>(0x5A5A5A5A);
    return ERROR_ACCESS_DENIED;
  }
  LONG status = RegCreateKeyExA(root, subKey, reserved, keyClass, options, access, security, result,
                                disposition);
  g_Log.Returned = *result;
  return status;
}

LONG WINAPI LoggedSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size) {
  g_Log.Sets.push_back({key, name, type, std::string(reinterpret_cast<const char*>(data), size)});
  return RegSetValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI LoggedCloseKey(HKEY key) {
  g_Log.Closes.push_back(key);
  return RegCloseKey(key);
}

class UninstallRegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    g_Installer.AbortRequested = 0;
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
    g_UninstallRegistryCalls = {LoggedCreateKey, LoggedSetValue, LoggedCloseKey};
  }
  UninstallRegistryCalls real_ = {};
};

TEST_F(UninstallRegistrationTest, WritesDisplayNameAndQuotedCommand) {
  RegisterUninstall(kKeyName, kUninstallDisplayName, kCommand);
  StringValue name = ReadValue(kKeyPath, "DisplayName");
  ASSERT_TRUE(name.Present);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), name.Type);
  EXPECT_EQ(WithNul("Pagix 0.9d"), name.Data);
  EXPECT_EQ(11u, name.Data.size());
  StringValue command = ReadValue(kKeyPath, "UninstallString");
  ASSERT_TRUE(command.Present);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), command.Type);
  EXPECT_EQ(WithNul(kQuotedCommand), command.Data);
  EXPECT_EQ(48u, command.Data.size());
}

TEST_F(UninstallRegistrationTest, CallsThePlatformWithTheExpectedArguments) {
  UseLoggedCalls();
  RegisterUninstall(kKeyName, kUninstallDisplayName, kCommand);
  ASSERT_EQ(1, g_Log.Creates);
  EXPECT_EQ(HKEY_LOCAL_MACHINE, g_Log.Root);
  EXPECT_EQ(kKeyPath, g_Log.SubKey);
  EXPECT_EQ(0u, g_Log.Reserved);
  EXPECT_EQ("", g_Log.KeyClass);
  EXPECT_EQ(static_cast<DWORD>(REG_OPTION_NON_VOLATILE), g_Log.Options);
  EXPECT_EQ(static_cast<REGSAM>(KEY_WRITE), g_Log.Access);
  EXPECT_EQ(nullptr, g_Log.Security);
  ASSERT_EQ(2u, g_Log.Sets.size());
  EXPECT_EQ("DisplayName", g_Log.Sets[0].Name);
  EXPECT_EQ("UninstallString", g_Log.Sets[1].Name);
  for (const RegistryLog::Set& set : g_Log.Sets) {
    EXPECT_EQ(g_Log.Returned, set.Key);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), set.Type);
  }
  EXPECT_EQ(std::vector<HKEY>{g_Log.Returned}, g_Log.Closes);
}

TEST_F(UninstallRegistrationTest, SecondCallReplacesBothValuesAndKeepsOthers) {
  WriteValue(kKeyPath, "DisplayName", "an older name");
  WriteValue(kKeyPath, "Publisher", "kept");
  RegisterUninstall(kKeyName, "first", "C:/first/uninstall.exe");
  RegisterUninstall(kKeyName, kUninstallDisplayName, kCommand);
  EXPECT_EQ(WithNul("Pagix 0.9d"), ReadValue(kKeyPath, "DisplayName").Data);
  EXPECT_EQ(WithNul(kQuotedCommand), ReadValue(kKeyPath, "UninstallString").Data);
  EXPECT_EQ(WithNul("kept"), ReadValue(kKeyPath, "Publisher").Data);
  // Still one key: nothing was created below it.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key));
  DWORD subKeys = 99;
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(0u, subKeys);
  EXPECT_EQ(3u, values);
}

TEST_F(UninstallRegistrationTest, AbortRequestedLeavesTheRegistryUntouched) {
  g_Installer.AbortRequested = 1;
  RegisterUninstall(kKeyName, kUninstallDisplayName, kCommand);
  EXPECT_FALSE(KeyExists(kKeyPath));

  WriteValue(kKeyPath, "DisplayName", "an older name");
  RegisterUninstall(kKeyName, kUninstallDisplayName, kCommand);
  EXPECT_EQ(WithNul("an older name"), ReadValue(kKeyPath, "DisplayName").Data);
  EXPECT_FALSE(ReadValue(kKeyPath, "UninstallString").Present);
  EXPECT_EQ(1, g_Installer.AbortRequested);
}

TEST_F(UninstallRegistrationTest, RefusedKeyCreationWritesAndClosesNothing) {
  UseLoggedCalls();
  g_Log.FailCreate = true;
  RegisterUninstall(kKeyName, kUninstallDisplayName, kCommand);
  EXPECT_EQ(1, g_Log.Creates);
  EXPECT_TRUE(g_Log.Sets.empty());
  EXPECT_TRUE(g_Log.Closes.empty());
  EXPECT_EQ(0, g_Installer.AbortRequested);
}

TEST_F(UninstallRegistrationTest, TextsThatDoNotFitAreNotWrittenCut) {
  struct Case {
    const char* Name;
    std::string KeyName;
    std::string Command;
  };
  const Case cases[] = {
      {"key name of 208 characters", std::string(208, 'k'), kCommand},
      {"command of 260 characters", kKeyName, std::string(260, 'c')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    UseLoggedCalls();
    g_Log = {};
    RegisterUninstall(c.KeyName.c_str(), kUninstallDisplayName, c.Command.c_str());
    EXPECT_EQ(0, g_Log.Creates);
    EXPECT_TRUE(g_Log.Sets.empty());
    EXPECT_EQ(0, g_Installer.AbortRequested);
  }
  // The longest key name and the longest command that fit are written whole.
  const std::string longestName(207, 'k');
  const std::string longestCommand(259, 'c');
  const std::string longestPath =
      std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + longestName;
  g_UninstallRegistryCalls = real_;
  RegisterUninstall(longestName.c_str(), kUninstallDisplayName, longestCommand.c_str());
  EXPECT_EQ("\"" + longestCommand + "\"" + '\0',
            ReadValue(longestPath.c_str(), "UninstallString").Data);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, longestPath.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
