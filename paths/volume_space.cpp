#include "paths/volume_space.h"

#include "base/manifest.h"
#include "base/path_scan.h"
#include "base/text_format.h"

int FormatVolumeRoot(char* out, size_t size, const char* destinationDirectory) {
  const size_t length = VolumePrefixLength(destinationDirectory);
  if (length == 0 || !CopyTextPart(out, size, destinationDirectory, length)) {
    if (size > 0) out[0] = '\0';
    return 0;
  }
  UseBackslashes(out);
  return 1;
}

uint64_t RoomNeeded(const uint32_t* fileBytes, const uint32_t* replacedBytes, int fileCount,
                    int newFolders, uint32_t unitBytes) {
  if (unitBytes == 0) unitBytes = 1;
  // Counted in whole units; 32-bit division, so that the installer needs no 64-bit helper.
  int64_t used = newFolders;
  int64_t highest = used;
  for (int i = 0; i < fileCount; ++i) {
    used += fileBytes[i] / unitBytes + (fileBytes[i] % unitBytes != 0);
    used -= replacedBytes[i] / unitBytes + (replacedBytes[i] % unitBytes != 0);
    if (used > highest) highest = used;
  }
  return static_cast<uint64_t>(highest) * unitBytes;
}

int DescribeSpaceShortage(char* out, size_t size, const char* volumeRoot, uint64_t freeBytes,
                          uint64_t neededBytes) {
  if (size > 0) out[0] = '\0';
  if (freeBytes >= neededBytes) return 0;
  uint64_t freeKibibytes = freeBytes / 1024;
  if (freeKibibytes > 0xFFFFFFFFu) freeKibibytes = 0xFFFFFFFFu;
  FormatText(out, size, "%s has %lu KiB free, %lu KiB needed", volumeRoot,
             static_cast<unsigned long>(freeKibibytes),
             static_cast<unsigned long>(KibibytesRoundedUp(neededBytes)));
  return 1;
}
