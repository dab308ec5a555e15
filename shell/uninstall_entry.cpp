#include "shell/uninstall_entry.h"

#include "app/text_format.h"

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
