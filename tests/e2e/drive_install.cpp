// Drives one default installation of PagixSetup.exe without a person: Install, "Create
// Destination" OK, "Run Pagix now?" No. Used by `make run` when no display is at hand. Prints
// what it did and where the results are as NAME=VALUE lines on standard output.
//   pagix_drive_install --setup=PagixSetup.exe [--screenshot=dialog.ppm]
#include <cstdio>
#include <string>

#include "tests/e2e/install_outcome.h"
#include "tests/e2e/installer_driver.h"
#include "tests/e2e/screenshot.h"

namespace {

using namespace pagix_e2e;

int Fail(const std::string& why, const InstallerProcess& installer) {
  std::printf("ERROR=%s\n", why.c_str());
  std::printf("WINDOWS=%s\n", installer.DescribeWindows().c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string setup = PathArgument(argc, argv, "--setup=");
  const std::string screenshot = PathArgument(argc, argv, "--screenshot=");
  if (setup.empty()) {
    std::fprintf(stderr, "usage: pagix_drive_install --setup=PagixSetup.exe [--screenshot=FILE]\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  InstallerProcess installer;
  std::string error;
  if (!installer.Start(setup, "", &error)) return Fail(error, installer);
  HWND dialog = installer.WaitForDialog(&error);
  if (!dialog) return Fail(error, installer);
  const std::string destination = FieldText(dialog);
  std::printf("DESTINATION=%s\n", destination.c_str());
  if (!screenshot.empty()) {
    if (SaveWindowScreenshot(dialog, screenshot, &error)) {
      std::printf("SCREENSHOT=%s\n", screenshot.c_str());
    } else {
      std::printf("SCREENSHOT_ERROR=%s\n", error.c_str());
    }
  }

  Press(dialog, IDOK);
  for (;;) {
    HWND box = installer.WaitForMessageBox(&error);
    if (!box) return Fail(error, installer);
    BoxView view = ViewMessageBox(box);
    std::printf("BOX=%s\n", view.Text.c_str());
    if (view.Text == "Create Destination") {
      if (!Answer(installer, box, IDOK, &error)) return Fail(error, installer);
      continue;
    }
    if (view.Text == "Run Pagix now?") {
      if (!Answer(installer, box, IDNO, &error)) return Fail(error, installer);
      break;
    }
    // Any other box is an error report: the installation did not complete.
    Answer(installer, box, IDOK, &error);
    Press(dialog, IDCANCEL);
    installer.WaitForExit(nullptr, &error);
    return Fail("the installer reported: " + view.Text, installer);
  }
  DWORD exitCode = 0;
  if (!installer.WaitForExit(&exitCode, &error)) return Fail(error, installer);
  std::printf("EXIT_CODE=%lu\n", static_cast<unsigned long>(exitCode));

  // The shell shows the new group in a window of its own; close it so that Wine can end.
  if (!CloseGroupWindow()) std::printf("NOTE=the shell showed no group window\n");
  std::printf("GROUP=%s\n", ProgramsGroupFolder().c_str());
  UninstallEntry entry = ReadUninstallEntry();
  std::printf("UNINSTALL_KEY=HKEY_LOCAL_MACHINE\\%s\n", kUninstallKey);
  std::printf("DISPLAY_NAME=%s\n", entry.DisplayName.c_str());
  std::printf("UNINSTALL_STRING=%s\n", entry.UninstallString.c_str());
  return exitCode == 0 && entry.Exists ? 0 : 1;
}
