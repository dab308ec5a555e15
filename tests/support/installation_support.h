// Where an installation of Pagix leaves its traces outside its folder, as the Win32 test programs
// and the end-to-end scenarios look for them: the uninstall entry, the Program Manager group in
// the Start Menu and the uninstaller's question, closing message and temporary copies.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pagix_test {

// The uninstall entry below HKEY_LOCAL_MACHINE, in the registry's view of this build's programs:
// the 32-bit view for the 32-bit build, also on 64-bit Windows, and the 64-bit one for the 64-bit
// build (the build names it).
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pagix";
constexpr REGSAM kUninstallKeyView = PAGIX_PROGRAMS_REGISTRY_VIEW;
// The same key as the 64-bit view of 64-bit Windows shows it.
constexpr char kUninstallKeyIn64BitView[] =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pagix";

// The Programs folders of the Start Menu. Wine's Program Manager server makes its groups in the
// user's one (CSIDL_PROGRAMS), so that is where the group appears.
std::string UserProgramsFolder();
std::string CommonProgramsFolder();
// The group's folder in the user's Programs folder.
std::string ProgramsGroupFolder();
// Waits (bounded) until the shell shows the group's folder window, which it opens for a group it
// makes or changes, then closes it so that the session can end. False when no window appeared.
bool CloseGroupWindow();

// The uninstaller's message box that is open now (visible or not), or null.
HWND FindUninstallerBox();
// Waits (bounded) for a visible box of the uninstaller other than other; null when none came.
HWND WaitForUninstallerBox(HWND other = nullptr);
// The names of the uninstaller's temporary copies in the temporary folder.
std::vector<std::string> UninstallerTemporaryCopies();
// This process's environment block ("NAME=value\0" strings) with TMP and TEMP naming the folder
// missing instead, so that a program started with it cannot make a temporary file.
std::string EnvironmentWithoutTemporaryFolder(const std::string& missing);

}  // namespace pagix_test
