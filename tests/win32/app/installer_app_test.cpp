// The installer's error report and the launch of the installed program, under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/install_sequence.h"
#include "app/installer_dialog.h"
#include "base/installer_state.h"
#include "tests/support/wine_test_support.h"

using pagix_test::FileExists;
using pagix_test::MessageBoxAnswerer;
using pagix_test::ReadWholeFile;

namespace {

std::string g_probe;  // the launch probe program (a Windows path)

struct ReportCase {
  int AbortBefore;
  std::string Message;
  std::string Detail;
  std::string ExpectedText;
};

TEST(ReportInstallErrorTest, ShowsOneErrorBoxAndSetsAbort) {
  const std::string longDetail(2000, 'd');
  const ReportCase cases[] = {
      {0, "Cannot Create File", "LANG/English.zip", "Cannot Create File : LANG/English.zip"},
      {1, "Program Manager DDE", "execute failed", "Program Manager DDE : execute failed"},
      {0, "Cannot Create Directory", "", "Cannot Create Directory : "},
      // A text longer than the 1024-byte buffer is cut, never overflowed.
      {0, "Cannot Create File", longDetail, "Cannot Create File : " + longDetail.substr(0, 1002)},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.ExpectedText.substr(0, 40));
    g_Installer = InstallerState();
    g_Installer.AbortRequested = c.AbortBefore;
    MessageBoxAnswerer boxes;
    ReportInstallError(nullptr, c.Message.c_str(), c.Detail.c_str());
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Caption, "Pagix 0.9d Install");
    EXPECT_EQ(boxes.Seen()[0].Text, c.ExpectedText);
    EXPECT_EQ(boxes.Seen()[0].Icon, "error");
    EXPECT_EQ(boxes.Seen()[0].Buttons, std::vector<int>{IDOK});
    EXPECT_EQ(g_Installer.AbortRequested, 1);
  }
}

TEST(ProductConstantsTest, TitleAndDefaultDestination) {
  EXPECT_STREQ(InstallerTitle(), "Pagix 0.9d Install");
  EXPECT_STREQ(DefaultDestination(), "C:\\Program Files\\Marrowby\\Pagix");
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Windows asks before it ends the session: the dialog says no only while a run writes, not while
// a box of the installer (which disables the dialog) waits, after a stop or once all is written.
TEST(EndOfSessionTest, IsRefusedOnlyWhileTheRunWrites) {
  struct {
    DWORD Style, ExtendedStyle;
    WORD Count;
    short X, Y, Width, Height;
    WORD Menu, Class, Title;
  } empty = {0, 0, 0, 0, 0, 10, 10, 0, 0, 0};  // a hidden dialog without controls
  HWND dialog = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(&empty),
                                           nullptr, IgnoreEverything, 0);
  ASSERT_TRUE(dialog);
  const struct {
    const char* State;
    int Installing, Aborting, Total;
    BOOL Enabled;
    bool Refused;
  } cases[] = {
      {"idle", 0, 0, 0, TRUE, false},
      {"writing", 1, 0, 40, TRUE, true},
      {"a question waits", 1, 0, 40, FALSE, false},
      {"stopped", 1, 1, 40, TRUE, false},
      {"all written", 1, 0, 100, TRUE, false},
  };
  for (const auto& c : cases) {
    g_Installer = InstallerState();
    g_Installer.Installing = c.Installing;
    g_Installer.AbortRequested = c.Aborting;
    g_Installer.ProgressTotal = c.Total;
    EnableWindow(dialog, c.Enabled);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    const bool refused = InstallerDialogProc(dialog, WM_QUERYENDSESSION, 0, 0) &&
                         GetWindowLongPtrA(dialog, DWLP_MSGRESULT) == FALSE;
    EXPECT_EQ(refused, c.Refused) << c.State;
  }
  g_Installer = InstallerState();
  DestroyWindow(dialog);
}

// A destination with a space, and a program at the place where an unquoted command line would
// look first ("C:\pgx.exe" for "C:\pgx launch\...").
class LaunchProductTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileA(g_probe.c_str(), folder_.Join("Pagix.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(g_probe.c_str(), "C:\\pgx.exe", FALSE));
    g_Installer = InstallerState();
  }
  void TearDown() override {
    DeleteFileA("C:\\pgx.exe");
    DeleteFileA("C:\\launched-pgx.exe");
  }
  void Launch(int ask) {
    LaunchProduct(nullptr, "C:/pgx launch/", "Pagix.exe", "Run Pagix now?", ask);
  }
  // Waits (bounded) for the probe's marker; false when it did not appear in time.
  bool WaitForLaunch() {
    return pagix_test::WaitUntil([this] { return FileExists(marker_); }, 10000);
  }
  // What the probe wrote: the folder it was started in, and who started it.
  struct Launched {
    std::string Folder;
    std::string Parent;  // in lower case
  };
  Launched ReadLaunch() const {
    const std::vector<unsigned char> bytes = ReadWholeFile(marker_);
    const std::string text(bytes.begin(), bytes.end());
    const size_t lineEnd = text.find('\n');
    return {text.substr(0, lineEnd),
            lineEnd == std::string::npos ? "" : pagix_test::Lower(text.substr(lineEnd + 1))};
  }
  const pagix_test::RootFolder folder_{"pgx launch"};
  const std::string marker_ = folder_.Join("launched-Pagix.exe");
};

TEST_F(LaunchProductTest, YesStartsTheProgramInTheDestination) {
  MessageBoxAnswerer boxes({IDYES});
  Launch(1);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Caption, "Pagix 0.9d Install");
  EXPECT_EQ(boxes.Seen()[0].Text, "Run Pagix now?");
  EXPECT_EQ(boxes.Seen()[0].Icon, "question");
  EXPECT_EQ(boxes.Seen()[0].Buttons, (std::vector<int>{IDYES, IDNO}));
  ASSERT_TRUE(WaitForLaunch());
  const Launched launched = ReadLaunch();
  EXPECT_EQ(launched.Folder, "C:\\pgx launch");
  // Started by the desktop's shell, as the desktop's user, not by the (elevated) installer.
  EXPECT_EQ(launched.Parent, "explorer.exe");
  // The path never reaches the program at "C:\pgx.exe".
  EXPECT_FALSE(FileExists("C:\\launched-pgx.exe"));
  EXPECT_EQ(g_Installer.AbortRequested, 0);
}

TEST_F(LaunchProductTest, WithoutTheQuestionTheProgramStartsAtOnce) {
  MessageBoxAnswerer boxes;
  Launch(0);
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_TRUE(WaitForLaunch());
}

DWORD WINAPI LaunchFromDesktopWithoutShell(void*) {
  HDESK desktop = CreateDesktopA("pgx-no-shell", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (!desktop || !SetThreadDesktop(desktop)) return 1;
  LaunchProduct(nullptr, "C:/pgx launch/", "Pagix.exe", "Run Pagix now?", 0);
  return 0;
}

// Where no desktop shell runs (here: the caller's desktop is one of its own), the installer does
// not ask for the shell's window list, which could start an Explorer, and starts the program
// itself.
TEST_F(LaunchProductTest, WithoutTheShellTheInstallerStartsTheProgram) {
  HANDLE thread = CreateThread(nullptr, 0, LaunchFromDesktopWithoutShell, nullptr, 0, nullptr);
  ASSERT_TRUE(thread);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD entered = 99;
  GetExitCodeThread(thread, &entered);
  CloseHandle(thread);
  EXPECT_EQ(entered, 0u);
  ASSERT_TRUE(WaitForLaunch());
  const Launched launched = ReadLaunch();
  EXPECT_EQ(launched.Folder, "C:\\pgx launch");
  char self[MAX_PATH];
  const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  EXPECT_EQ(launched.Parent, pagix_test::Lower(path.substr(path.rfind('\\') + 1)));
  EXPECT_FALSE(FileExists("C:\\launched-pgx.exe"));
}

TEST_F(LaunchProductTest, NoOrAbortStartsNothing) {
  {
    MessageBoxAnswerer boxes({IDNO});
    Launch(1);
    EXPECT_EQ(boxes.Seen().size(), 1u);
  }
  {
    g_Installer.AbortRequested = 1;
    MessageBoxAnswerer boxes;
    Launch(1);
    EXPECT_TRUE(boxes.Seen().empty());
  }
  // Anything started would have written its marker long before a later start finishes: start
  // the probe once more directly and wait for that one to prove the others never ran.
  const pagix_test::Process probe = pagix_test::StartProcess("\"C:\\pgx.exe\"", "C:\\");
  ASSERT_TRUE(probe.Handle);
  pagix_test::WaitForExit(probe.Handle, 10000);
  EXPECT_TRUE(FileExists("C:\\launched-pgx.exe"));
  EXPECT_FALSE(FileExists(marker_));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  g_probe = pagix_test::PathArgument(argc, argv, "--probe=");
  return RUN_ALL_TESTS();
}
