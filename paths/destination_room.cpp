#include "paths/destination_room.h"

#include <stddef.h>
#include <string.h>

#include "app/manifest.h"
#include "paths/path_text.h"

int DestinationLeavesRoom(const char* destinationDirectory) {
  size_t length = 0;
  while (length < kPathBufferSize && destinationDirectory[length] != '\0') ++length;
  size_t longest = static_cast<size_t>(LongestInstalledRelativeName());
  return length + longest <= kPathMaxLength;
}

namespace {

int IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters that Windows refuses in a file or folder name (the separators aside).
int IsForbiddenInName(char c) {
  return static_cast<unsigned char>(c) < 0x20 || strchr("<>\"|?*:", c) != nullptr;
}

// A segment (at[0..length)) that names a folder Windows creates under that very name.
int SegmentIsSound(const char* at, size_t length) {
  if (length == 0 || at[length - 1] == '.' || at[length - 1] == ' ') return 0;
  for (size_t i = 0; i < length; ++i) {
    if (IsForbiddenInName(at[i])) return 0;
  }
  return 1;
}

}  // namespace

int DestinationIsSound(const char* destinationDirectory) {
  const char* at = destinationDirectory;
  if (IsDriveLetter(at[0]) && at[1] == ':' && at[2] == '/') {
    at += 3;
  } else if (at[0] == '/' && at[1] == '/') {
    at += 2;
    // Server and share must both be there; their names are checked with the other segments.
    const char* share = strchr(at, '/');
    if (!share || share == at || !strchr(share + 1, '/') || share[1] == '/') return 0;
  } else {
    return 0;
  }
  while (*at) {
    const char* end = strchr(at, '/');
    size_t length = end ? static_cast<size_t>(end - at) : strlen(at);
    if (!SegmentIsSound(at, length)) return 0;
    at += length;
    if (*at == '/') ++at;
  }
  return 1;
}
