// The DDE client against the shell's own Program Manager server of the Wine session.
#include <dde.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <string.h>

#include <string>

#include "base/installer_state.h"
#include "base/manifest.h"
#include "shell/progman_dde.h"
#include "tests/support/installation_support.h"
#include "tests/support/wine_test_support.h"
#include "tests/win32/shell/dde_test_support.h"

namespace {

using pagix_test::FileExists;
using pagix_test::MessageBoxAnswerer;
using shell_test::PumpUntil;

// The shell starts processes of its own (its desktop, a folder window); they get more time than
// the test's own messages.
const DWORD kShellBoundMs = 20000;

// The target path stored in a shell link file, or "" when it cannot be read.
std::string LinkTarget(const std::string& linkPath) {
  std::string target;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return target;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    std::wstring wide(linkPath.begin(), linkPath.end());
    char path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH))) {
      target = path;
    }
    file->Release();
  }
  link->Release();
  return target;
}

// Removes the group folder before and after the test, so every run starts clean.
struct GroupFolder {
  explicit GroupFolder(std::string path) : Path(std::move(path)) { pagix_test::RemoveTree(Path); }
  ~GroupFolder() { pagix_test::RemoveTree(Path); }
  std::string Path;
};

TEST(ProgmanRealServer, DefaultGroupStepCreatesTheGroupWithTwoShortcuts) {
  ASSERT_FALSE(pagix_test::UserProgramsFolder().empty());
  GroupFolder group(pagix_test::ProgramsGroupFolder());

  // The items point at files that exist, as they do once the installer has extracted them.
  pagix_test::ScratchFolder scratch("progman");
  ASSERT_TRUE(pagix_test::WriteWholeFile(scratch.Join(kProgramFileName), {'M', 'Z'}));
  ASSERT_TRUE(pagix_test::WriteWholeFile(scratch.Join(kUninstallerFileName), {'M', 'Z'}));

  g_Installer = {};
  HWND client = shell_test::CreateClientWindow("client");
  ASSERT_TRUE(client);
  // The first window may have started the shell's desktop process; wait until its DDE server
  // is up before the one broadcast.
  PumpUntil([] { return FindWindowA("WineDdeServerName", nullptr) != nullptr; }, kShellBoundMs);

  MessageBoxAnswerer boxes;
  ProgmanConnect(client);
  ASSERT_TRUE(g_Installer.Progman.Server);
  DWORD serverProcess = 0;
  GetWindowThreadProcessId(g_Installer.Progman.Server, &serverProcess);
  EXPECT_NE(GetCurrentProcessId(), serverProcess);

  const std::string destination = scratch.AsDestination();
  ProgmanCreateGroup(client, kProgmanGroupName, destination.c_str(), kGroupItemFiles,
                     kGroupItemTitles, kGroupItemCount);
  EXPECT_EQ(WM_DDE_EXECUTE, g_Installer.Progman.State);
  ASSERT_TRUE(PumpUntil([] { return g_Installer.Progman.State == 0; }, kShellBoundMs));
  EXPECT_EQ(1, shell_test::g_Client.ExecuteAcks);
  DDEACK status;
  const WORD statusWord = static_cast<WORD>(shell_test::g_Client.LastAckStatus);
  memcpy(&status, &statusWord, sizeof status);
  EXPECT_TRUE(status.fAck);

  const std::string programLink = group.Path + "\\" + kProgramItemTitle + ".lnk";
  const std::string uninstallerLink = group.Path + "\\" + kUninstallerItemTitle + ".lnk";
  EXPECT_TRUE(PumpUntil([&] { return FileExists(programLink) && FileExists(uninstallerLink); },
                        kShellBoundMs));
  EXPECT_STRCASEEQ(scratch.Join(kProgramFileName).c_str(), LinkTarget(programLink).c_str());
  EXPECT_STRCASEEQ(scratch.Join(kUninstallerFileName).c_str(), LinkTarget(uninstallerLink).c_str());

  // CreateGroup opens a folder window on the group; close it so the session can end. The
  // client window's messages are pumped meanwhile, as in the rest of the test.
  HWND folderWindow = nullptr;
  EXPECT_TRUE(
      PumpUntil([&] { return (folderWindow = FindWindowA(nullptr, kProgmanGroupName)) != nullptr; },
                kShellBoundMs));
  if (folderWindow) PostMessageA(folderWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(
      PumpUntil([] { return FindWindowA(nullptr, kProgmanGroupName) == nullptr; }, kShellBoundMs));

  ProgmanDisconnect(client);
  pagix_test::DrainQueue();
  EXPECT_EQ(nullptr, g_Installer.Progman.Server);
  EXPECT_TRUE(boxes.Seen().empty());
  DestroyWindow(client);
}

}  // namespace

int main(int argc, char** argv) {
  CoInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
