#include "tests/e2e/e2e_scenario.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/manifest.h"
#include "tests/e2e/screenshot.h"
#include "tests/support/wine_test_support.h"

namespace pagix_e2e {
namespace {

using pagix_test::Lower;

}  // namespace

const std::vector<int> kOkCancel = {IDOK, IDCANCEL};
const std::vector<int> kYesNo = {IDYES, IDNO};
const std::vector<int> kOkOnly = {IDOK};
const ExpectedBox kCreateDestination = {"Create Destination", "question", kOkCancel};
const ExpectedBox kRunPagixNow = {kLaunchQuestion, "question", kYesNo};

E2eSettings& Settings() {
  static E2eSettings settings;
  return settings;
}

void ParseSettings(int argc, char** argv) {
  E2eSettings& settings = Settings();
  settings.Setup = PathArgument(argc, argv, "--setup=");
  settings.ProductDir = PathArgument(argc, argv, "--product=");
  settings.Screenshots = PathArgument(argc, argv, "--screenshots=");
  settings.PlantedDll = PathArgument(argc, argv, "--planted-dll=");
  settings.PlantProbe = PathArgument(argc, argv, "--plant-probe=");
  if (!settings.Screenshots.empty()) CreateDirectoryA(settings.Screenshots.c_str(), nullptr);
}

HWND StartInstaller(InstallerProcess& installer) {
  std::string error;
  if (Settings().Setup.empty()) {
    ADD_FAILURE() << "no installer given (--setup=PATH)";
    return nullptr;
  }
  if (!installer.Start(Settings().Setup, Settings().Desktop, &error)) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  HWND dialog = installer.WaitForDialog(&error);
  if (!dialog) ADD_FAILURE() << error;
  return dialog;
}

HWND ExpectBox(InstallerProcess& installer, HWND dialog, const ExpectedBox& expected) {
  std::string error;
  HWND box = installer.WaitForMessageBox(&error);
  if (!box) {
    ADD_FAILURE() << "waiting for \"" << expected.Text << "\": " << error;
    return nullptr;
  }
  BoxView view = ViewMessageBox(box);
  EXPECT_EQ(view.Caption, kInstallerTitle) << "box \"" << view.Text << "\"";
  if (view.Text != expected.Text) {
    // A different box means a different road; the scenario cannot go on.
    ADD_FAILURE() << "expected the box \"" << expected.Text << "\", the installer shows \""
                  << view.Text << "\"";
    return nullptr;
  }
  // A window station of its own has no screen to read the icon from.
  if (Settings().Desktop.empty() || view.Icon != "unknown") {
    EXPECT_EQ(view.Icon, expected.Icon) << "box \"" << view.Text << "\"";
  }
  EXPECT_EQ(ButtonNames(view.Buttons), ButtonNames(expected.Buttons))
      << "box \"" << view.Text << "\"";
  EXPECT_EQ(view.Owner, dialog) << "box \"" << view.Text << "\" is not owned by the dialog";
  return box;
}

void AnswerBox(InstallerProcess& installer, HWND box, int buttonId) {
  if (!box) return;
  std::string error;
  if (!Answer(installer, box, buttonId, &error)) ADD_FAILURE() << error;
}

void ExpectIdleAgain(InstallerProcess& installer, HWND dialog) {
  EXPECT_TRUE(WaitUntil([&] { return InstallControlsEnabled(dialog) || !installer.Running(); }))
      << "Install, Browse and the field were not enabled again; windows: "
      << installer.DescribeWindows();
  // A box would be created before the dialog's thread could answer this message.
  EXPECT_TRUE(SendSync(dialog, WM_NULL)) << "the dialog does not answer";
  EXPECT_EQ(installer.FindMessageBox(), nullptr)
      << "an unexpected box is open: " << installer.DescribeWindows();
  EXPECT_TRUE(installer.Running()) << "the installer ended, but its dialog should stay open";
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
}

void ExpectEndsWithZero(InstallerProcess& installer) {
  DWORD exitCode = 0xDEAD;
  std::string error;
  if (!installer.WaitForExit(&exitCode, &error)) {
    ADD_FAILURE() << error;
    return;
  }
  EXPECT_EQ(exitCode, 0u);
}

void Screenshot(HWND window, const std::string& name) {
  // A window station of its own has no screen to capture.
  if (Settings().Screenshots.empty() || !Settings().Desktop.empty() || !window) return;
  std::string error;
  EXPECT_TRUE(SaveWindowScreenshot(window, Settings().Screenshots + "\\" + name + ".ppm", &error))
      << name << ": " << error;
}

HWND StartInstalling(InstallerProcess& installer, const std::string& destination) {
  HWND dialog = StartInstaller(installer);
  if (!dialog) return nullptr;
  EXPECT_TRUE(SetFieldText(dialog, destination));
  Press(dialog, IDOK);
  return dialog;
}

void InstallIntoNewFolder(const std::string& destination, int launchAnswer) {
  InstallerProcess installer;
  HWND dialog = StartInstalling(installer, destination);
  ASSERT_NE(dialog, nullptr);
  HWND ask = ExpectBox(installer, dialog, kCreateDestination);
  ASSERT_NE(ask, nullptr);
  AnswerBox(installer, ask, IDOK);
  HWND launch = ExpectBox(installer, dialog, kRunPagixNow);
  ASSERT_NE(launch, nullptr);
  AnswerBox(installer, launch, launchAnswer);
  ExpectEndsWithZero(installer);
  EXPECT_TRUE(CloseGroupWindow());
  ExpectInstalled(destination);
}

bool RunCommand(const std::string& command, const std::string* environment, DWORD waitMs) {
  const pagix_test::Process process = pagix_test::StartProcess(command, "C:\\", environment);
  if (!process.Handle) return false;
  if (waitMs != 0) return pagix_test::WaitForExit(process.Handle, waitMs) != -1;
  CloseHandle(process.Handle);
  return true;
}

void ConfirmCompleteUninstall(HWND question) {
  pagix_test::PressDialogButton(question, IDYES);
  HWND closing = pagix_test::WaitForUninstallerBox(question);
  ASSERT_TRUE(closing) << "no closing message";
  pagix_test::PressDialogButton(closing, IDOK);
}

void UninstallThroughEntry(const std::string& destination) {
  const UninstallEntry entry = ReadUninstallEntry();
  ASSERT_TRUE(RunCommand(entry.UninstallString)) << entry.UninstallString;
  HWND question = pagix_test::WaitForUninstallerBox();
  ASSERT_TRUE(question) << "the uninstaller asked nothing";
  EXPECT_EQ(ViewMessageBox(question).Text, "Remove Pagix 0.9d and all of its components?");
  ASSERT_NO_FATAL_FAILURE(ConfirmCompleteUninstall(question));
  EXPECT_TRUE(WaitUntil([&] { return !pagix_test::DirectoryExists(destination); }))
      << "left behind: " << testing::PrintToString(FolderEntries(destination));
  EXPECT_TRUE(WaitUntil([] { return !ReadUninstallEntry().Exists; }));
  EXPECT_TRUE(WaitUntil([] { return !pagix_test::DirectoryExists(ProgramsGroupFolder()); }));
  EXPECT_TRUE(WaitUntil([] { return pagix_test::FindUninstallerBox() == nullptr; }))
      << "the uninstaller left a message open";
}

std::string ExpectedUninstallString(const std::string& destination) {
  // Character by character: the second byte of a double-byte character stays as it is.
  std::string normalized = destination;
  for (size_t i = 0; i < normalized.size();
       i += IsDBCSLeadByte(static_cast<BYTE>(normalized[i])) ? 2u : 1u) {
    if (normalized[i] == '\\') normalized[i] = '/';
  }
  if (normalized.empty() || normalized.back() != '/') normalized += '/';
  return "\"" + normalized + "uninstall.exe\"";
}

void ExpectUninstallEntry(const std::string& destination) {
  EXPECT_TRUE(RegistryKeyExists(kUninstallKey, kUninstallKeyView))
      << "no uninstall entry HKLM\\" << kUninstallKey;
  // The installed files' total, in KiB rounded up.
  const uint64_t bytes = ProductFileBytes(Settings().ProductDir);
  const std::string folder = Backslashed(destination);
  const struct {
    const char* Name;
    DWORD Type;
    std::string Text;
    DWORD Number;
  } expected[] = {
      {"DisplayName", REG_SZ, "Pagix 0.9d", 0},
      {"UninstallString", REG_SZ, ExpectedUninstallString(destination), 0},
      {"DisplayVersion", REG_SZ, "0.9d", 0},
      {"Publisher", REG_SZ, "Marrowby", 0},
      {"InstallLocation", REG_SZ, folder, 0},
      {"DisplayIcon", REG_SZ, folder + "\\Pagix.exe", 0},
      {"EstimatedSize", REG_DWORD, "", static_cast<DWORD>((bytes + 1023) / 1024)},
      {"NoModify", REG_DWORD, "", 1},
      {"NoRepair", REG_DWORD, "", 1},
  };
  for (const auto& value : expected) {
    const RegistryValue found = ReadRegistryValue(kUninstallKey, value.Name, kUninstallKeyView);
    EXPECT_TRUE(found.Present) << value.Name;
    EXPECT_EQ(found.Type, value.Type) << value.Name;
    EXPECT_EQ(found.Text(), value.Text) << value.Name;
    EXPECT_EQ(found.Number(), value.Number) << value.Name;
  }
  EXPECT_EQ(RegistryValueNames(kUninstallKey, kUninstallKeyView).size(),
            sizeof expected / sizeof expected[0]);
  // On 64-bit Windows the 32-bit installer's entry lies in the 32-bit view of the registry,
  // which the 64-bit view shows below Wow6432Node, and nowhere else.
  if (RunsUnderWow64()) {
    EXPECT_TRUE(RegistryKeyExists(kUninstallKeyIn64BitView, KEY_WOW64_64KEY));
    EXPECT_FALSE(RegistryKeyExists(kUninstallKey, KEY_WOW64_64KEY))
        << "the entry is in the 64-bit view";
  }
}

void ExpectInstalled(const std::string& destination, const std::vector<std::string>& extraEntries) {
  for (const std::string& problem : CompareInstalledFiles(destination, Settings().ProductDir)) {
    ADD_FAILURE() << problem;
  }
  for (const char* folder : kInstalledFolders) {
    EXPECT_TRUE(pagix_test::DirectoryExists(destination + "\\" + folder)) << folder;
  }
  std::vector<std::string> expected = extraEntries;
  for (const char* folder : kInstalledFolders) expected.push_back(folder);
  for (const char* file : kInstalledFiles) {
    if (!std::strchr(file, '/')) expected.push_back(file);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderEntries(destination), expected) << "top level of " << destination;

  ExpectUninstallEntry(destination);

  // The shell makes the group in its own time, after the command block has reached it.
  const std::vector<std::string> links = {"Pagix.lnk", "uninstall Pagix.lnk"};
  EXPECT_TRUE(WaitUntil([&] { return FolderEntries(ProgramsGroupFolder()) == links; }))
      << "group folder " << ProgramsGroupFolder() << " holds "
      << testing::PrintToString(FolderEntries(ProgramsGroupFolder()));
  EXPECT_FALSE(pagix_test::DirectoryExists(CommonProgramsFolder() + "\\" + kProgmanGroupName))
      << "the group was made for all users";
  // Each item points at its file in the destination (the link keeps the target's path).
  const std::vector<std::pair<std::string, std::string>> targets = {
      {"Pagix.lnk", "Pagix.exe"}, {"uninstall Pagix.lnk", "uninstall.exe"}};
  for (const auto& [link, file] : targets) {
    std::vector<unsigned char> bytes =
        pagix_test::ReadWholeFile(ProgramsGroupFolder() + "\\" + link);
    std::string text = Lower(std::string(bytes.begin(), bytes.end()));
    std::string target = Lower(Backslashed(destination) + "\\" + file);
    EXPECT_NE(text.find(target), std::string::npos) << link << " does not point at " << target;
    // The 64-bit shell makes the links of a 32-bit program: they keep the program's own path,
    // never the 32-bit programs' folder of 64-bit Windows.
    EXPECT_EQ(text.find("program files (x86)"), std::string::npos) << link;
  }
}

}  // namespace pagix_e2e
