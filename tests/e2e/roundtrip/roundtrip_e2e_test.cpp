// The whole life of an installation: the real installer installs Pagix, Pagix runs, and the
// command of the Add/Remove Programs entry removes it again without a trace, also in the
// temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_scenario.h"
#include "tests/support/parent_process.h"
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

TEST_F(RoundTripTest, InstallRunAndUninstallLeaveNothing) {
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(kDestination, IDYES));

  // Pagix itself runs from the new folder, started by the desktop's shell (also the 64-bit
  // shell of 64-bit Windows), as the desktop's user.
  HWND product = WaitForWindow([] { return FindTopLevel(kProductWindowTitle); });
  EXPECT_TRUE(product);
  char parent[MAX_PATH];
  pagix_test::FindParentProcessName(ProcessOf(product), parent, MAX_PATH);
  EXPECT_EQ(pagix_test::Lower(parent), "explorer.exe");
  EXPECT_EQ(CloseWindowsCaptioned(kProductWindowTitle, true), 1);

  ASSERT_NO_FATAL_FAILURE(UninstallThroughEntry(kDestination));
  // The uninstaller ends by itself, with no box left open, and its copy's file goes with it.
  EXPECT_TRUE(WaitUntil([] { return pagix_test::UninstallerTemporaryCopies().empty(); }))
      << testing::PrintToString(pagix_test::UninstallerTemporaryCopies()) << " left";
}

// Without a temporary folder the uninstaller removes the rest in place and leaves its own file
// and folder, saying so; nothing is left to the next restart, so an installation made into the
// same folder before the restart keeps its uninstaller through it.
TEST_F(RoundTripTest, InPlaceUninstallLeavesNothingForTheRestartToTake) {
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(kDestination, IDNO));
  // The uninstaller cannot copy itself into the temporary folder and works in place.
  const std::string environment =
      pagix_test::EnvironmentWithoutTemporaryFolder("C:\\no such folder");
  ASSERT_TRUE(RunCommand("\"" + kDestination + "\\uninstall.exe\"", &environment));
  HWND question = pagix_test::WaitForUninstallerBox();
  ASSERT_TRUE(question) << "the uninstaller asked nothing";
  pagix_test::PressDialogButton(question, IDYES);
  HWND report = pagix_test::WaitForUninstallerBox(question);
  ASSERT_TRUE(report) << "no closing message";
  EXPECT_EQ(ViewMessageBox(report).Text, "uninstall.exe and its folder " + kDestination +
                                             " remain; you may delete them by hand.");
  pagix_test::PressDialogButton(report, IDOK);
  EXPECT_TRUE(WaitUntil([] { return pagix_test::FindUninstallerBox() == nullptr; }));
  EXPECT_EQ(FolderEntries(kDestination), std::vector<std::string>{"uninstall.exe"});
  EXPECT_FALSE(ReadUninstallEntry().Exists);

  // Installed again into the very folder, then Wine restarts.
  InstallerProcess installer;
  HWND dialog = StartInstalling(installer, kDestination);
  ASSERT_NE(dialog, nullptr);
  AnswerBox(installer, ExpectBox(installer, dialog, kRunPagixNow), IDNO);
  ExpectEndsWithZero(installer);
  EXPECT_TRUE(CloseGroupWindow());
  ASSERT_TRUE(RunCommand("wineboot.exe -r", nullptr, 120000)) << "wineboot -r did not end";
  ExpectInstalled(kDestination);
}

}  // namespace
}  // namespace pagix_e2e
