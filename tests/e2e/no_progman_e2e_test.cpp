// The real PagixSetup.exe where no Program Manager answers: this program and the installer run
// on a window station and desktop of their own, which the shell's DDE server cannot see.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

constexpr char kPrivateName[] = "PagixE2eNoProgman";

TEST(NoProgramManagerTest, ReportsTheLinkThenWritesEveryFileAndStopsAtTheGroup) {
  RootFolder root("pgx-e2e-noprogman");
  const std::string destination = root.Join("Pagix");
  RemoveInstallation("");

  InstallerProcess installer;
  std::string error;
  ASSERT_TRUE(installer.Start(Settings().Setup, Settings().Desktop, &error)) << error;

  // The report comes from the dialog's initialisation, before the dialog is shown.
  HWND noLink = installer.WaitForMessageBox(&error);
  ASSERT_NE(noLink, nullptr) << error;
  HWND dialog = installer.FindDialog(false);
  ASSERT_NE(dialog, nullptr) << installer.DescribeWindows();
  EXPECT_FALSE(IsWindowVisible(dialog)) << "the dialog showed before the DDE report";
  BoxView view = ViewMessageBox(noLink);
  EXPECT_EQ(view.Caption, kInstallerTitle);
  EXPECT_EQ(view.Text, "Cannot establish DDE link : Program Manager.");
  EXPECT_TRUE(view.Icon == "error" || view.Icon == "unknown") << view.Icon;
  EXPECT_EQ(ButtonNames(view.Buttons), "OK");
  EXPECT_EQ(view.Owner, dialog);
  AnswerBox(installer, noLink, IDOK);

  // The installer stays usable: the dialog opens with Install enabled.
  ASSERT_EQ(installer.WaitForDialog(&error), dialog) << error;
  EXPECT_TRUE(InstallControlsEnabled(dialog));
  ASSERT_TRUE(SetFieldText(dialog, destination));
  Press(dialog, IDOK);
  HWND ask = ExpectBox(installer, dialog, kCreateDestination);
  ASSERT_NE(ask, nullptr);
  AnswerBox(installer, ask, IDOK);

  HWND failed =
      ExpectBox(installer, dialog, {"Program Manager DDE : execute failed", "error", kOkOnly});
  ASSERT_NE(failed, nullptr);
  // Every file is written before the group step.
  for (const std::string& problem : CompareInstalledFiles(destination, Settings().ProductDir)) {
    ADD_FAILURE() << problem;
  }
  AnswerBox(installer, failed, IDOK);

  // No uninstall entry and no launch question follow; the dialog stays open.
  ExpectIdleAgain(installer, dialog);
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(pagix_test::DirectoryExists(ProgramsGroupFolder()));

  Press(dialog, IDCANCEL);
  ExpectEndsWithZero(installer);
  RemoveInstallation("");
}

}  // namespace
}  // namespace pagix_e2e

int main(int argc, char** argv) {
  // The installer is started on this desktop too, where nobody answers the "PROGMAN" initiate,
  // and this program must see its windows there.
  return pagix_test::RunTestsOnPrivateDesktop(
      pagix_e2e::kPrivateName, argc, argv, [](int n, char** v) {
        pagix_e2e::ParseSettings(n, v);
        pagix_e2e::Settings().Desktop =
            std::string(pagix_e2e::kPrivateName) + "\\" + pagix_e2e::kPrivateName;
      });
}
