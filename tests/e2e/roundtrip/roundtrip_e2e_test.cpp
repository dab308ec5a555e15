// The whole life of an installation: the real installer installs Pagix, Pagix runs, and the
// command of the Add/Remove Programs entry removes it again without a trace, also in the
// temporary folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

// Odd but sound: a blank in one folder name, a dot in another.
const std::string kTop = "C:\\a b";
const std::string kDestination = kTop + "\\c.d\\Pagix";

class RoundTripTest : public testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    RemoveInstallation(kDestination);
    pagix_test::RemoveTree(kTop);
  }
};

// The uninstaller's temporary copies in the temporary folder.
int TemporaryCopies() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(temp) + "pagix-uninstall-*.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    ++count;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

// This process's environment with the temporary folder pointing nowhere: the uninstaller cannot
// copy itself there and works in place.
std::string EnvironmentWithoutTemporaryFolder() {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; *entry; entry += strlen(entry) + 1) {
    if (_strnicmp(entry, "TMP=", 4) && _strnicmp(entry, "TEMP=", 5))
      block += entry + std::string(1, '\0');
  }
  FreeEnvironmentStringsA(strings);
  const std::string missing = "C:\\no such folder";
  return block + "TMP=" + missing + '\0' + "TEMP=" + missing + '\0';
}

TEST_F(RoundTripTest, InstallRunAndUninstallLeaveNothing) {
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(kDestination, IDYES));

  // Pagix itself runs from the new folder.
  EXPECT_TRUE(WaitForWindow([] { return FindTopLevel(kProductWindowTitle); }));
  EXPECT_EQ(CloseWindowsCaptioned(kProductWindowTitle, true), 1);

  ASSERT_NO_FATAL_FAILURE(UninstallThroughEntry(kDestination));
  // The uninstaller ends by itself, with no box left open, and its copy's file goes with it.
  EXPECT_TRUE(WaitUntil([] { return TemporaryCopies() == 0; }))
      << TemporaryCopies() << " temporary copies left";
}

// Without a temporary folder the uninstaller removes the rest in place and leaves its own file
// and folder, saying so; nothing is left to the next restart, so an installation made into the
// same folder before the restart keeps its uninstaller through it.
TEST_F(RoundTripTest, InPlaceUninstallLeavesNothingForTheRestartToTake) {
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(kDestination, IDNO));
  const std::string environment = EnvironmentWithoutTemporaryFolder();
  ASSERT_TRUE(RunCommand("\"" + kDestination + "\\uninstall.exe\"", &environment));
  HWND question = WaitForUninstallerBox();
  ASSERT_TRUE(question) << "the uninstaller asked nothing";
  pagix_test::PressDialogButton(question, IDYES);
  HWND report = WaitForUninstallerBox(question);
  ASSERT_TRUE(report) << "no closing message";
  EXPECT_EQ(ViewMessageBox(report).Text, "uninstall.exe and its folder " + kDestination +
                                             " remain; you may delete them by hand.");
  pagix_test::PressDialogButton(report, IDOK);
  EXPECT_TRUE(WaitUntil([] { return FindWindowA("#32770", kUninstallCaption) == nullptr; }));
  EXPECT_EQ(FolderEntries(kDestination), std::vector<std::string>{"uninstall.exe"});
  EXPECT_FALSE(ReadUninstallEntry().Exists);

  // Installed again into the very folder, then Wine restarts.
  InstallerProcess installer;
  HWND dialog = StartInstaller(installer);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(SetFieldText(dialog, kDestination));
  Press(dialog, IDOK);
  AnswerBox(installer, ExpectBox(installer, dialog, {"Run Pagix now?", "question", kYesNo}), IDNO);
  ExpectEndsWithZero(installer);
  EXPECT_TRUE(CloseGroupWindowWhenShown());
  ASSERT_TRUE(RunCommand("wineboot.exe -r", nullptr, 120000)) << "wineboot -r did not end";
  ExpectInstalled(kDestination);
}

}  // namespace
}  // namespace pagix_e2e
