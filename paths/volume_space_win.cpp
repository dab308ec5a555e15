#include "paths/volume_space_win.h"

#include <string.h>

#include "base/installer_state.h"
#include "base/manifest.h"
#include "base/path_scan.h"
#include "base/text_format.h"
#include "paths/volume_space.h"

namespace {

const char kNotEnoughSpace[] = "Not enough disk space";

int IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int DestinationVolumeHasRoom(HWND owner, const char* destinationDirectory) {
  // The nearest existing folder of the destination, in backslash form ("/" is never a second
  // byte), and the folders that are made below it.
  char existing[kPathBufferSize];
  if (!FormatVolumeRoot(existing, sizeof existing, destinationDirectory)) return 1;
  const size_t root = strlen(existing);
  CopyText(existing + root, sizeof existing - root, destinationDirectory + root);
  UseBackslashes(existing);
  size_t length = strlen(existing);
  int newFolders = 0;
  while (!IsFolder(existing)) {
    // Not even the volume's root: a drive or share that cannot be reached is left to the steps.
    if (length <= root) return 1;
    length = LastSegmentStart(existing, length - 1);
    existing[length] = '\0';
    ++newFolders;
  }
  // Files of the installed names that are there already are replaced; missing sub-folders are
  // made.
  char path[kPathBufferSize];
  const size_t directoryLength = strlen(destinationDirectory);
  memcpy(path, destinationDirectory, directoryLength);
  char* name = path + directoryLength;
  const size_t nameSize = sizeof path - directoryLength;
  uint32_t replaced[kPayloadItemCount];
  for (int row = 0; row < kPayloadItemCount; ++row) {
    WIN32_FILE_ATTRIBUTE_DATA file;
    replaced[row] = 0;
    if (CopyText(name, nameSize, kInstallManifest[row].RelativePath) &&
        GetFileAttributesExA(path, GetFileExInfoStandard, &file) &&
        !(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      replaced[row] = file.nFileSizeHigh ? 0xFFFFFFFFu : file.nFileSizeLow;
    }
  }
  for (const char* folder : kSubFolderNames) {
    if (!CopyText(name, nameSize, folder) || !IsFolder(path)) ++newFolders;
  }
  char volume[kPathBufferSize];
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  // The free clusters are those this user may fill (quotas count); a count capped at 32 bits on
  // a huge volume is still far more than the installation needs.
  if (!GetVolumePathNameA(existing, volume, sizeof volume) ||
      !GetDiskFreeSpaceA(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    return 1;
  }
  const uint32_t unit = sectorsPerCluster * bytesPerSector;
  const uint64_t needed =
      RoomNeeded(g_Installer.InstalledFileBytes, replaced, kPayloadItemCount, newFolders, unit);
  char shortage[kMessageTextSize];
  if (!DescribeSpaceShortage(shortage, sizeof shortage, volume,
                             static_cast<uint64_t>(freeClusters) * unit, needed)) {
    return 1;
  }
  ReportInstallError(owner, kNotEnoughSpace, shortage);
  return 0;
}
