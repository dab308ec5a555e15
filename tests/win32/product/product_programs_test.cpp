// Pagix.exe and uninstall.exe as they run after an installation: the built product files are laid
// out as the installer lays them out, with the uninstall entry and the Program Manager group of
// the Wine session's own shell, and the programs run as processes of their own.
#include <gtest/gtest.h>
#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "base/manifest.h"
#include "product/pagix/pagix_resource.h"
#include "shell/progman_commands.h"
#include "shell/progman_execute.h"
#include "shell/uninstall_entry.h"
#include "tests/support/installation_support.h"
#include "tests/support/wine_test_support.h"

namespace {

using pagix_test::Backslashed;
using pagix_test::CloseGroupWindow;
using pagix_test::DescribeMessageBox;
using pagix_test::DirectoryExists;
using pagix_test::FileExists;
using pagix_test::FolderEntries;
using pagix_test::kUninstallKey;
using pagix_test::PressDialogButton;
using pagix_test::Process;
using pagix_test::ProgramsGroupFolder;
using pagix_test::ReadWholeFile;
using pagix_test::ScratchFolder;
using pagix_test::SeenBox;
using pagix_test::StartProcess;
using pagix_test::UninstallerTemporaryCopies;
using pagix_test::WaitForExit;
using pagix_test::WaitForUninstallerBox;
using pagix_test::WaitForWindow;
using pagix_test::WaitUntil;

std::string g_tree;  // the build's product tree, as a Windows path

bool UninstallKeyExists() { return pagix_test::RegistryKeyExists(kUninstallKey); }

// The closing message of a complete removal.
const std::string kRemoved =
    std::string(kUninstallDisplayName) + " was removed from your computer.";

// A sub-key that another program keeps below the entry's key.
const std::string kForeignSubKey = std::string(kUninstallKey) + "\\Other";

// Every value of the entry, with the name and command that matter here.
void WriteUninstallKey(const std::string& uninstallCommand) {
  for (const char* name : kUninstallEntryValueNames)
    ASSERT_TRUE(pagix_test::WriteRegistryText(kUninstallKey, name, "1")) << name;
  ASSERT_TRUE(pagix_test::WriteRegistryText(kUninstallKey, "DisplayName", kUninstallDisplayName));
  ASSERT_TRUE(pagix_test::WriteRegistryText(kUninstallKey, "UninstallString", uninstallCommand));
}

// The files the system is to rename or delete at the next restart.
std::string PendingRenames() {
  HKEY key;
  std::string text;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return text;
  DWORD size = 0;
  RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size);
  std::vector<char> value(size + 2);
  if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(value.data()), &size) == ERROR_SUCCESS) {
    for (DWORD i = 0; i < size; ++i) text += value[i] ? value[i] : '\n';
  }
  RegCloseKey(key);
  return text;
}

// An installed Pagix below a scratch folder: the destination has a space in its name, like the
// default destination.
class InstalledPagix : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(g_tree.empty()) << "the product tree is given with --tree=";
    destination_ = scratch_.Join("Pagix 0.9d");
    LayOut();
  }
  // The installed files, as the installer lays them out.
  void LayOut() {
    ASSERT_TRUE(CreateDirectoryA(destination_.c_str(), nullptr));
    for (const char* folder : kSubFolderNames)
      ASSERT_TRUE(CreateDirectoryA(Path(folder).c_str(), nullptr)) << folder;
    for (const PayloadManifestRow& row : kInstallManifest) {
      const std::string from = g_tree + "\\" + Backslashed(row.RelativePath);
      ASSERT_TRUE(CopyFileA(from.c_str(), Path(row.RelativePath).c_str(), FALSE)) << from;
    }
  }
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kForeignSubKey.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    pagix_test::RemoveTree(ProgramsGroupFolder());
  }

  std::string Path(const std::string& relative) const {
    return destination_ + "\\" + Backslashed(relative);
  }

  // The entry names the folder as spelt here; the uninstaller compares folders, not texts.
  void Register(const std::string& spelling = "") {
    WriteUninstallKey("\"" + (spelling.empty() ? destination_ : spelling) + "\\" +
                      kUninstallerFileName + "\"");
    pagix_test::RemoveTree(ProgramsGroupFolder());
    std::vector<char> commands(ProgmanCommandBlockSize(kProgmanGroupName, destination_.c_str(),
                                                       kGroupItemFiles, kGroupItemTitles,
                                                       kGroupItemCount));
    FormatProgmanCommands(commands.data(), commands.size(), kProgmanGroupName, destination_.c_str(),
                          kGroupItemFiles, kGroupItemTitles, kGroupItemCount);
    ASSERT_EQ(ProgmanExecute(commands.data(), 10000), kProgmanAccepted);
    CloseGroupWindow();
    ASSERT_TRUE(DirectoryExists(ProgramsGroupFolder()));
    ASSERT_TRUE(UninstallKeyExists());
  }

  // Starts uninstall.exe (of folder, by default the installation's) as Add/Remove Programs does
  // and waits for its question, which the copy in the temporary folder asks.
  HWND StartUninstaller(const std::string& folder = "") {
    const std::string from = folder.empty() ? destination_ : folder;
    Process original = StartProcess("\"" + from + "\\" + kUninstallerFileName + "\"", from);
    EXPECT_TRUE(original.Handle);
    if (!original.Handle) return nullptr;
    original_id_ = original.Id;
    EXPECT_EQ(WaitForExit(original.Handle), 0) << "the original hands over to its copy and ends";
    HWND box = WaitForUninstallerBox();
    EXPECT_TRUE(box) << "no question from the uninstaller";
    if (!box) return nullptr;
    const SeenBox seen = DescribeMessageBox(box);
    EXPECT_EQ(seen.Text, "Remove Pagix 0.9d and all of its components?");
    // The kind of icon cannot be told from another process's handle; that there is one can.
    EXPECT_NE(seen.Icon, "none");
    EXPECT_EQ(seen.Buttons, (std::vector<int>{IDYES, IDNO}));
    DWORD copy_id = 0;
    GetWindowThreadProcessId(box, &copy_id);
    EXPECT_NE(copy_id, original_id_) << "the question comes from the copy";
    copy_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, copy_id);
    EXPECT_TRUE(copy_);
    return box;
  }

  // Starts the uninstaller, answers Yes, and reads and closes its closing message.
  SeenBox ConfirmAndReadReport() {
    HWND box = StartUninstaller();
    if (!box) return SeenBox();
    PressDialogButton(box, IDYES);
    HWND report = WaitForUninstallerBox(box);
    EXPECT_TRUE(report) << "no closing message";
    if (!report) return SeenBox();
    const SeenBox seen = DescribeMessageBox(report);
    PressDialogButton(report, IDOK);
    return seen;
  }

  // After Yes: waits for the copy to end and checks that no copy is left in the temporary folder.
  long FinishCopy() {
    const long code = WaitForExit(copy_);
    EXPECT_EQ(UninstallerTemporaryCopies(), std::vector<std::string>()) << "a copy was left behind";
    return code;
  }

  void ExpectEverythingInstalled() {
    for (const PayloadManifestRow& row : kInstallManifest)
      EXPECT_TRUE(FileExists(Path(row.RelativePath))) << row.RelativePath;
    EXPECT_TRUE(DirectoryExists(ProgramsGroupFolder()));
    EXPECT_TRUE(UninstallKeyExists());
  }

  void ExpectFilesGone() {
    for (const PayloadManifestRow& row : kInstallManifest)
      EXPECT_FALSE(FileExists(Path(row.RelativePath))) << row.RelativePath;
  }

  ScratchFolder scratch_{"product"};
  std::string destination_;
  DWORD original_id_ = 0;
  HANDLE copy_ = nullptr;
};

TEST_F(InstalledPagix, YesRemovesFilesFoldersGroupAndEntry) {
  // Spelt otherwise, as the installer's normalised destination is: still this folder.
  std::string spelling = scratch_.Path() + "/Elsewhere/../Pagix 0.9d";
  for (char& c : spelling) c = c == '\\' ? '/' : c;
  Register(spelling);
  EXPECT_EQ(ConfirmAndReadReport().Text, kRemoved);
  EXPECT_EQ(FinishCopy(), 0);
  ExpectFilesGone();
  for (const char* folder : kSubFolderNames) EXPECT_FALSE(DirectoryExists(Path(folder))) << folder;
  EXPECT_FALSE(DirectoryExists(destination_));
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
  EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(InstalledPagix, ChangedFilesAndTheUsersShortcutStay) {
  Register();
  // The user edited one file, replaced a picture with their own and added a shortcut.
  const std::vector<unsigned char> edited = {'m', 'i', 'n', 'e'};
  ASSERT_TRUE(pagix_test::WriteWholeFile(Path("Pagix.def"), edited));
  ASSERT_TRUE(pagix_test::WriteWholeFile(Path("SKINS/Back.jpg"), edited));
  const std::string shortcut = ProgramsGroupFolder() + "\\Notes.lnk";
  ASSERT_TRUE(pagix_test::WriteWholeFile(shortcut, edited));
  const SeenBox seen = ConfirmAndReadReport();
  EXPECT_EQ(seen.Text, kRemoved +
                           "\n\nThese files were changed after the installation and are kept:\n\n" +
                           Path("Pagix.def") + "\n" + Path("SKINS/Back.jpg") + "\n");
  EXPECT_EQ(FinishCopy(), 0);
  EXPECT_EQ(ReadWholeFile(Path("Pagix.def")), edited);
  EXPECT_EQ(ReadWholeFile(Path("SKINS/Back.jpg")), edited);
  EXPECT_FALSE(FileExists(Path(kProgramFileName)));
  // Only our two items left the group; the user's shortcut keeps it.
  EXPECT_EQ(FolderEntries(ProgramsGroupFolder()), std::vector<std::string>{"Notes.lnk"});
  EXPECT_FALSE(UninstallKeyExists());
  // Removing the items one by one opens the group's window.
  CloseGroupWindow();
}

// A temporary copy left behind and started by hand takes no other folder for the installation:
// the files in the temporary folder, even byte-identical ones, stay.
TEST_F(InstalledPagix, ALeftoverCopyStartedByHandRemovesNothing) {
  Register();
  char tempText[MAX_PATH];
  GetTempPathA(sizeof tempText, tempText);
  const std::string temp = tempText;
  const std::string leftover = temp + "pagix-uninstall-7-0.exe";
  ASSERT_TRUE(CopyFileA(Path(kUninstallerFileName).c_str(), leftover.c_str(), FALSE));
  const std::vector<std::string> decoys = {"Pagix.def", "SKINS\\Back.jpg", "Pagix.exe"};
  CreateDirectoryA((temp + "SKINS").c_str(), nullptr);
  for (const std::string& decoy : decoys)
    ASSERT_TRUE(CopyFileA(Path(decoy).c_str(), (temp + decoy).c_str(), FALSE)) << decoy;

  // Without arguments, and with the temporary folder handed over as if by an original.
  const std::string folder = temp.substr(0, temp.size() - 1);
  for (const std::string& arguments : {std::string(), " /copy 1 \"" + folder + "\""}) {
    Process copy = StartProcess("\"" + leftover + "\"" + arguments, temp);
    ASSERT_TRUE(copy.Handle);
    HWND box = WaitForUninstallerBox();
    ASSERT_TRUE(box) << arguments;
    EXPECT_EQ(DescribeMessageBox(box).Text, "No Pagix installation in " + folder);
    PressDialogButton(box, IDOK);
    EXPECT_EQ(WaitForExit(copy.Handle), 4);
    ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
  }
  for (const std::string& decoy : decoys) {
    EXPECT_TRUE(FileExists(temp + decoy)) << decoy;
    DeleteFileA((temp + decoy).c_str());
  }
  RemoveDirectoryA((temp + "SKINS").c_str());
  ExpectEverythingInstalled();
  // The next run removes the leftover copy.
  HWND question = StartUninstaller();
  ASSERT_TRUE(question);
  EXPECT_FALSE(FileExists(leftover));
  PressDialogButton(question, IDNO);
  EXPECT_EQ(WaitForExit(copy_), 1);
  EXPECT_EQ(UninstallerTemporaryCopies(), std::vector<std::string>());
}

// uninstall.exe copied to another folder asks nothing and removes nothing, itself included (nor
// a copy that an earlier run left in the temporary folder), unless the folder holds an
// installation: the entry names it, or another installed file there is still as installed (a
// changed one is not: see the removal plan's tests).
TEST_F(InstalledPagix, ACopyWhereNothingIsInstalledSaysSoAndRemovesNothing) {
  struct Case {
    const char* Beside;  // an installed file copied beside it
    bool Entry;          // the entry names the folder
    bool Holds;
  };
  const Case cases[] = {
      {nullptr, false, false},
      {"Pagix.def", false, true},
      {nullptr, true, true},
  };
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string leftover = "pagix-uninstall-7-0.exe";
  ASSERT_TRUE(CopyFileA(Path(kUninstallerFileName).c_str(), (temp + leftover).c_str(), FALSE));
  int number = 0;
  for (const Case& c : cases) {
    const std::string folder = scratch_.Join("copy " + std::to_string(++number));
    SCOPED_TRACE(folder);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string copy = folder + "\\" + kUninstallerFileName;
    ASSERT_TRUE(CopyFileA(Path(kUninstallerFileName).c_str(), copy.c_str(), FALSE));
    if (c.Beside) {
      ASSERT_TRUE(CopyFileA(Path(c.Beside).c_str(), (folder + "\\" + c.Beside).c_str(), FALSE));
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    if (c.Entry) {
      ASSERT_NO_FATAL_FAILURE(WriteUninstallKey("\"" + copy + "\""));
    }
    const std::vector<std::string> before = FolderEntries(folder);
    if (c.Holds) {
      HWND question = StartUninstaller(folder);
      ASSERT_TRUE(question);
      PressDialogButton(question, IDNO);
      EXPECT_EQ(WaitForExit(copy_), 1);
    } else {
      Process started = StartProcess("\"" + copy + "\"", folder);
      ASSERT_TRUE(started.Handle);
      HWND box = WaitForUninstallerBox();
      ASSERT_TRUE(box);
      EXPECT_EQ(DescribeMessageBox(box).Text, "No Pagix installation in " + folder);
      PressDialogButton(box, IDOK);
      EXPECT_EQ(WaitForExit(started.Handle), 4);
      ASSERT_TRUE(WaitUntil([box] { return !IsWindow(box); }));
    }
    EXPECT_EQ(FolderEntries(folder), before);
    // A run that goes ahead removes the leftover copy.
    EXPECT_EQ(UninstallerTemporaryCopies(),
              c.Holds ? std::vector<std::string>() : std::vector<std::string>{leftover});
  }
}

TEST_F(InstalledPagix, AUsersOwnFileStaysWithItsFolder) {
  Register();
  const std::string notes = Path("SKINS/my notes.txt");
  ASSERT_TRUE(pagix_test::WriteWholeFile(notes, {'m', 'i', 'n', 'e'}));
  ConfirmAndReadReport();
  EXPECT_EQ(FinishCopy(), 0) << "a kept folder is no failure";
  ExpectFilesGone();
  EXPECT_EQ(ReadWholeFile(notes), (std::vector<unsigned char>{'m', 'i', 'n', 'e'}));
  EXPECT_TRUE(DirectoryExists(Path("SKINS")));
  EXPECT_TRUE(DirectoryExists(destination_));
  for (const char* folder : {"DICTIONARY", "PF1", "PGN", "LANG"})
    EXPECT_FALSE(DirectoryExists(Path(folder))) << folder;
  EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(InstalledPagix, NoChangesNothing) {
  Register();
  HWND box = StartUninstaller();
  ASSERT_TRUE(box);
  PressDialogButton(box, IDNO);
  EXPECT_EQ(WaitForExit(copy_), 1);
  ExpectEverythingInstalled();
  EXPECT_TRUE(FileExists(Path(kUninstallerFileName)));
}

// The file in use keeps the entry and the uninstaller with it, for another run.
TEST_F(InstalledPagix, AFileInUseIsNamedInOneMessageAndTheRestIsRemoved) {
  Register();
  const std::string busy = Path("Pagix.def");
  HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const SeenBox seen = ConfirmAndReadReport();
  EXPECT_NE(seen.Icon, "none");
  EXPECT_EQ(seen.Buttons, std::vector<int>{IDOK});
  EXPECT_NE(seen.Text.find(busy + " (in use)"), std::string::npos) << seen.Text;
  EXPECT_EQ(seen.Text.find("Pagix.exe"), std::string::npos) << "only the failure is listed";
  EXPECT_NE(seen.Text.find(std::string(kUninstallerFileName) + " stays"), std::string::npos);
  EXPECT_EQ(FinishCopy(), 2);
  CloseHandle(held);
  for (const PayloadManifestRow& row : kInstallManifest) {
    const std::string name = row.RelativePath;
    const bool stays = name == "Pagix.def" || name == kUninstallerFileName;
    EXPECT_EQ(FileExists(Path(name)), stays) << name;
  }
  EXPECT_FALSE(DirectoryExists(Path("SKINS")));
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
  EXPECT_TRUE(UninstallKeyExists());
}

TEST_F(InstalledPagix, AnEntryOfAnotherInstallationIsLeftAlone) {
  // A later installation elsewhere has taken over the entry (and the group's items); an entry
  // longer than the uninstaller reads is not one an installer of ours wrote either.
  const std::string elsewhere = "C:/Program Files/Marrowby/Elsewhere/uninstall.exe";
  for (const std::string& command :
       {elsewhere, "\"" + elsewhere + "\" /log=" + std::string(2000, 'x')}) {
    if (!DirectoryExists(destination_)) {
      ASSERT_NO_FATAL_FAILURE(LayOut());
    }
    Register();
    WriteUninstallKey(command);
    ConfirmAndReadReport();
    EXPECT_EQ(WaitForExit(copy_), 0);
    ExpectFilesGone();
    EXPECT_TRUE(UninstallKeyExists()) << command.size();
    EXPECT_TRUE(DirectoryExists(ProgramsGroupFolder())) << command.size();
  }
}

// Another program keeps a value or a sub-key of its own in the entry's key: the entry's values
// go, the key stays with the rest, and the removal is complete.
TEST_F(InstalledPagix, AKeyThatHoldsMoreLosesOnlyTheEntrysValues) {
  for (const bool subKey : {false, true}) {
    SCOPED_TRACE(subKey ? "sub-key" : "value");
    if (!DirectoryExists(destination_)) {
      ASSERT_NO_FATAL_FAILURE(LayOut());
    }
    Register();
    const std::string foreign = subKey ? kForeignSubKey : kUninstallKey;
    ASSERT_TRUE(pagix_test::WriteRegistryText(foreign, "Comments", "not Pagix's"));
    ConfirmAndReadReport();
    EXPECT_EQ(FinishCopy(), 0);
    ExpectFilesGone();
    EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
    EXPECT_EQ(pagix_test::RegistryValueNames(kUninstallKey),
              subKey ? std::vector<std::string>() : std::vector<std::string>{"Comments"});
    EXPECT_EQ(pagix_test::ReadRegistryValue(foreign, "Comments").Text(), "not Pagix's");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kForeignSubKey.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
}

TEST_F(InstalledPagix, WithoutATemporaryCopyItRemovesInPlaceAndNamesWhatItLeaves) {
  Register();
  const std::string environment =
      pagix_test::EnvironmentWithoutTemporaryFolder(scratch_.Join("no such folder"));
  // Started as a shortcut starts it, in its own folder, which is then not in use by itself.
  Process original =
      StartProcess("\"" + Path(kUninstallerFileName) + "\"", destination_, &environment);
  ASSERT_TRUE(original.Handle);
  HWND box = WaitForUninstallerBox();
  ASSERT_TRUE(box);
  DWORD asking = 0;
  GetWindowThreadProcessId(box, &asking);
  EXPECT_EQ(asking, original.Id) << "the original asks itself";
  PressDialogButton(box, IDYES);
  // Its own file and its folder stay, and its closing message says so.
  HWND report = WaitForUninstallerBox(box);
  ASSERT_TRUE(report) << "no closing message";
  EXPECT_EQ(DescribeMessageBox(report).Text, "uninstall.exe and its folder " + destination_ +
                                                 " remain; you may delete them by hand.");
  PressDialogButton(report, IDOK);
  EXPECT_EQ(WaitForExit(original.Handle), 0);
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (std::string(row.RelativePath) == kUninstallerFileName) continue;
    EXPECT_FALSE(FileExists(Path(row.RelativePath))) << row.RelativePath;
  }
  for (const char* folder : kSubFolderNames) EXPECT_FALSE(DirectoryExists(Path(folder))) << folder;
  EXPECT_TRUE(FileExists(Path(kUninstallerFileName)));
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
  EXPECT_FALSE(UninstallKeyExists());
  // Nothing is left to the next restart, which would take a new installation's uninstaller.
  const std::string pending = PendingRenames();
  EXPECT_EQ(pending.find(destination_), std::string::npos) << pending;
}

class PagixProgram : public InstalledPagix {
 protected:
  HWND StartPagix() {
    Process process = StartProcess("\"" + Path(kProgramFileName) + "\"", destination_);
    EXPECT_TRUE(process.Handle);
    process_ = process.Handle;
    // The window is shown once it is complete: found earlier, it may still be filling its list.
    return WaitForWindow([]() -> HWND {
      HWND window = FindWindowA(WC_DIALOG, kUninstallDisplayName);
      return window && IsWindowVisible(window) ? window : nullptr;
    });
  }
  std::vector<std::string> ListedBooks(HWND window) {
    HWND list = GetDlgItem(window, IDC_PAGIX_BOOKS);
    EXPECT_TRUE(list);
    return pagix_test::ListBoxLines(list);
  }
  void CloseAndExpectExit(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process_), 0);
  }
  HANDLE process_ = nullptr;
};

// A running Pagix is closed first: Retry asks again while it runs, Cancel removes nothing, and
// Retry once it has ended removes everything.
TEST_F(PagixProgram, TheUninstallerWaitsUntilPagixIsClosed) {
  Register();
  HWND window = StartPagix();
  ASSERT_TRUE(window);
  for (const int last : {IDCANCEL, IDRETRY}) {
    HWND box = StartUninstaller();
    ASSERT_TRUE(box);
    PressDialogButton(box, IDYES);
    // Retry while Pagix still runs asks again; Pagix ends before the last Retry.
    for (int round = 0; round < 2; ++round) {
      HWND close = WaitForUninstallerBox(box);
      ASSERT_TRUE(close) << "no question to close Pagix";
      const SeenBox seen = DescribeMessageBox(close);
      EXPECT_EQ(seen.Text, "Close Pagix 0.9d, then press Retry");
      EXPECT_EQ(seen.Buttons, (std::vector<int>{IDCANCEL, IDRETRY}));
      if (round == 1 && last == IDRETRY) CloseAndExpectExit(window);
      PressDialogButton(close, round == 0 ? IDRETRY : last);
      ASSERT_TRUE(WaitUntil([close] { return !IsWindow(close); }));
      box = close;
    }
    if (last == IDCANCEL) {
      EXPECT_EQ(FinishCopy(), 1);
      ExpectEverythingInstalled();
      continue;
    }
    HWND report = WaitForUninstallerBox(box);
    ASSERT_TRUE(report);
    EXPECT_EQ(DescribeMessageBox(report).Text, kRemoved);
    PressDialogButton(report, IDOK);
    EXPECT_EQ(FinishCopy(), 0);
    ExpectFilesGone();
  }
}

TEST_F(PagixProgram, ShowsItsFolderAndTheInstalledBooksAndClosesOnRequest) {
  HWND window = StartPagix();
  ASSERT_TRUE(window) << "no window titled \"Pagix 0.9d\"";
  char folder[MAX_PATH] = {};
  GetWindowTextA(GetDlgItem(window, IDC_PAGIX_FOLDER), folder, sizeof folder);
  EXPECT_EQ(std::string(folder), destination_ + "\\");
  const std::vector<std::string> books = ListedBooks(window);
  ASSERT_EQ(books.size(), 5u);
  EXPECT_EQ(books[0], "The Lamplighter's Almanac - Edith Marrowby (1887)");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDCANCEL)));
  CloseAndExpectExit(window);
}

TEST_F(PagixProgram, SaysSoWhenTheBookListIsMissing) {
  ASSERT_TRUE(DeleteFileA(Path("PGN/Pagix_books.def").c_str()));
  HWND window = StartPagix();
  ASSERT_TRUE(window);
  const std::vector<std::string> books = ListedBooks(window);
  ASSERT_EQ(books.size(), 1u);
  EXPECT_EQ(books[0], "(No book list: " + Path("PGN/Pagix_books.def") + ")");
  // The Close button ends it too.
  PressDialogButton(window, IDCANCEL);
  EXPECT_EQ(WaitForExit(process_), 0);
}

// Close has the focus and is the default button, so both Enter and Escape close the window.
TEST_F(PagixProgram, EnterAndEscapeCloseIt) {
  for (const int key : {VK_RETURN, VK_ESCAPE}) {
    HWND window = StartPagix();
    ASSERT_TRUE(window) << key;
    HWND close = GetDlgItem(window, IDCANCEL);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, close) << key;
    EXPECT_EQ(GetWindowLongA(close, GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON))
        << key;
    PostMessageA(close, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    EXPECT_EQ(WaitForExit(process_), 0) << key;
  }
}

// The pictures of the product tree open with the system's own decoders.
TEST(ProductPictures, OpenWithTheSystemsDecoders) {
  struct Picture {
    const char* Path;
    int Width, Height;
  };
  const Picture pictures[] = {{"Pagix_dicon.gif", 32, 32},     {"Pagix_ficon.gif", 32, 32},
                              {"SKINS/Back.jpg", 192, 128},    {"SKINS/Book.jpg", 128, 160},
                              {"SKINS/BookMenu.bmp", 128, 24}, {"SKINS/Space.bmp", 64, 64}};
  for (const Picture& picture : pictures) {
    const std::vector<unsigned char> bytes =
        ReadWholeFile(g_tree + "\\" + Backslashed(picture.Path));
    ASSERT_FALSE(bytes.empty()) << picture.Path;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, TRUE, &stream), S_OK);
    IPicture* loaded = nullptr;
    EXPECT_EQ(OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                             reinterpret_cast<void**>(&loaded)),
              S_OK)
        << picture.Path;
    if (loaded) {
      OLE_HANDLE handle = 0;
      loaded->get_Handle(&handle);
      BITMAP bitmap = {};
      GetObjectA(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap);
      EXPECT_EQ(bitmap.bmWidth, picture.Width) << picture.Path;
      EXPECT_EQ(bitmap.bmHeight, picture.Height) << picture.Path;
      loaded->Release();
    }
    stream->Release();
  }
}

}  // namespace

int main(int argc, char** argv) {
  CoInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  g_tree = pagix_test::PathArgument(argc, argv, "--tree=");
  return RUN_ALL_TESTS();
}
