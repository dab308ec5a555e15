#include "product/uninstall/removal.h"

#include <string.h>

#include "app/manifest.h"
#include "app/text_format.h"

namespace {

const char kHeading[] = "Some parts of %s could not be removed:\n\n";
const char kClosing[] = "\nRemove them by hand when they are no longer in use.";

int IsFailure(int outcome) { return outcome >= kRemovalInUse; }

void Note(RemovalReport* report, const char* what, int outcome, unsigned long error) {
  if (IsFailure(outcome)) AddRemovalFailure(report, what, outcome, error);
}

int IsDriveRoot(const char* folder) { return strlen(folder) == 2 && folder[1] == ':'; }

}  // namespace

void StartRemovalReport(RemovalReport* report) {
  report->FailureCount = 0;
  report->ListedCount = 0;
  report->Length = 0;
  report->Lines[0] = '\0';
}

void AddRemovalFailure(RemovalReport* report, const char* what, int outcome, unsigned long error) {
  ++report->FailureCount;
  char reason[40];
  switch (outcome) {
    case kRemovalInUse:
      CopyText(reason, sizeof reason, "in use");
      break;
    case kRemovalDenied:
      CopyText(reason, sizeof reason, "access denied");
      break;
    case kRemovalNoAnswer:
      CopyText(reason, sizeof reason, "Program Manager did not answer");
      break;
    default:
      FormatText(reason, sizeof reason, "error %lu", error);
      break;
  }
  char line[kRemovalLinesSize];
  if (!FormatText(line, sizeof line, "%s (%s)\n", what, reason)) return;
  const size_t length = strlen(line);
  // Once one line did not fit, later ones stay out too, so the list keeps its order.
  if (report->ListedCount != report->FailureCount - 1 ||
      report->Length + length >= sizeof report->Lines)
    return;
  memcpy(report->Lines + report->Length, line, length + 1);
  report->Length += length;
  ++report->ListedCount;
}

void FormatRemovalReport(const RemovalReport* report, char* out, size_t size) {
  if (report->FailureCount == 0) {
    CopyText(out, size, "");
    return;
  }
  char heading[96];
  FormatText(heading, sizeof heading, kHeading, kUninstallDisplayName);
  char more[48] = "";
  if (report->ListedCount < report->FailureCount) {
    FormatText(more, sizeof more, "and %d more\n", report->FailureCount - report->ListedCount);
  }
  FormatText(out, size, "%s%s%s%s", heading, report->Lines, more, kClosing);
}

int ComposeInstalledPath(char* out, size_t size, const char* folder, const char* relative) {
  if (!FormatText(out, size, "%s\\%s", folder, relative)) {
    CopyText(out, size, "");
    return 0;
  }
  for (char* at = out + strlen(folder); *at; ++at) {
    if (*at == '/') *at = '\\';
  }
  return 1;
}

void RemoveInstalledProduct(const char* folder, const RemovalOps* ops, RemovalReport* report) {
  char path[kPathBufferSize];
  unsigned long error = 0;
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (!ComposeInstalledPath(path, sizeof path, folder, row.RelativePath)) {
      char what[kPathBufferSize + 96];
      FormatText(what, sizeof what, "%s\\...\\%s, path too long", folder, row.RelativePath);
      AddRemovalFailure(report, what, kRemovalFailed, 0);
      continue;
    }
    Note(report, path, ops->RemoveFile(ops->Context, path, &error), error);
  }
  // The sub-folders in the reverse order of their creation, then the folder itself.
  for (int i = kSubFolderCount - 1; i >= 0; --i) {
    if (!ComposeInstalledPath(path, sizeof path, folder, kSubFolderNames[i])) continue;
    Note(report, path, ops->RemoveFolder(ops->Context, path, &error), error);
  }
  if (!IsDriveRoot(folder)) {
    Note(report, folder, ops->RemoveFolder(ops->Context, folder, &error), error);
  }
}
