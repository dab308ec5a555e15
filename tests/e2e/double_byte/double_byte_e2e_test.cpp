// The installer, Pagix and the uninstaller in a Wine session whose ANSI code page is a
// double-byte one (LANG ja_JP gives 932, zh_TW 950): folder names whose characters end in the
// byte of "\" (0x5C) are installed into, run from and removed exactly as typed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "product/pagix/pagix_resource.h"
#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

UINT g_codePage;  // the session's code page, from --code-page=

struct FolderNames {
  UINT CodePage;
  const wchar_t* NewFolder;    // made by the installer below C:\, with "Pagix" inside
  const wchar_t* InUsersData;  // made by the installer inside C:\Data
};
// ソ (83 5C) and 表 (95 5C) in 932, 功 (A5 5C) in 950: at the start and at the end of a name.
const FolderNames kFolderNames[] = {
    {932, L"ソフト", L"一覧表"},
    {950, L"功能", L"成功"},
};

const std::string kData = "C:\\Data";
const std::string kUsersFile = "notes.txt";
const std::vector<unsigned char> kUsersBytes = {'m', 'i', 'n', 'e'};

std::string Ansi(const wchar_t* text) {
  char bytes[4 * MAX_PATH] = {};  // also for texts longer than a path
  WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

const FolderNames& Names() {
  for (const FolderNames& names : kFolderNames) {
    if (names.CodePage == g_codePage) return names;
  }
  return kFolderNames[0];
}

class DoubleByteTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), g_codePage) << "the session runs in another code page: is the locale "
                                       "made (scripts/install-deps.sh)?";
    newFolder_ = "C:\\" + Ansi(Names().NewFolder);
    TearDown();
    ASSERT_TRUE(CreateDirectoryA(kData.c_str(), nullptr));
    ASSERT_TRUE(pagix_test::WriteWholeFile(kData + "\\" + kUsersFile, kUsersBytes));
  }
  void TearDown() override {
    RemoveInstallation(newFolder_ + "\\Pagix", newFolder_);
    RemoveInstallation(kData + "\\" + Ansi(Names().InUsersData));
    pagix_test::RemoveTree(kData);
  }

  // Installs into destination (ExpectInstalled: files, entry, shortcuts' targets) and sees Pagix
  // start there.
  void InstallAndRun(const std::string& destination) {
    ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(destination, IDYES));
    HWND pagix = WaitForWindow([] { return FindTopLevel(kProductWindowTitle); });
    EXPECT_TRUE(pagix) << "Pagix did not start";
    if (pagix) {
      wchar_t shown[MAX_PATH] = {};
      SendMessageTimeoutW(GetDlgItem(pagix, IDC_PAGIX_FOLDER), WM_GETTEXT, MAX_PATH,
                          reinterpret_cast<LPARAM>(shown), SMTO_NORMAL, kWaitMs, nullptr);
      EXPECT_EQ(Ansi(shown), destination + "\\") << "the folder Pagix shows";
    }
    CloseWindowsCaptioned(kProductWindowTitle, true);
  }

  std::string newFolder_;
};

TEST_F(DoubleByteTest, NewFolderWhoseNameStartsWithSuchACharacter) {
  const std::string destination = newFolder_ + "\\Pagix";
  std::vector<std::string> root = FolderEntries("C:");
  root.push_back(newFolder_.substr(3));
  ASSERT_NO_FATAL_FAILURE(InstallAndRun(destination));
  // Nothing was made anywhere else.
  EXPECT_EQ(FolderEntries("C:"), Sorted(root));
  ASSERT_NO_FATAL_FAILURE(UninstallThroughEntry(destination));
  // The folder above the installation stays, as it is not part of it.
  EXPECT_EQ(FolderEntries("C:"), Sorted(root));
  EXPECT_EQ(FolderEntries(newFolder_), std::vector<std::string>());
}

TEST_F(DoubleByteTest, FolderWhoseNameEndsWithSuchACharacterInsideTheUsersFolder) {
  const std::string name = Ansi(Names().InUsersData);
  const std::string destination = kData + "\\" + name;
  ASSERT_NO_FATAL_FAILURE(InstallAndRun(destination));
  // The installation is inside its own folder, not spilt into the user's.
  EXPECT_EQ(FolderEntries(kData), Sorted({kUsersFile, name}));
  ASSERT_NO_FATAL_FAILURE(UninstallThroughEntry(destination));
  EXPECT_EQ(FolderEntries(kData), std::vector<std::string>{kUsersFile});
  EXPECT_EQ(pagix_test::ReadWholeFile(kData + "\\" + kUsersFile), kUsersBytes);
}

// A path holds 259 bytes, not characters: 129 double-byte characters below C:\ are too long,
// though the field holds far fewer than 259 characters.
TEST_F(DoubleByteTest, FieldOfMoreBytesThanAPathHoldsIsTooLong) {
  const std::wstring field = L"C:\\" + std::wstring(129, Names().NewFolder[0]);
  const std::string typed = Ansi(field.c_str());
  ASSERT_EQ(typed.size(), 261u);
  InstallerProcess installer;
  HWND dialog = StartInstaller(installer);
  ASSERT_NE(dialog, nullptr);
  DWORD_PTR done = 0;
  ASSERT_TRUE(SendMessageTimeoutW(GetDlgItem(dialog, IDC_DESTINATION), WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(field.c_str()), SMTO_NORMAL, kWaitMs,
                                  &done));
  Press(dialog, IDOK);
  HWND refusal =
      ExpectBox(installer, dialog, {"Destination path is too long : " + typed, "error", kOkOnly});
  ASSERT_NE(refusal, nullptr);
  AnswerBox(installer, refusal, IDOK);
  ExpectIdleAgain(installer, dialog);
  Press(dialog, IDCANCEL);
  ExpectEndsWithZero(installer);
}

}  // namespace
}  // namespace pagix_e2e

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  pagix_e2e::ParseSettings(argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--code-page=", 12) == 0)
      pagix_e2e::g_codePage = static_cast<UINT>(std::atoi(argv[i] + 12));
  }
  return RUN_ALL_TESTS();
}
