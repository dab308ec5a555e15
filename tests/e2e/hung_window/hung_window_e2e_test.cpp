// The real installer and uninstaller while a top-level window of another program has stopped
// answering messages: both still find the shell's Program Manager, and neither waits for the
// window that does not answer.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

const std::string kParent = "C:\\pgx-hung";
const std::string kDestination = kParent + "\\Pagix";

// A hidden top-level window (hidden, so that nothing here reads its caption, which would take a
// message) whose thread stops pumping messages once the window is made, like the window of a
// program that has stopped answering. The thread is released, and the window goes with it, when
// the object goes.
struct HungWindow {
  HANDLE Release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> Window{nullptr};
  HANDLE Thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);

  ~HungWindow() {
    SetEvent(Release);
    WaitForSingleObject(Thread, kWaitMs);
    CloseHandle(Thread);
    CloseHandle(Release);
  }
  static DWORD WINAPI Run(void* context) {
    HungWindow* self = static_cast<HungWindow*>(context);
    self->Window = CreateWindowA("STATIC", "hung", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    WaitForSingleObject(self->Release, INFINITE);
    return 0;
  }
};

class HungWindowTest : public testing::Test {
 protected:
  void SetUp() override { RemoveInstallation(kDestination, kParent); }
  void TearDown() override { RemoveInstallation(kDestination, kParent); }
};

TEST_F(HungWindowTest, InstallAndUninstallStillReachProgramManager) {
  HungWindow hung;
  ASSERT_TRUE(WaitUntil([&] { return hung.Window != nullptr; }));
  ASSERT_FALSE(SendMessageTimeoutA(hung.Window, WM_NULL, 0, 0, SMTO_NORMAL, 100, nullptr))
      << "the window answers";

  // The dialog appears (its initialisation has broadcast the initiate) and the group is made.
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder(kDestination, IDNO));

  // The uninstaller, started as the user starts it, asks and then removes the group as well.
  InstallerProcess uninstaller;
  std::string error;
  ASSERT_TRUE(uninstaller.Start(kDestination + "\\uninstall.exe", "", &error)) << error;
  HWND question = pagix_test::WaitForUninstallerBox();
  ASSERT_TRUE(question) << "the uninstaller asked nothing";
  ASSERT_NO_FATAL_FAILURE(ConfirmCompleteUninstall(question));
  EXPECT_TRUE(WaitUntil([] { return !pagix_test::DirectoryExists(ProgramsGroupFolder()); }))
      << "the group is still there";
  EXPECT_TRUE(WaitUntil([] { return !ReadUninstallEntry().Exists; }));
  EXPECT_TRUE(WaitUntil([] { return !pagix_test::DirectoryExists(kDestination); }));
  EXPECT_TRUE(WaitUntil([] { return pagix_test::FindUninstallerBox() == nullptr; }))
      << "the uninstaller left a message open";
}

}  // namespace
}  // namespace pagix_e2e
