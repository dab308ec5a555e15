// The real PagixSetup.exe under Wine, driven from outside as a user would drive it: installs,
// aborts, errors, refusals and the ways to end the dialog.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "app/progress_text.h"
#include "tests/e2e/e2e_scenario.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

using pagix_test::DirectoryExists;
using pagix_test::FileExists;

const std::string kDefaultParent = "C:\\Program Files\\Marrowby";

// What assistive technology reads as a control's name (MSAA, as a screen reader asks for it).
std::string AccessibleName(HWND control) {
  IAccessible* accessible = nullptr;
  // The interface's id from its declaration: mingw-w64's 64-bit oleacc import library also
  // names a code stub IID_IAccessible, which the linker may take for the data.
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&accessible)))) {
    return "(no accessible object)";
  }
  VARIANT self = {};
  self.vt = VT_I4;  // the value 0 is CHILDID_SELF: the control itself
  BSTR name = nullptr;
  std::string text;
  if (accessible->get_accName(self, &name) == S_OK && name) {
    char bytes[512] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, bytes, sizeof bytes, nullptr, nullptr);
    text = bytes;
  }
  SysFreeString(name);
  accessible->Release();
  return text;
}

std::string ProgressText(int total, int installing) {
  char text[kProgressTextSize];
  FormatProgressText(text, sizeof text, total, installing);
  return text;
}

// The name changes of one control that the installer announces, out of context: they wait in
// this thread's queue until it is pumped.
HWND g_announcedControl;
int g_announcements;
void CALLBACK CountAnnouncement(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                DWORD) {
  if (window == g_announcedControl && object == OBJID_CLIENT && child == CHILDID_SELF) {
    ++g_announcements;
  }
}

// Every scenario starts and ends without any trace of an installation.
class InstallerE2eTest : public testing::Test {
 protected:
  void SetUp() override { RemoveInstallation(kDefaultDestination, kDefaultParent); }
  void TearDown() override { RemoveInstallation(kDefaultDestination, kDefaultParent); }

  // Installs into the field's destination after the dialog has appeared: Install, "Create
  // Destination" answered OK when askCreate, up to the open "Run Pagix now?" question.
  void InstallThrough(bool askCreate, const char* screenshotPrefix = nullptr) {
    Press(dialog_, IDOK);
    if (askCreate) {
      HWND ask = ExpectBox(installer_, dialog_, kCreateDestination);
      ASSERT_NE(ask, nullptr);
      // The sequence runs: Install, Browse and the field are off, Quit stays usable.
      EXPECT_TRUE(InstallControlsDisabled(dialog_));
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDCANCEL)));
      if (screenshotPrefix) Screenshot(ask, std::string(screenshotPrefix) + "create-destination");
      AnswerBox(installer_, ask, IDOK);
    }
    HWND launch = ExpectBox(installer_, dialog_, kRunPagixNow);
    ASSERT_NE(launch, nullptr);
    // (Wine ignores MB_TOPMOST: the box's extended style does not show it.)
    if (screenshotPrefix) Screenshot(launch, std::string(screenshotPrefix) + "run-pagix-now");
    launchQuestion_ = launch;
  }

  // Answers the launch question; the dialog ends and the shell shows the new group.
  void FinishWith(int launchAnswer) {
    AnswerBox(installer_, launchQuestion_, launchAnswer);
    ExpectEndsWithZero(installer_);
    EXPECT_TRUE(CloseGroupWindow()) << "the shell showed no \"Marrowby\" window";
  }

  InstallerProcess installer_;
  HWND dialog_ = nullptr;
  HWND launchQuestion_ = nullptr;
};

TEST_F(InstallerE2eTest, DefaultInstallationAnsweredNo) {
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  Screenshot(dialog_, "dialog");
  EXPECT_EQ(FieldText(dialog_), kDefaultDestination);
  EXPECT_TRUE(InstallControlsEnabled(dialog_));

  // A screen reader hears the progress from the bar, which changes its name as the run advances
  // and announces each change, and hears no resource name anywhere.
  HWND progress = GetDlgItem(dialog_, IDC_PROGRESS_BAR);
  for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    EXPECT_NE(AccessibleName(child), IDI_INSTALLER) << "control " << GetDlgCtrlID(child);
  }
  EXPECT_EQ(AccessibleName(progress), ProgressText(0, 0));
  g_announcedControl = progress;
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, CountAnnouncement,
                      installer_.Id(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  ASSERT_NO_FATAL_FAILURE(InstallThrough(true, ""));
  EXPECT_EQ(AccessibleName(progress), ProgressText(100, 1));
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_GT(g_announcements, 1);
  UnhookWinEvent(hook);
  Screenshot(dialog_, "dialog-at-100");
  // The advances of the run add up to 100: the icon has reached the frame's right end, and the
  // bar ends at the icon.
  RECT frame, icon, bar;
  GetWindowRect(GetDlgItem(dialog_, IDC_PROGRESS_FRAME), &frame);
  GetWindowRect(GetDlgItem(dialog_, IDC_PROGRESS_ICON), &icon);
  GetWindowRect(GetDlgItem(dialog_, IDC_PROGRESS_BAR), &bar);
  EXPECT_EQ(icon.right, frame.right);
  EXPECT_EQ(bar.right, icon.left);
  // Everything is in place before the question is asked.
  ExpectInstalled(kDefaultDestination);
  FinishWith(IDNO);
  EXPECT_EQ(FindTopLevel(kProductWindowTitle), nullptr) << "Pagix was started after No";
  // On 64-bit Windows only the system folder and the registry are redirected for a 32-bit
  // program, not "C:\Program Files": the files are where the field said.
  EXPECT_FALSE(DirectoryExists("C:\\Program Files (x86)\\Marrowby"));
}

TEST_F(InstallerE2eTest, ExistingDestinationIsNotAskedAboutAndItsFilesAreReplaced) {
  RootFolder root("pgx-e2e existing");
  const std::string destination = root.Join("Pagix");
  CreateDirectoryA(destination.c_str(), nullptr);
  CreateDirectoryA((destination + "\\SKINS").c_str(), nullptr);
  // An older, shorter file and a longer one: both must end up exactly as the product's copy.
  ASSERT_TRUE(pagix_test::WriteWholeFile(destination + "\\Pagix.def", {'o', 'l', 'd'}));
  ASSERT_TRUE(pagix_test::WriteWholeFile(destination + "\\SKINS\\Space.psk",
                                         std::vector<unsigned char>(300000, 'x')));
  ASSERT_TRUE(pagix_test::WriteWholeFile(destination + "\\notes.txt", {'k', 'e', 'e', 'p'}));

  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  ASSERT_TRUE(SetFieldText(dialog_, destination));
  ASSERT_NO_FATAL_FAILURE(InstallThrough(false));
  ExpectInstalled(destination, {"notes.txt"});
  EXPECT_EQ(pagix_test::ReadWholeFile(destination + "\\notes.txt"),
            (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
  FinishWith(IDYES);

  // Yes starts the installed program.
  HWND product = WaitForWindow([] { return FindTopLevel(kProductWindowTitle); });
  EXPECT_TRUE(product) << "no \"" << kProductWindowTitle << "\" window after Yes";
  if (product) {
    EXPECT_NE(ProcessOf(product), installer_.Id());
  }
  RemoveInstallation(destination);
}

TEST_F(InstallerE2eTest, CancelAtCreateDestinationCreatesNothingAndAllowsAnotherInstall) {
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  Press(dialog_, IDOK);
  HWND ask = ExpectBox(installer_, dialog_, kCreateDestination);
  ASSERT_NE(ask, nullptr);
  AnswerBox(installer_, ask, IDCANCEL);
  ExpectIdleAgain(installer_, dialog_);
  EXPECT_FALSE(DirectoryExists(kDefaultParent));
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
  EXPECT_EQ(FieldText(dialog_), kDefaultDestination);

  ASSERT_NO_FATAL_FAILURE(InstallThrough(true));
  ExpectInstalled(kDefaultDestination);
  FinishWith(IDNO);
}

TEST_F(InstallerE2eTest, QuitWhileAskingCreateDestinationStopsAfterTheFolder) {
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  Press(dialog_, IDOK);
  HWND ask = ExpectBox(installer_, dialog_, kCreateDestination);
  ASSERT_NE(ask, nullptr);
  // Both go to the installer's one message queue: Quit is handled first, then the answer.
  Press(dialog_, IDCANCEL);
  AnswerBox(installer_, ask, IDOK);
  ExpectIdleAgain(installer_, dialog_);
  // The answered question still creates the folder; every later step does nothing.
  EXPECT_TRUE(DirectoryExists(kDefaultDestination));
  EXPECT_EQ(FolderEntries(kDefaultDestination), std::vector<std::string>());
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));

  // Quit while idle now ends the dialog.
  Press(dialog_, IDCANCEL);
  ExpectEndsWithZero(installer_);
}

// Quit between two payload items. A run takes one waiting message at each advance of the
// progress indicator: at its start, after the destination folder and after each item. Install,
// as many harmless messages as there are advances before the end of item kLastWritten, and Quit
// are all queued before the installer takes the first of them, so Quit is taken right after
// that item is written, however fast or slow the run. After an abort nothing is pumped until the
// run returns; then a second Quit ends the dialog.
TEST_F(InstallerE2eTest, QuitBetweenTwoItemsWritesNoFurtherItem) {
  RootFolder root("pgx-e2e-quit");
  // The folder exists, so nothing is asked and no box takes the waiting messages.
  const std::string destination = root.Join("Pagix");
  ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  ASSERT_TRUE(SetFieldText(dialog_, destination));
  const size_t kLastWritten = 3;  // LANG/English.zip; Pagix.psk follows
  std::string error;
  ASSERT_TRUE(installer_.PostWhileHeld(
      [&] {
        Press(dialog_, IDOK);
        for (size_t i = 0; i < kLastWritten + 2; ++i) PostMessageA(dialog_, WM_NULL, 0, 0);
        Press(dialog_, IDCANCEL);
        Press(dialog_, IDCANCEL);
      },
      &error))
      << error;
  ExpectEndsWithZero(installer_);

  std::vector<std::string> notWritten;
  for (size_t i = kLastWritten + 1; i < std::size(kInstalledFiles); ++i) {
    notWritten.push_back(std::string(kInstalledFiles[i]) + ": not installed");
  }
  EXPECT_EQ(CompareInstalledFiles(destination, Settings().ProductDir), notWritten);
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
}

// Windows asks every program before it ends the session. The installer says no only while a run
// writes (the dialog procedure's own test shows that); idle, and while "Run Pagix now?" waits
// for the person after everything is written, it agrees.
TEST_F(InstallerE2eTest, EndingTheSessionIsAgreedWhileNothingIsWritten) {
  RootFolder root("pgx-e2e-session");
  const std::string destination = root.Join("Pagix");
  ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  LRESULT answer = 0;
  ASSERT_TRUE(SendSync(dialog_, WM_QUERYENDSESSION, 0, 0, &answer));
  EXPECT_NE(answer, 0) << "idle";
  ASSERT_TRUE(SetFieldText(dialog_, destination));
  Press(dialog_, IDOK);
  launchQuestion_ = ExpectBox(installer_, dialog_, kRunPagixNow);
  ASSERT_NE(launchQuestion_, nullptr);
  answer = 0;
  ASSERT_TRUE(SendSync(dialog_, WM_QUERYENDSESSION, 0, 0, &answer));
  EXPECT_NE(answer, 0) << "while Run Pagix now? waits";
  ExpectInstalled(destination);
  FinishWith(IDNO);
}

// The ways to leave the idle dialog.
struct EndingCase {
  const char* Name;
  void (*Perform)(HWND dialog);
};

void PressQuit(HWND dialog) { Press(dialog, IDCANCEL); }

void PressEscape(HWND dialog) {
  // The key goes to the focused control; the dialog manager turns it into the cancel command.
  HWND focus = FocusOf(dialog);
  if (!focus) focus = GetDlgItem(dialog, IDC_DESTINATION);
  PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
}

// Quit's access key, typed into the dialog in front.
void PressAltQ(HWND dialog) {
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
  PressKeys({VK_MENU, 'Q'});
}

void PressCloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

class EndingTest : public InstallerE2eTest, public testing::WithParamInterface<EndingCase> {};

TEST_P(EndingTest, IdleDialogEndsWithExitCodeZero) {
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  GetParam().Perform(dialog_);
  ExpectEndsWithZero(installer_);
  EXPECT_FALSE(DirectoryExists(kDefaultParent));
}

INSTANTIATE_TEST_SUITE_P(
    Idle, EndingTest,
    testing::Values(EndingCase{"Quit", PressQuit}, EndingCase{"Escape", PressEscape},
                    EndingCase{"AltQ", PressAltQ}, EndingCase{"CloseBox", PressCloseBox}),
    [](const testing::TestParamInfo<EndingCase>& p) { return std::string(p.param.Name); });

// A file stands where the installer needs a folder.
struct BlockedCase {
  const char* Name;
  const char* Blocker;         // relative to the scratch root; a file
  const char* Destination;     // relative to the scratch root
  bool AskCreate;              // the destination itself is missing
  const char* ReportedSuffix;  // the path in the box, after the root's "C:/pgx-e2e-blocked/"
  std::vector<std::string> LeftEntries;  // what the destination holds afterwards
};

class BlockedFolderTest : public InstallerE2eTest,
                          public testing::WithParamInterface<BlockedCase> {};

TEST_P(BlockedFolderTest, ReportsTheFolderThenInstallsElsewhere) {
  const BlockedCase& c = GetParam();
  RootFolder root("pgx-e2e-blocked");
  const std::string destination = root.Join(c.Destination);
  if (!c.AskCreate) CreateDirectoryA(destination.c_str(), nullptr);
  ASSERT_TRUE(pagix_test::WriteWholeFile(root.Join(c.Blocker), {'f', 'i', 'l', 'e'}));

  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  ASSERT_TRUE(SetFieldText(dialog_, destination));
  Press(dialog_, IDOK);
  if (c.AskCreate) {
    HWND ask = ExpectBox(installer_, dialog_, kCreateDestination);
    ASSERT_NE(ask, nullptr);
    AnswerBox(installer_, ask, IDOK);
  }
  HWND error =
      ExpectBox(installer_, dialog_,
                {std::string("Cannot Create Directory : C:/pgx-e2e-blocked/") + c.ReportedSuffix,
                 "error", kOkOnly});
  ASSERT_NE(error, nullptr);
  Screenshot(error, std::string("cannot-create-directory-") + c.Name);
  AnswerBox(installer_, error, IDOK);
  ExpectIdleAgain(installer_, dialog_);
  if (c.AskCreate) {
    EXPECT_TRUE(FileExists(destination)) << "the file in the way was touched";
  } else {
    EXPECT_EQ(FolderEntries(destination), c.LeftEntries);
  }
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));

  // The user corrects the field and installs.
  const std::string corrected = root.Join("Corrected");
  ASSERT_TRUE(SetFieldText(dialog_, corrected));
  ASSERT_NO_FATAL_FAILURE(InstallThrough(true));
  ExpectInstalled(corrected);
  FinishWith(IDNO);
  RemoveInstallation(corrected);
}

INSTANTIATE_TEST_SUITE_P(
    File, BlockedFolderTest,
    testing::Values(
        // The destination itself is a file: asked, then reported with the trailing "/".
        BlockedCase{"Destination", "Pagix", "Pagix", true, "Pagix/", {}},
        // A sub-folder is a file: no question; the folders before it exist, no file is written.
        BlockedCase{"SubFolder",
                    "Pagix\\SKINS",
                    "Pagix",
                    false,
                    "Pagix/SKINS",
                    {"DICTIONARY", "PF1", "PGN", "SKINS"}}),
    [](const testing::TestParamInfo<BlockedCase>& p) { return std::string(p.param.Name); });

// Destinations around the longest one that leaves room for every installed path: the longest
// relative name is "DICTIONARY/Webster 1913 - Micro.zip" (35 characters) and a path holds at
// most 259, so the normalised destination (with its trailing "/") may have 224 characters.
// Folder names with blanks, so that a message box quoting the text can wrap it into lines.
std::string DestinationOfLength(size_t length) {
  const std::string folder = "a folder with a long name\\";
  std::string text = "C:\\pgx-e2e-long\\";
  while (text.size() < length) text += folder;
  text.resize(length);
  if (text.back() == '\\' || text.back() == ' ') text.back() = 'x';
  return text;
}

TEST_F(InstallerE2eTest, LongestDestinationThatFitsInstallsEveryFile) {
  RootFolder root("pgx-e2e-long");
  const std::string destination = DestinationOfLength(223);
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  ASSERT_TRUE(SetFieldText(dialog_, destination));
  ASSERT_NO_FATAL_FAILURE(InstallThrough(true));
  ExpectInstalled(destination);
  FinishWith(IDNO);
  RemoveInstallation("");
}

// Field texts that are refused with one box before anything is asked or created; the dialog
// stays usable for the next.
struct RefusedCase {
  std::wstring Field;
  std::string Box;    // the box's text
  int Button = IDOK;  // Install, or Browse
};

std::wstring Widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

RefusedCase TooLong(size_t length) {
  const std::string field = DestinationOfLength(length);
  return {Widened(field), "Destination path is too long : " + field};
}

RefusedCase NotValid(const std::string& field) {
  return {Widened(field), "Destination path is not valid : " + field};
}

std::vector<RefusedCase> RefusedCases() {
  std::string truncated = "C:\\trunc\\";
  for (int i = 0; i < 50; ++i) truncated += "z\\..\\";
  truncated += "final";
  // Ends in ".", a name Windows would not keep.
  std::string unsoundAndTooLong = DestinationOfLength(240);
  unsoundAndTooLong.back() = '.';
  // 259 characters: the field's limit, but one more with the "/" that normalisation appends.
  std::string normalisesTooLong = DestinationOfLength(259);
  normalisesTooLong.back() = '.';
  // Browse needs room for its "\\*.*" after the field's text.
  const std::string noRoomForTheChooser = DestinationOfLength(256);
  return {
      TooLong(224),
      TooLong(240),
      // Unsound is told before too long; a text that cannot even be normalised is too long.
      NotValid(unsoundAndTooLong),
      {Widened(normalisesTooLong), "Destination path is too long : " + normalisesTooLong},
      {Widened(noRoomForTheChooser), "Destination path is too long : " + noRoomForTheChooser,
       IDC_BROWSE},
      TooLong(260),
      // Longer than 259 characters: never cut, too long whatever it holds.
      {Widened(truncated), "Destination path is too long : " + truncated},
      NotValid("C:\\..\\..\\..\\climb"),
      NotValid("C:\\trail."),
      NotValid("\\\\?\\C:\\qx"),
      NotValid("\\\\.\\C:\\dotdev"),
      NotValid("Pagix"),
      NotValid(".\\dotrel"),
      NotValid(" C:\\lead"),
      NotValid("%ProgramFiles%\\x"),
      NotValid(""),
      NotValid("C:\\dot\\.\\inner"),
      NotValid("C:\\pipe|name"),
      // Device names, and typed segments ending in a dot that normalisation would remove.
      NotValid("C:\\x\\NUL"),
      NotValid("C:\\x\\CON.txt"),
      NotValid("C:\\x\\LPT1"),
      NotValid("C:\\CON\\Pagix"),
      NotValid("C:\\foo..\\bar"),
      NotValid("C:\\a.\\b"),
      // A superscript digit after COM makes a device name: the installer has learned its byte.
      {L"C:\\x\\COM\u00B9", "Destination path is not valid : C:\\x\\COM\xB9"},
      // Roots of a drive and of a share.
      NotValid("C:\\"),
      NotValid("\\\\server\\share\\"),
      // Not in the ANSI code page: quoted with the code page's default character.
      {L"C:\\\u03A9mega\\Pagix", "Destination path is not valid : C:\\?mega\\Pagix"},
  };
}

TEST_F(InstallerE2eTest, RefusedDestinationsCreateNothing) {
  RootFolder root("pgx-e2e-long");
  const std::vector<std::string> rootBefore = FolderEntries("C:");
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  for (const RefusedCase& c : RefusedCases()) {
    SCOPED_TRACE(c.Box);
    // Set as wide text, so that characters outside the ANSI code page reach the field.
    DWORD_PTR done = 0;
    ASSERT_TRUE(SendMessageTimeoutW(GetDlgItem(dialog_, IDC_DESTINATION), WM_SETTEXT, 0,
                                    reinterpret_cast<LPARAM>(c.Field.c_str()), SMTO_NORMAL, kWaitMs,
                                    &done));
    Press(dialog_, c.Button);
    HWND refusal = ExpectBox(installer_, dialog_, {c.Box, "error", kOkOnly});
    ASSERT_NE(refusal, nullptr);
    if (c.Field.size() == 240) Screenshot(refusal, "destination-too-long");
    AnswerBox(installer_, refusal, IDOK);
    ExpectIdleAgain(installer_, dialog_);
  }
  EXPECT_EQ(FolderEntries("C:"), rootBefore);
  EXPECT_EQ(FolderEntries(root.Path()), std::vector<std::string>());
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
  Press(dialog_, IDCANCEL);
  ExpectEndsWithZero(installer_);
}

// Small file systems that the test fixture mounts (without root it cannot): drive R: and folder
// C:\pgx-e2e-linked linked to another, both of 76 KiB, and drive T: with just the room that a new
// installation takes (each file in whole pages, and a page per folder).
bool DriveMapped(const char* root) { return GetDriveTypeA(root) > DRIVE_NO_ROOT_DIR; }

const char kLinkedFolder[] = "C:\\pgx-e2e-linked";

// Free bytes and allocation unit of the volume at root.
bool VolumeFigures(const std::string& root, uint64_t* freeBytes, uint64_t* unitBytes) {
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters))
    return false;
  *unitBytes = uint64_t{sectorsPerCluster} * bytesPerSector;
  *freeBytes = freeClusters * *unitBytes;
  return true;
}

// Both volumes hold more than the files' bytes but fewer whole pages than they take; the linked
// folder's volume is not C:'s.
TEST_F(InstallerE2eTest, VolumeTooSmallIsRefusedBeforeAnythingIsMade) {
  if (!DriveMapped("R:\\") || !DirectoryExists(kLinkedFolder))
    GTEST_SKIP() << "drive R: or " << kLinkedFolder << " (small tmpfs) is not mapped";
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  for (const std::string& folder : {std::string("R:"), std::string(kLinkedFolder)}) {
    const std::string volume = folder + "\\";
    SCOPED_TRACE(volume);
    uint64_t available = 0, unit = 0;
    ASSERT_TRUE(VolumeFigures(volume, &available, &unit));
    const uint64_t needed = ProductRoomInUnits(Settings().ProductDir, unit);
    ASSERT_LT(available, needed);
    ASSERT_GE(available, ProductFileBytes(Settings().ProductDir));
    ASSERT_TRUE(SetFieldText(dialog_, volume + "Pagix"));
    Press(dialog_, IDOK);
    HWND refusal = ExpectBox(
        installer_, dialog_,
        {"Not enough disk space : " + volume + " has " + std::to_string(available / 1024) +
             " KiB free, " + std::to_string((needed + 1023) / 1024) + " KiB needed",
         "error", kOkOnly});
    ASSERT_NE(refusal, nullptr);
    Screenshot(refusal, "not-enough-disk-space");
    AnswerBox(installer_, refusal, IDOK);
    ExpectIdleAgain(installer_, dialog_);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>());
  }
  EXPECT_FALSE(ReadUninstallEntry().Exists);
  EXPECT_FALSE(DirectoryExists(ProgramsGroupFolder()));
  Press(dialog_, IDCANCEL);
  ExpectEndsWithZero(installer_);
}

// Installing again into a complete installation replaces its files, which needs no more room:
// the second installation completes on the full volume.
TEST_F(InstallerE2eTest, VolumeWithJustTheRoomNeededInstalls) {
  if (!DriveMapped("T:\\")) GTEST_SKIP() << "drive T: (a small tmpfs) is not mapped";
  ASSERT_NO_FATAL_FAILURE(InstallIntoNewFolder("T:\\Pagix", IDNO));
  // Fill what is left.
  uint64_t available = 0, unit = 0;
  ASSERT_TRUE(VolumeFigures("T:\\", &available, &unit));
  ASSERT_TRUE(pagix_test::WriteWholeFile(
      "T:\\filler", std::vector<unsigned char>(static_cast<size_t>(available))));
  ASSERT_TRUE(VolumeFigures("T:\\", &available, &unit));
  ASSERT_EQ(available, 0u);

  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  ASSERT_TRUE(SetFieldText(dialog_, "T:\\Pagix"));
  ASSERT_NO_FATAL_FAILURE(InstallThrough(false));
  ExpectInstalled("T:\\Pagix");
  FinishWith(IDNO);
  RemoveInstallation("T:\\Pagix");
  DeleteFileA("T:\\filler");
}

// Install and Browse posted to the dialog while an installation runs (as another process can)
// are ignored: the one installation goes on to its end.
TEST_F(InstallerE2eTest, InstallAndBrowsePostedDuringARunAreIgnored) {
  ASSERT_NE(dialog_ = StartInstaller(installer_), nullptr);
  Press(dialog_, IDOK);
  HWND ask = ExpectBox(installer_, dialog_, kCreateDestination);
  ASSERT_NE(ask, nullptr);
  // Both reach the dialog procedure through the question's own message loop.
  Press(dialog_, IDOK);
  Press(dialog_, IDC_BROWSE);
  AnswerBox(installer_, ask, IDOK);
  HWND launch = ExpectBox(installer_, dialog_, kRunPagixNow);
  ASSERT_NE(launch, nullptr);
  EXPECT_EQ(installer_.FindChooser(), nullptr);
  launchQuestion_ = launch;
  ExpectInstalled(kDefaultDestination);
  FinishWith(IDNO);
}

}  // namespace
}  // namespace pagix_e2e
