#include "app/progress_text.h"

#include "base/manifest.h"
#include "base/text_format.h"

int FormatProgressText(char* out, size_t size, int total) {
  // The last advance follows the last step, so 100 means that everything is in place.
  if (total >= 100) return FormatText(out, size, "%s is installed", kUninstallDisplayName);
  return FormatText(out, size, "Installing %s: %d %%", kUninstallDisplayName, total);
}
