#include "shell/uninstall_entry.h"

#include <string.h>

#include "base/path_scan.h"
#include "base/text_characters.h"
#include "base/text_format.h"

const char* const kUninstallEntryValueNames[kUninstallEntryValueCount] = {
    "DisplayName", "UninstallString", "DisplayVersion", "Publisher", "InstallLocation",
    "DisplayIcon", "EstimatedSize",   "NoModify",       "NoRepair"};

int FormatUninstallKeyPath(char* out, size_t size, const char* keyName) {
  if (FormatText(out, size, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s",
                 keyName)) {
    return 1;
  }
  if (size > 0) out[0] = '\0';
  return 0;
}

int FormatUninstallCommand(char* out, size_t size, const char* command) {
  if (FormatText(out, size, "\"%s\"", command)) return 1;
  if (size > 0) out[0] = '\0';
  return 0;
}

int FormatInstalledPath(char* out, size_t size, const char* destinationDirectory,
                        const char* relativeName) {
  if (!FormatText(out, size, "%s%s", destinationDirectory, relativeName)) {
    if (size > 0) out[0] = '\0';
    return 0;
  }
  UseBackslashes(out);
  // A drive's root keeps its separator: "C:" alone means the drive's current folder.
  const size_t length = strlen(out);
  const int driveRoot = length == 3 && VolumeNameLength(out) == 2;
  if (length > 1 && out[length - 1] == '\\' && !driveRoot) out[length - 1] = '\0';
  return 1;
}

int UninstallCommandFolder(const char* command, char* out, size_t size) {
  const char* begin = command;
  while (IsBlankOrTab(*begin)) ++begin;
  const char* end;
  if (*begin == '"') {
    ++begin;
    end = strchr(begin, '"');
    if (!end) end = begin + strlen(begin);
  } else {
    end = begin + strlen(begin);
    while (end > begin && IsBlankOrTab(end[-1])) --end;
  }
  const size_t length = FolderPartLength(begin, static_cast<size_t>(end - begin), nullptr);
  if (length > 0 && CopyTextPart(out, size, begin, length)) return 1;
  if (size > 0) out[0] = '\0';
  return 0;
}
