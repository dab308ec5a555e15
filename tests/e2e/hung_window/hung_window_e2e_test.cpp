// The real installer and uninstaller while a top-level window of another program has stopped
// answering messages: both still find the shell's Program Manager, and neither waits for the
// window that does not answer. And the launch after "Run Pagix now?" while the shell hangs.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "app/desktop_launch.h"
#include "tests/e2e/e2e_scenario.h"
#include "tests/support/parent_process.h"
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

// Holds every thread of the desktop's process (the desktop window's owner, which also serves the
// shell's window list), as when Explorer hangs, or lets them go again.
void HoldDesktop(bool hold) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {sizeof entry, 0, 0, 0, 0, 0, 0};
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_CONTROL;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != ProcessOf(GetDesktopWindow())) continue;
    HANDLE thread = OpenThread(THREAD_ALL_ACCESS, FALSE, entry.th32ThreadID);
    // Reading the context waits until the suspension has taken effect.
    if (hold && SuspendThread(thread) != ~0u) GetThreadContext(thread, &context);
    if (!hold) ResumeThread(thread);
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
}

class HungWindowTest : public testing::Test {
 protected:
  void SetUp() override { RemoveInstallation(kDestination, kParent); }
  void TearDown() override {
    HoldDesktop(false);  // also after a failed check
    RemoveInstallation(kDestination, kParent);
  }
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

// Yes while the desktop's shell hangs: the installer starts Pagix itself and ends, and the shell,
// running again, starts no second one.
TEST_F(HungWindowTest, YesWhileTheShellHangsStartsPagixOnceAndEnds) {
  InstallerProcess installer;
  HWND dialog = StartInstalling(installer, kDestination);
  ASSERT_NE(dialog, nullptr);
  AnswerBox(installer, ExpectBox(installer, dialog, kCreateDestination), IDOK);
  HWND launch = ExpectBox(installer, dialog, kRunPagixNow);
  ASSERT_NE(launch, nullptr);
  HoldDesktop(true);
  AnswerBox(installer, launch, IDYES);
  std::string error;
  ASSERT_TRUE(installer.WaitForExit(nullptr, &error, kShellLaunchWaitMs + 3000)) << error;
  HoldDesktop(false);
  // Started by a process that has ended (the installer), not by the shell.
  HWND product = WaitForWindow([] { return FindTopLevel(kProductWindowTitle); });
  ASSERT_TRUE(product);
  char parent[MAX_PATH];
  pagix_test::FindParentProcessName(ProcessOf(product), parent, MAX_PATH);
  EXPECT_STREQ(parent, "");
  EXPECT_EQ(CloseWindowsCaptioned(kProductWindowTitle, true), 1);
}

}  // namespace
}  // namespace pagix_e2e
