// The whole life of an installation: the real installer installs Pagix, Pagix runs, and the
// command of the Add/Remove Programs entry removes it again without a trace, also in the
// temporary folder.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

const char kUninstallCaption[] = "Pagix 0.9d Uninstall";
const char kRemoveQuestion[] = "Remove Pagix 0.9d and all of its components?";
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

// Runs a command line as the shell runs an uninstall command, without waiting for it.
bool RunCommand(std::string command) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

TEST_F(RoundTripTest, InstallRunAndUninstallLeaveNothing) {
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(kDestination, IDYES));

  // Pagix itself runs from the new folder.
  HWND pagix = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (pagix = FindTopLevel(kProductWindowTitle)) != nullptr; }));
  EXPECT_EQ(CloseWindowsCaptioned(kProductWindowTitle, true), 1);

  // The Add/Remove Programs entry's command, as the shell would run it.
  UninstallEntry entry = ReadUninstallEntry();
  ASSERT_TRUE(entry.Exists);
  ASSERT_TRUE(RunCommand(entry.UninstallString)) << entry.UninstallString;
  HWND question = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    question = FindWindowA("#32770", kUninstallCaption);
    return question && IsWindowVisible(question);
  })) << "the uninstaller asked nothing";
  BoxView view = ViewMessageBox(question);
  EXPECT_EQ(view.Text, kRemoveQuestion);
  pagix_test::PressDialogButton(question, IDYES);

  EXPECT_TRUE(WaitUntil([] { return !pagix_test::DirectoryExists(kDestination); }))
      << "left behind: " << testing::PrintToString(FolderEntries(kDestination));
  EXPECT_TRUE(WaitUntil([] { return !ReadUninstallEntry().Exists; }));
  EXPECT_TRUE(WaitUntil([] { return !pagix_test::DirectoryExists(GroupFolder()); }));
  // The uninstaller ends by itself, with no box left open, and its copy's file goes with it.
  EXPECT_TRUE(WaitUntil([] { return FindWindowA("#32770", kUninstallCaption) == nullptr; }));
  EXPECT_TRUE(WaitUntil([] { return TemporaryCopies() == 0; }))
      << TemporaryCopies() << " temporary copies left";
}

}  // namespace
}  // namespace pagix_e2e
