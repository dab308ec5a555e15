#include "product/uninstall/removal.h"

#include <string.h>

#include "base/manifest.h"
#include "base/path_scan.h"
#include "base/text_format.h"
#include "payload/crc32.h"
#include "product/uninstall/command_line.h"

namespace {

const char kHeading[] = "Some parts of %s could not be removed:\n\n";
const char kClosingStays[] =
    "\n%s stays, so that you can close what uses them and then uninstall %s again.";
// Past the uninstaller's own turn: nothing is left to run again.
const char kClosingByHand[] = "\nRemove them by hand when they are no longer in use.";
const char kRemoved[] = "%s was removed from your computer.";
const char kKeptHeading[] = "These files were changed after the installation and are kept:\n\n";
const char kLeftInPlace[] = "%s and its folder %s remain; you may delete them by hand.";

int IsFailure(int outcome) { return outcome >= kRemovalInUse; }

void Note(RemovalReport* report, const char* what, int outcome, unsigned long error) {
  if (IsFailure(outcome)) AddRemovalFailure(report, what, outcome, error);
}

// The maker's folder that holds folder, into parent (kPathBufferSize bytes): folder's parent when
// it is named like the default destination's ("Marrowby", in any letter case) and is a folder of
// its own, neither a drive's root nor a share ("\\server\Marrowby"). Returns 0 otherwise.
int FindMakersFolder(const char* folder, char* parent) {
  const size_t length = FolderPartLength(folder, strlen(folder), nullptr);
  size_t nameStart = 0;
  if (FolderPartLength(folder, length, &nameStart) == 0 || IsVolumeRoot(folder, length) ||
      !IsNameIgnoringCase(folder + nameStart, length - nameStart, kPublisherName)) {
    return 0;
  }
  return CopyTextPart(parent, kPathBufferSize, folder, length);
}

// Appends line to lines[0..kRemovalLinesSize) as entry number count (counted from 1) of a list.
// Once one line did not fit, later ones stay out too, so the list keeps its order.
void AppendListLine(char* lines, size_t* length, int* listed, int count, const char* line) {
  const size_t size = strlen(line);
  if (*listed != count - 1 || *length + size >= kRemovalLinesSize) return;
  memcpy(lines + *length, line, size + 1);
  *length += size;
  ++*listed;
}

// "and N more" for a list that did not fit, or an empty text.
void FormatMore(char* out, size_t size, int count, int listed) {
  out[0] = '\0';
  if (listed < count) FormatText(out, size, "and %d more\n", count - listed);
}

// Whether the file at path still holds what the installer wrote for itemId. Notes why it could
// not be read, and keeps it when it differs.
int FileIsAsInstalled(const char* path, int itemId, const uint8_t* record, size_t recordSize,
                      const RemovalOps* ops, RemovalReport* report) {
  uint32_t crc = 0, expected = 0;
  unsigned long error = 0;
  const int outcome = ops->FileChecksum(ops->Context, path, &crc, &error);
  if (outcome != kRemovalDone) {
    Note(report, path, outcome, error);
    return 0;
  }
  if (!FindRecordedChecksum(record, recordSize, itemId, &expected) || crc != expected) {
    AddKeptFile(report, path);
    return 0;
  }
  return 1;
}

// What a folder of the installation may hold and still be the installation's own: relative
// names the folder below the installation ("" for the installation's own), or is null for the
// maker's folder, which holds nothing of its own.
struct OwnEntries {
  const char* Relative;
  int Others;  // an entry that is not the installation's was seen
};

int IsOwnEntry(const char* relative, const char* name) {
  if (!relative) return 0;
  const size_t length = strlen(name), prefix = strlen(relative);
  for (const PayloadManifestRow& row : kInstallManifest) {
    const char* path = row.RelativePath;
    if (prefix > 0 && (strncmp(path, relative, prefix) != 0 || path[prefix] != '/')) continue;
    if (IsNameIgnoringCase(name, length, prefix > 0 ? path + prefix + 1 : path)) return 1;
  }
  for (const char* subFolder : kSubFolderNames) {
    if (prefix == 0 && IsNameIgnoringCase(name, length, subFolder)) return 1;
  }
  return 0;
}

void VisitOwnEntry(void* visitContext, const char* name) {
  OwnEntries* entries = static_cast<OwnEntries*>(visitContext);
  if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && !IsOwnEntry(entries->Relative, name))
    entries->Others = 1;
}

// Removes a folder; a failure is named only when nothing but the installation's own is in it
// (see OwnEntries), since one that holds the user's files is theirs to keep. Returns the outcome.
int RemoveOwnFolder(const char* path, const char* relative, const RemovalOps* ops,
                    RemovalReport* report) {
  unsigned long error = 0;
  const int outcome = ops->RemoveFolder(ops->Context, path, &error);
  if (!IsFailure(outcome)) return outcome;
  OwnEntries entries = {relative, 0};
  if (ops->ListFolder(ops->Context, path, VisitOwnEntry, &entries) == kRemovalDone &&
      !entries.Others) {
    AddRemovalFailure(report, path, outcome, error);
  }
  return outcome;
}

}  // namespace

void StartRemovalReport(RemovalReport* report) {
  report->FailureCount = 0;
  report->ListedCount = 0;
  report->Length = 0;
  report->Lines[0] = '\0';
  report->KeptCount = 0;
  report->KeptListed = 0;
  report->KeptLength = 0;
  report->Kept[0] = '\0';
  report->LeftFolder[0] = '\0';
  report->UninstallerStays = 0;
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
  AppendListLine(report->Lines, &report->Length, &report->ListedCount, report->FailureCount, line);
}

void AddKeptFile(RemovalReport* report, const char* path) {
  ++report->KeptCount;
  char line[kRemovalLinesSize];
  if (!FormatText(line, sizeof line, "%s\n", path)) return;
  AppendListLine(report->Kept, &report->KeptLength, &report->KeptListed, report->KeptCount, line);
}

void FormatRemovalReport(const RemovalReport* report, char* out, size_t size) {
  CopyText(out, size, "");
  if (report->FailureCount > 0) {
    char heading[96], more[48], closing[160];
    FormatText(heading, sizeof heading, kHeading, kUninstallDisplayName);
    FormatMore(more, sizeof more, report->FailureCount, report->ListedCount);
    if (report->UninstallerStays) {
      FormatText(closing, sizeof closing, kClosingStays, kUninstallerFileName,
                 kUninstallDisplayName);
    } else {
      CopyText(closing, sizeof closing, kClosingByHand);
    }
    FormatText(out, size, "%s%s%s%s", heading, report->Lines, more, closing);
  } else if (report->LeftFolder[0] == '\0') {
    FormatText(out, size, kRemoved, kUninstallDisplayName);
  }
  if (report->KeptCount > 0) {
    char more[48];
    FormatMore(more, sizeof more, report->KeptCount, report->KeptListed);
    const size_t used = strlen(out);
    FormatText(out + used, size - used, "%s%s%s%s", used ? "\n\n" : "", kKeptHeading, report->Kept,
               more);
  }
  if (report->LeftFolder[0] != '\0') {
    const size_t used = strlen(out);
    char line[kPathBufferSize + 96];
    FormatText(line, sizeof line, kLeftInPlace, kUninstallerFileName, report->LeftFolder);
    FormatText(out + used, size - used, "%s%s", used ? "\n\n" : "", line);
  }
}

int ComposeInstalledPath(char* out, size_t size, const char* folder, const char* relative) {
  if (!FormatText(out, size, "%s\\%s", folder, relative)) {
    CopyText(out, size, "");
    return 0;
  }
  UseBackslashes(out + strlen(folder));
  return 1;
}

int HoldsInstalledFile(const char* folder, const uint8_t* record, size_t recordSize,
                       const RemovalOps* ops) {
  char path[kPathBufferSize];
  for (const PayloadManifestRow& row : kInstallManifest) {
    uint32_t crc = 0, expected = 0;
    unsigned long error = 0;
    if (ComposeInstalledPath(path, sizeof path, folder, row.RelativePath) &&
        ops->FileChecksum(ops->Context, path, &crc, &error) == kRemovalDone &&
        FindRecordedChecksum(record, recordSize, row.ResourceId, &expected) && crc == expected) {
      return 1;
    }
  }
  return 0;
}

void RemoveInstalledProduct(const char* folder, const uint8_t* record, size_t recordSize,
                            const RemovalOps* ops, RemovalReport* report) {
  char path[kPathBufferSize];
  unsigned long error = 0;
  for (const PayloadManifestRow& row : kInstallManifest) {
    if (strcmp(row.RelativePath, kUninstallerFileName) == 0) continue;
    if (!ComposeInstalledPath(path, sizeof path, folder, row.RelativePath)) {
      char what[kPathBufferSize + 96];
      FormatText(what, sizeof what, "%s\\...\\%s, path too long", folder, row.RelativePath);
      AddRemovalFailure(report, what, kRemovalFailed, 0);
      continue;
    }
    if (!FileIsAsInstalled(path, row.ResourceId, record, recordSize, ops, report)) continue;
    Note(report, path, ops->RemoveFile(ops->Context, path, &error), error);
  }
  if (ops->RemoveGroupItems) ops->RemoveGroupItems(ops->Context, report);
  // Whatever failed is still the installation's: the entry and the uninstaller stay with it, so
  // that the next run finds it.
  if (report->FailureCount == 0 && ops->RemoveEntry) ops->RemoveEntry(ops->Context, report);
  if (report->FailureCount > 0) {
    report->UninstallerStays = 1;
  } else if (ComposeInstalledPath(path, sizeof path, folder, kUninstallerFileName)) {
    const int outcome = ops->RemoveFile(ops->Context, path, &error);
    if (outcome == kRemovalLeftInPlace) CopyText(report->LeftFolder, kPathBufferSize, folder);
    Note(report, path, outcome, error);
  }
  // The sub-folders in the reverse order of their creation, then the folder itself.
  for (int i = kSubFolderCount - 1; i >= 0; --i) {
    if (ComposeInstalledPath(path, sizeof path, folder, kSubFolderNames[i]))
      RemoveOwnFolder(path, kSubFolderNames[i], ops, report);
  }
  if (IsVolumeRoot(folder, strlen(folder)) ||
      RemoveOwnFolder(folder, "", ops, report) != kRemovalDone)
    return;
  // The maker's folder of the default destination goes too once nothing else is in it.
  char parent[kPathBufferSize];
  if (FindMakersFolder(folder, parent)) RemoveOwnFolder(parent, nullptr, ops, report);
}
