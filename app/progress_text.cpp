#include "app/progress_text.h"

#include "base/manifest.h"
#include "base/text_format.h"

int FormatProgressText(char* out, size_t size, int total, int installing) {
  // The last advance follows the last step, so 100 means that everything is in place.
  if (total >= 100) return FormatText(out, size, "%s is installed", kUninstallDisplayName);
  if (!installing) return FormatText(out, size, "%s: ready to install", kUninstallDisplayName);
  return FormatText(out, size, "Installing %s: %d %%", kUninstallDisplayName, total);
}
